// Painting the plot through the Qt canvas onto a 1600x1000 image: one scan
// of 16000 points with all four arrays shown, and a stacked group of 128
// scans (3000 and 16000 points each). Built only with the GUI.
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "gui/qt_canvas.h"
#include "view/plot_painter.h"

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

void paintOnce(qm::Workbench& wb, QImage& img)
{
    img.fill(Qt::white);
    QPainter painter(&img);
    qm::QtCanvas canvas(painter, img.width(), img.height());
    qm::PlotLayout layout;
    layout.toolBarHeight = layout.statusBarHeight = layout.dataListWidth = 0;
    qm::paintPlot(wb, canvas, layout);
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
    auto hw = makeBench(128, points);
    qm::Workbench& wb = hw->wb;
    for (const auto& s : wb.scans)
        wb.groupScans.push_back(s.get());
    wb.setGroupView(3);
    QImage img(kWidth, kHeight, QImage::Format_RGB32);
    for (auto _ : state)
        paintOnce(wb, img);
    state.SetItemsProcessed(state.iterations() * 2 * 128 * points);
}
BENCHMARK(BM_StackedGroup128)->Arg(3000)->Arg(16000)->Unit(benchmark::kMillisecond);

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
