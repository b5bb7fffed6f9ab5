#include "gui/export_option_qt.h"

#include "app/program_folder.h"
#include "app/settings_store.h"
#include "gui/screenshot.h"
#include "gui/wrk_win.h"
#include "view/page_options.h"

#include <cstdio>

namespace qm {

bool wantsExport(const QStringList& args) { return args.contains("--export"); }

int runExport(const QStringList& args)
{
    std::vector<std::string> words;
    for (const QString& a : args)
        words.push_back(a.toStdString());
    PageOptions o;
    if (const std::string why = parsePageOptions(words, o); !why.empty()) {
        std::fprintf(stderr, "quillmar: %s\n", why.c_str());
        return 2;
    }
    // The page shows the program's defaults, not this user's settings; its
    // refusals and load errors come as message boxes, which go to stderr.
    MemorySettingsStore store;
    WrkWin window(store, programFolder());
    QStringList files;
    for (const std::string& f : o.files)
        files << QString::fromStdString(f);
    const bool loaded = loadUnattended(window, files);
    const int status = exportPageOptions(window.workbench(), o);
    if (status == 2)
        std::fprintf(stderr, "quillmar: unknown view name (known: %s)\n", kViewNames);
    return status != 0 ? status : loaded ? 0 : 1;
}

} // namespace qm
