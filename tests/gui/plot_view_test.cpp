// The plot area against the core: the example set painted offscreen with
// its curves inside the frame, the mouse (readout, zoom, pop-up, double
// click), the "Full Scan" window, "Scale & Position" and "Setting view of
// picture".
#include "app/settings_store.h"
#include "gui/config_dialog_qt.h"
#include "gui/full_scan_window.h"
#include "gui/plot_widget.h"
#include "gui/scale_position_dialog.h"
#include "gui/view_settings_dialog.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"
#include "view/full_scan_view.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include <memory>

namespace qm::test {

namespace {

QString exampleSet()
{
    return qEnvironmentVariable("QUILLMAR_SOURCE", QDir::currentPath()) + "/examples/sun3-18/set.0hd";
}

struct Loaded {
    MemorySettingsStore store;
    std::unique_ptr<WrkWin> win;
    Workbench* wb = nullptr;

    Loaded()
    {
        win = std::make_unique<WrkWin>(store, QDir::tempPath().toStdString());
        win->ui().messageHook = [](const std::string&, const std::string&, MsgButtons, MsgIcon) { return int(kOk); };
        wb = &win->workbench();
        win->resize(1000, 700);
        win->show();
        if (!win->loadFile(exampleSet()))
            return;
        QApplication::processEvents();
    }
    PlotWidget& plot() { return win->plot(); }
    // What the plot shows now, painted through its own paint event.
    QImage picture()
    {
        plot().repaint();
        return plot().grab().toImage();
    }
};

// Pixels of exactly colour `c` inside and outside the frame (edges included).
std::pair<int, int> countColour(const QImage& img, Colour c, const PlotGeometry& g)
{
    const QRgb want = toQColor(c).rgb();
    int in = 0, out = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if ((img.pixel(x, y) & 0xffffff) == (want & 0xffffff))
                (g.inFrame(x, y) ? in : out) += 1;
    return {in, out};
}

void send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

class PlotViewTest : public QObject {
    Q_OBJECT

private slots:
    void exampleCurvesStayInsideTheFrame()
    {
        Loaded l;
        QVERIFY(l.wb->setLoaded);
        const QImage img = l.picture();
        const PlotGeometry& g = l.wb->geometry;
        QVERIFY(g.valid);
        QVERIFY(g.left > 0 && g.right < img.width() && g.top > 0 && g.bottom < img.height());
        for (ColourIndex k : {kRgbDataI, kRgbDataV}) {
            const auto [in, out] = countColour(img, l.wb->settings.colours[k], g);
            QVERIFY2(in > 200, qPrintable(QString("colour %1: %2 pixels inside").arg(k).arg(in)));
            QCOMPARE(out, 0);
        }
        // The solar disk stays inside the frame as well.
        l.wb->view.sunDisk = true;
        const QImage disk = l.picture();
        const auto [in, out] = countColour(disk, l.wb->settings.colours[kRgbSunD], l.wb->geometry);
        QVERIFY(in > 200);
        QCOMPARE(out, 0);
    }

    void mouseReadoutZoomPopupAndDoubleClick()
    {
        Loaded l;
        PlotWidget& p = l.plot();
        l.picture();
        const PlotGeometry g = l.wb->geometry;
        const QPoint mid((g.left + g.right) / 2, (g.top + g.bottom) / 2);
        send(&p, QEvent::MouseButtonPress, mid, Qt::LeftButton, Qt::LeftButton);
        send(&p, QEvent::MouseButtonRelease, mid, Qt::LeftButton, Qt::NoButton);
        QVERIFY(l.win->statusBar()->currentMessage().startsWith("i="));

        // Right-drag over 200 pixels: the range shrinks to that part.
        const int oldBegin = l.wb->viewBegin;
        const QPoint a(g.left + 100, mid.y()), b(g.left + 300, mid.y());
        send(&p, QEvent::MouseButtonPress, a, Qt::RightButton, Qt::RightButton);
        send(&p, QEvent::MouseMove, b, Qt::NoButton, Qt::RightButton);
        QVERIFY(l.win->statusBar()->currentMessage().startsWith("Delta X="));
        l.picture(); // the drag rectangle is painted over the kept picture
        send(&p, QEvent::MouseButtonRelease, b, Qt::RightButton, Qt::NoButton);
        QCOMPARE(l.wb->viewBegin, oldBegin + int(100 / g.pixelsPerPoint));
        QCOMPARE(l.wb->viewEnd, oldBegin + int(300 / g.pixelsPerPoint));

        // A right click without moving offers the four arrays.
        std::vector<PopupMenuItem> offered;
        p.popupHook = [&](const std::vector<PopupMenuItem>& items) {
            offered = items;
            return 181;
        };
        send(&p, QEvent::MouseButtonPress, mid, Qt::RightButton, Qt::RightButton);
        send(&p, QEvent::MouseButtonRelease, mid, Qt::RightButton, Qt::NoButton);
        QCOMPARE(int(offered.size()), 4);
        QCOMPARE(offered[0].text, std::string("Data I(R)"));
        QVERIFY(offered[0].checked);
        QCOMPARE(offered[1].id, 181);
        QCOMPARE(offered[1].text, std::string("Worksheet I(R)"));
        QVERIFY(!offered[1].checked);
        QVERIFY(l.wb->chkWrkI); // the chosen item ran

        int doubleClicks = 0;
        l.wb->plotDoubleClickHook = [&](Workbench&, int x, int y) {
            ++doubleClicks;
            QCOMPARE(QPoint(x, y), mid);
        };
        send(&p, QEvent::MouseButtonDblClick, mid, Qt::LeftButton, Qt::LeftButton);
        QCOMPARE(doubleClicks, 1);
    }

