#include "gui/screenshot.h"

#include "app/program_folder.h"
#include "app/settings_store.h"
#include "gui/wrk_win.h"
#include "view/page_options.h"

#include <QApplication>
#include <QPixmap>
#include <QRegularExpression>

#include <algorithm>
#include <cstdio>

namespace qm {

namespace {

struct ScreenshotRequest {
    QString out;
    QSize size{1200, 760};
    int groupMode = 0;
    QStringList view;
    QStringList files;
    QString fits; // a FITS image of the Sun under the plot, scans simulated into Worksheet I
};

void usage()
{
    std::fputs("usage: quillmar --screenshot OUT.png [--size WxH] [--group 1|2|3]\n"
               "                [--view sun-disk,sun-center,dig-frame,equal-scale,worksheets]\n"
               "                [--fits IMAGE.fits] [FILE...]\n",
               stderr);
}

bool parse(const QStringList& args, ScreenshotRequest& r)
{
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--screenshot" && hasValue) {
            r.out = args[++i];
        } else if (a == "--size" && hasValue) {
            const auto m = QRegularExpression("^(\\d{2,5})x(\\d{2,5})$").match(args[++i]);
            if (!m.hasMatch())
                return false;
            r.size = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (a == "--group" && hasValue) {
            bool ok = false;
            r.groupMode = args[++i].toInt(&ok);
            if (!ok || r.groupMode < 1 || r.groupMode > 3)
                return false;
        } else if (a == "--fits" && hasValue) {
            r.fits = args[++i];
        } else if (a == "--view" && hasValue) {
            r.view += args[++i].split(',', Qt::SkipEmptyParts);
        } else if (a.startsWith("--")) {
            return false;
        } else {
            r.files << a;
        }
    }
    return !r.out.isEmpty();
}

} // namespace

bool loadUnattended(WrkWin& window, const QStringList& files)
{
    // Nobody is there to answer a message box: it goes to stderr.
    window.ui().messageHook = [](const std::string& text, const std::string&, MsgButtons, MsgIcon) {
        std::fprintf(stderr, "quillmar: %s\n", text.c_str());
        return int(kOk);
    };
    bool loaded = true;
    for (const QString& f : files)
        loaded = window.loadFile(f) && loaded;
    return loaded;
}

bool wantsScreenshot(const QStringList& args) { return args.contains("--screenshot"); }

int runScreenshot(const QStringList& args)
{
    ScreenshotRequest r;
    if (!parse(args, r)) {
        usage();
        return 2;
    }
    // The picture shows the program's defaults, not this user's settings.
    MemorySettingsStore store;
    WrkWin window(store, programFolder());
    bool loaded = loadUnattended(window, r.files);
    Workbench& wb = window.workbench();
    showGroupOfSet(wb, r.groupMode);
    std::vector<std::string> names;
    for (const QString& n : r.view)
        names.push_back(n.toStdString());
    if (!applyViewNames(wb, names)) {
        usage();
        return 2;
    }
    if (!r.fits.isEmpty() && wb.setLoaded) {
        // As a packet line "FitsConvolution#IMAGE 0 1 1" over all scans.
        wb.interactiveMode = false;
        wb.allMode = wb.chkWrkI = wb.view.fitsImage = true;
        wb.batchTitle = r.fits.toStdString() + " 0 1 1";
        wb.batchArgs = {};
        wb.dispatch(142);
        wb.interactiveMode = true;
        loaded = wb.takeFailures().empty() && loaded;
    }
    window.refreshState();
    window.resize(r.size);
    window.show();
    QApplication::processEvents();
    const QPixmap picture = window.grab();
    if (!picture.save(r.out, "PNG")) {
        std::fprintf(stderr, "quillmar: cannot write %s\n", qPrintable(r.out));
        return 1;
    }
    return loaded ? 0 : 1;
}

} // namespace qm
