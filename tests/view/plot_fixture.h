#pragma once
// A workbench with every command, scans built from formulas, and the
// geometry of the default test canvas (800x600, font height 14, so h = 14
// and w = 2h/5 = 5 on the RecordingCanvas).
#include "tests/app/scan_fixture.h"
#include "view/plot_painter.h"
#include "view/recording_canvas.h"
#include "wiring/all_commands.h"

#include <functional>
#include <memory>
#include <vector>

namespace qm::test {

using Fill = std::function<float(int)>;

// A scan of n points; a channel is present when a Data or Worksheet
// formula is given for it (a missing one of the pair is zero).
inline std::unique_ptr<ScanRecord> plotScan(float frequency, int n, Fill dataI, Fill wrkI, Fill dataV = nullptr,
                                            Fill wrkV = nullptr)
{
    auto r = std::make_unique<ScanRecord>();
    r->frequency = frequency;
    copyField(r->object, "Sun");
    copyField(r->dateObs, "2004/05/01");
    copyField(r->timeObs, "05:06:07.25");
    r->nPoints = static_cast<int16_t>(n);
    r->step = 2;
    r->centerPoint = 50;
    r->radius = 60;
    auto fillChannel = [&](int ch, const Fill& data, const Fill& wrk) {
        if (!data && !wrk)
            return;
        r->allocChannel(ch);
        float* block = ch == 1 ? r->chanI.data() : r->chanV.data();
        for (int i = 0; i < n; ++i) {
            block[i] = data ? data(i) : 0.0f;
            block[n + i] = wrk ? wrk(i) : 0.0f;
        }
    };
    fillChannel(1, dataI, wrkI);
    fillChannel(2, dataV, wrkV);
    return r;
}

inline Fill constant(float v)
{
    return [v](int) { return v; };
}

struct PlotBench : Bench {
    RecordingCanvas canvas{800, 600};
    PlotLayout layout;

    // Default frame: left 17w, right 800 - 80 - 17w, top h + w + 32,
    // bottom 600 - h - w - 20.
    static constexpr int kLeft = 85, kRight = 635, kTop = 51, kBottom = 561;

    PlotBench() { registerAllCommands(wb); }

    ScanRecord* load(std::vector<std::unique_ptr<ScanRecord>> scans)
    {
        Bench::load(std::move(scans));
        return wb.activeScan;
    }
    ScanRecord* load(std::unique_ptr<ScanRecord> s) { return load(scansOf(std::move(s))); }
    void paint()
    {
        canvas.clear();
        paintPlot(wb, canvas, layout);
    }
    // Polylines drawn with a pen of this colour and style.
    std::vector<const CanvasCall*> curves(Colour c, PenStyle s = PenStyle::Solid) const
    {
        std::vector<const CanvasCall*> out;
        for (const CanvasCall* call : canvas.ofKind(CanvasCall::Polyline))
            if (call->pen.colour == c && call->pen.style == s)
                out.push_back(call);
        return out;
    }
    Colour colour(ColourIndex i) const { return wb.settings.colours[i]; }
};

// y of a value on an axis for a frame, computed independently of the painter.
inline int expectedY(double v, double lo, double hi, int top, int bottom, double offset = 0)
{
    return bottom - static_cast<int>((v + offset - lo) / (hi - lo) * (bottom - top - 10));
}

} // namespace qm::test