    void fullScanWindowFollowsItsCommand()
    {
        Loaded l;
        FullScanWindow* w = l.plot().fullScanWindow();
        QVERIFY(!w->isVisible());
        l.win->run(169);
        QApplication::processEvents();
        QVERIFY(w->isVisible());
        QVERIFY(l.wb->isChecked(169));
        QCOMPARE(w->windowTitle(), QString("Full Scan"));
        const QImage img = w->surface()->grab().toImage();
        int mark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                mark += (img.pixel(x, y) & 0xffffff) == (toQColor(kFullScanMarkBrush).rgb() & 0xffffff);
        QVERIFY(mark > 100); // nearly the whole scan is shown at first
        // Closing the window is the command again.
        w->close();
        QApplication::processEvents();
        QVERIFY(!w->isVisible());
        QVERIFY(!l.wb->view.fullScanWindow);
        QVERIFY(!l.wb->isChecked(169));
    }

    void scalePositionSetsTheShownRange()
    {
        Loaded l;
        l.win->run(147);
        ScalePositionDialog* d = l.plot().scalePositionDialog();
        QVERIFY(d && d->isVisible());
        QVERIFY(l.wb->isChecked(147));
        QCOMPARE(d->windowTitle(), QString("Scale & Position"));
        QCOMPARE(d->beginEdit()->text(), QString::number(l.wb->viewBegin) + ".00");
        QCOMPARE(d->endSetEdit()->text(), QString("3000.00"));
        // Arc seconds at 1" a point: the same numbers; then from the centre.
        d->unitGroup()->button(1)->click();
        d->referenceGroup()->button(1)->click();
        const double c = l.wb->activeScan->centerPoint;
        QCOMPARE(d->beginEdit()->text().toDouble(), std::round((l.wb->viewBegin - c) * 100) / 100);
        d->beginEdit()->setText("-500");
        d->widthEdit()->setText("1000");
        d->settingButton()->click();
        QCOMPARE(l.wb->viewBegin, int(c - 500));
        QCOMPARE(l.wb->viewEnd, int(c + 500));
        d->closeButton()->click();
        QApplication::processEvents();
        QVERIFY(l.plot().scalePositionDialog() == nullptr);
        QVERIFY(!l.wb->isChecked(147));
        QVERIFY(!l.wb->view.scalePosition);
    }

    void viewSettingsDialogEditsEveryField()
    {
        ViewSettingsFields f;
        f.digFrame = true;
        f.mainTitle = "My title";
        ViewSettingsDialog d(f);
        QCOMPARE(d.windowTitle(), QString("Setting view of picture"));
        for (const char* c : {"Color", "View list", "List(in/out)", "View wrk-gauss", "Freq", "Date", "Time",
                              "View scale", "Dig.frame", "Sun Disk", "Center Sun", "Fits Image", "View <All> Message",
                              "Intensity Data", "Intensity worksheet", "Polarization Data", "Polarization worksheet"})
            QVERIFY2(d.box(c), c);
        QVERIFY(d.box("Dig.frame")->isChecked());
        QVERIFY(d.box("Freq")->isChecked());
        QVERIFY(!d.box("Date")->isChecked());
        d.box("Sun Disk")->setChecked(true);
        d.box("Intensity Data")->setChecked(false);
        d.mainTitle()->setText(QString(40, 'x')); // the edit keeps 31
        d.leftTitle()->setText("Flux");
        const ViewSettingsFields out = d.fields();
        QVERIFY(out.sunDisk && out.digFrame && !out.dataI && out.dataV && out.freq);
        QCOMPARE(out.mainTitle, std::string(31, 'x'));
        QCOMPARE(out.leftAxisTitle, std::string("Flux"));
        QCOMPARE(out.rightAxisTitle, std::string("%"));
    }
};

static RegisterGuiTest registerPlotViewTest([] { return new PlotViewTest; });

} // namespace qm::test

#include "plot_view_test.moc"
