// The plot area against the core: the example set painted offscreen with
// its curves and the solar disk inside the frame, the R/L indicator the
// paint evaluates, and the cursors the core asks for.
#include "app/settings_store.h"
#include "gui/config_dialog_qt.h"
#include "gui/plot_widget.h"
#include "gui/qt_canvas.h"
#include "gui/tool_bar.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"
#include "view/plot_curves.h"

#include <QDir>
#include <QPainter>
#include <QTest>

#include <cmath>

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
    void rlIndicatorFollowsThePaintOfTheCommand()
    {
        // R = 1.5 I and L = 0.5 I after the transform: the integrals differ
        // by a factor 3, which only the paint after the command finds.
        Loaded l;
        ScanRecord& s = *l.wb->activeScan;
        QVERIFY(s.wrkI() && s.wrkV());
        for (int i = 0; i < s.nPoints; ++i)
            s.wrkV()[i] = 0.5f * s.wrkI()[i];
        l.wb->chkWrkI = l.wb->chkWrkV = true;
        QAction* indicator = l.win->toolBar().button(228);
        QVERIFY(!indicator->isChecked());
        l.win->run(122); // I,V<=>R,L
        QCOMPARE(s.flagIvWrk, 1);
        l.plot().repaint();
        QApplication::processEvents();
        QVERIFY(indicator->isChecked());
    }

    // A noisy 16000-point curve on 600 columns: the envelope drawing and a
    // line through every point cover the same rows in every column, give or
    // take one pixel at each end.
    void envelopeCurveMatchesTheLineThroughEveryPoint()
    {
        const int n = 16000;
        std::vector<float> a(n);
        uint32_t noise = 7;
        for (int i = 0; i < n; ++i) {
            noise = noise * 1664525u + 1013904223u;
            a[std::size_t(i)] = float(std::sin(i / 900.0) * 400 + double(noise >> 22) - 512 + (i % 3001 == 0 ? 900 : 0));
        }
        auto draw = [&](bool envelope) {
            QImage img(640, 400, QImage::Format_RGB32);
            img.fill(Qt::white);
            QPainter painter(&img);
            QtCanvas canvas(painter, img.width(), img.height());
            PlotFrame f;
            f.canvas = &canvas;
            f.left = 20;
            f.right = 620;
            f.top = 10;
            f.bottom = 390;
            f.viewBegin = 0;
            f.viewEnd = n - 1;
            const AxisRange axis{-1500, 1500};
            canvas.setPen(f.pen(kBlack));
            if (envelope) {
                drawCurve(f, a.data(), n, axis);
            } else {
                std::vector<Point> all;
                for (int i = 0; i < n; ++i)
                    all.push_back({f.x(i), f.y(a[std::size_t(i)], axis)});
                canvas.polyline(all);
            }
            painter.end();
            return img;
        };
        const QImage fast = draw(true), full = draw(false);
        int inked = 0;
        for (int x = 0; x < fast.width(); ++x) {
            auto rows = [&](const QImage& img) {
                int lo = img.height(), hi = -1;
                for (int y = 0; y < img.height(); ++y)
                    if ((img.pixel(x, y) & 0xffffff) != 0xffffff) {
                        lo = std::min(lo, y);
                        hi = std::max(hi, y);
                    }
                return std::pair{lo, hi};
            };
            const auto [flo, fhi] = rows(fast);
            const auto [llo, lhi] = rows(full);
            QVERIFY2(std::abs(flo - llo) <= 1 && std::abs(fhi - lhi) <= 1, qPrintable(QString::number(x)));
            inked += fhi >= 0;
        }
        QCOMPARE(inked, 601);
    }

    void waitCursorDuringCommandsAndChoiceCursorOnThePlot()
    {
        Loaded l;
        Qt::CursorShape during = Qt::ArrowCursor;
        l.win->ui().messageHook = [&](const std::string&, const std::string&, MsgButtons, MsgIcon) {
            during = l.plot().cursor().shape();
            return int(kOk);
        };
        l.win->run(123); // Delete asks first
        QCOMPARE(during, Qt::WaitCursor);
        QCOMPARE(l.plot().cursor().shape(), Qt::ArrowCursor);
        // The choice cursor belongs to the plot and outlasts the wait cursor.
        QtUi& ui = l.win->ui();
        ui.showBusyCursor(true);
        ui.showChoiceCursor(true);
        QCOMPARE(l.plot().cursor().shape(), Qt::CrossCursor);
        QCOMPARE(l.win->cursor().shape(), Qt::WaitCursor);
        ui.showBusyCursor(false);
        QCOMPARE(l.plot().cursor().shape(), Qt::CrossCursor);
        ui.showChoiceCursor(false);
        QCOMPARE(l.plot().cursor().shape(), Qt::ArrowCursor);
    }
};

static RegisterGuiTest registerPlotViewTest([] { return new PlotViewTest; });

} // namespace qm::test

#include "plot_view_test.moc"
