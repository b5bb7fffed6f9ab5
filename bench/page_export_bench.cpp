// Writing one 16000-point scan with all four arrays as a 1600x1000 page in
// each file type, against painting the same page on a RecordingCanvas in
// the same run (the painter's own work). The translator is timed alone on
// the page's metafile, against writing that metafile. "cairoAlone" strokes
// only the page's polylines with bare cairo calls: the least the PDF and SVG
// writers can cost, whatever our canvas does.
#include "app/page_types.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "view/metafile_to_ps.h"
#include "view/page_export.h"
#include "view/page_output.h"
#include "view/recording_canvas.h"
#include "view/wmf_canvas.h"

#include <benchmark/benchmark.h>
#include <cairo-pdf.h>
#include <cairo-svg.h>

namespace {

constexpr int kWidth = 1600, kHeight = 1000;

qm::Workbench& scan()
{
    static const auto h = [] {
        qm::SynthParams p;
        p.count = 1;
        p.points = qm::kMaxPoints;
        p.step = 0.25;
        auto w = std::make_unique<qm::HeadlessWorkbench>(nullptr, nullptr);
        w->adopt(qm::synthSet(p));
        qm::Workbench& wb = w->wb;
        wb.chkDataI = wb.chkDataV = wb.chkWrkI = wb.chkWrkV = true;
        wb.viewBegin = 1;
        wb.viewEnd = qm::kMaxPoints - 2;
        return w;
    }();
    return h->wb;
}

void recording(benchmark::State& state)
{
    qm::Workbench& wb = scan();
    for (auto _ : state) {
        qm::RecordingCanvas c(kWidth, kHeight);
        qm::paintPage(wb, c, 1, qm::pageFontHeight(kWidth));
        benchmark::DoNotOptimize(c.calls.data());
    }
}

void pageFile(benchmark::State& state)
{
    qm::Workbench& wb = scan();
    const qm::PageRequest r{kWidth, kHeight, int(state.range(0)), 1};
    std::size_t bytes = 0;
    for (auto _ : state) {
        const auto file = qm::pageFile(wb, r);
        bytes = file ? file->size() : 0;
        benchmark::DoNotOptimize(bytes);
    }
    state.SetLabel(qm::pageType(r.type)->extension);
    state.counters["bytes"] = double(bytes);
}

void translator(benchmark::State& state)
{
    qm::WmfCanvas c(kWidth, kHeight);
    qm::paintPage(scan(), c, 1, qm::pageFontHeight(kWidth));
    const std::string wmf = c.bytes();
    for (auto _ : state) {
        const std::string ps = qm::metafileToPostScript(wmf, {kWidth, kHeight, qm::pageFontHeight(kWidth), 1});
        benchmark::DoNotOptimize(ps.data());
    }
}

cairo_status_t countBytes(void* total, const unsigned char*, unsigned int n)
{
    *static_cast<std::size_t*>(total) += n;
    return CAIRO_STATUS_SUCCESS;
}

void cairoAlone(benchmark::State& state)
{
    qm::RecordingCanvas page(kWidth, kHeight);
    qm::paintPage(scan(), page, 1, qm::pageFontHeight(kWidth));
    const auto lines = page.ofKind(qm::CanvasCall::Polyline);
    const bool pdf = state.range(0) == qm::kPagePdf;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        cairo_surface_t* s = pdf ? cairo_pdf_surface_create_for_stream(countBytes, &bytes, kWidth, kHeight)
                                 : cairo_svg_surface_create_for_stream(countBytes, &bytes, kWidth, kHeight);
        cairo_t* cr = cairo_create(s);
        for (const qm::CanvasCall* l : lines) {
            cairo_move_to(cr, l->points[0].x, l->points[0].y);
            for (std::size_t i = 1; i < l->points.size(); ++i)
                cairo_line_to(cr, l->points[i].x, l->points[i].y);
            cairo_stroke(cr);
        }
        cairo_destroy(cr);
        cairo_surface_finish(s);
        cairo_surface_destroy(s);
    }
    state.SetLabel(pdf ? ".pdf" : ".svg");
    state.counters["bytes"] = double(bytes);
}

} // namespace

BENCHMARK(recording)->Unit(benchmark::kMillisecond);
BENCHMARK(pageFile)->DenseRange(qm::kPageWmf, qm::kPageSvg)->Arg(qm::kPagePostScript)->Unit(benchmark::kMillisecond);
BENCHMARK(translator)->Unit(benchmark::kMillisecond);
BENCHMARK(cairoAlone)->Arg(qm::kPagePdf)->Arg(qm::kPageSvg)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
