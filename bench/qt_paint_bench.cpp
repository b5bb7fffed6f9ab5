// Painting the plot through the Qt canvas onto a 1600x1000 image: one scan
// of 16000 points with all four arrays shown, and a stacked group of 128
// scans (3000 and 16000 points each) against drawing its polylines alone.
// Built only with the GUI.
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "gui/config_dialog_qt.h" // toQColor
#include "gui/qt_canvas.h"
#include "view/plot_painter.h"
#include "view/recording_canvas.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <clocale>
#include <memory>

namespace {

constexpr int kWidth = 1600, kHeight = 1000;

std::unique_ptr<qm::HeadlessWorkbench> makeBench(int scans, int points)
{
    auto hw = std::make_unique<qm::HeadlessWorkbench>(nullptr, nullptr);
    qm::SynthParams p;
    p.count = scans;
    p.points = points;
    p.from = 3;
    p.to = 18;
    hw->adopt(qm::synthSet(p));
    hw->wb.interactiveMode = true;
    return hw;
}

// The stacked group view of 128 scans.
std::unique_ptr<qm::HeadlessWorkbench> makeStackedGroup(int points)
{
    auto hw = makeBench(128, points);
    qm::Workbench& wb = hw->wb;
    for (const auto& s : wb.scans)
        wb.groupScans.push_back(s.get());
    wb.setGroupView(3);
    return hw;
}

// The whole canvas is the plot area, as in the plot widget.
qm::PlotLayout widgetLayout()
{
    qm::PlotLayout layout;
    layout.toolBarHeight = layout.statusBarHeight = layout.dataListWidth = 0;
    return layout;
}

void paintOnce(qm::Workbench& wb, QImage& img)
{
    img.fill(Qt::white);
    QPainter painter(&img);
    qm::QtCanvas canvas(painter, img.width(), img.height());
    qm::paintPlot(wb, canvas, widgetLayout());
}

void BM_SingleScanFourArrays(benchmark::State& state)
{
    auto hw = makeBench(1, 16000);
    qm::Workbench& wb = hw->wb;
    wb.chkDataI = wb.chkDataV = wb.chkWrkI = wb.chkWrkV = true;
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
        paintOnce(wb, img);
    state.SetItemsProcessed(state.iterations() * 4 * 16000);
}
BENCHMARK(BM_SingleScanFourArrays)->Unit(benchmark::kMillisecond);

void BM_StackedGroup128(benchmark::State& state)
{
    const int points = int(state.range(0));
    auto hw = makeStackedGroup(points);
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
        paintOnce(hw->wb, img);
    state.SetItemsProcessed(state.iterations() * 2 * 128 * points);
}
BENCHMARK(BM_StackedGroup128)->Arg(3000)->Arg(16000)->Unit(benchmark::kMillisecond);

// Qt's rasteriser alone, the floor under the stacked group: its curves,
// recorded once, drawn straight with QPainter::drawPolyline in their colours.
void BM_StackedGroupPolylinesAlone(benchmark::State& state)
{
    const int points = int(state.range(0));
    auto hw = makeStackedGroup(points);
    qm::RecordingCanvas recorded(kWidth, kHeight);
    qm::paintPlot(hw->wb, recorded, widgetLayout());
    std::vector<std::pair<QColor, QPolygon>> curves;
    std::size_t drawn = 0;
    for (const qm::CanvasCall* call : recorded.ofKind(qm::CanvasCall::Polyline)) {
        QPolygon poly;
        for (const qm::Point& p : call->points)
            poly << QPoint(p.x, p.y);
        curves.emplace_back(qm::toQColor(call->pen.colour), poly);
        drawn += call->points.size();
    }
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state) {
        img.fill(Qt::white);
        QPainter painter(&img);
        for (const auto& [colour, poly] : curves) {
            painter.setPen(QPen(colour, 0));
            painter.drawPolyline(poly);
        }
    }
    state.counters["points"] = double(drawn);
    state.SetItemsProcessed(state.iterations() * 2 * 128 * points);
}
BENCHMARK(BM_StackedGroupPolylinesAlone)->Arg(3000)->Arg(16000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts need the application object
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
