#pragma once
// Scans with a solar disk and plot frames for the disk, mouse and
// "Scale & Position" tests.
#include "tests/app/scan_fixture.h"

namespace qm::test {

// n points `step`" apart (Data = Worksheet = 100 + index, both channels),
// the disk centre at point `centre` with a radius of `radius`".
inline std::unique_ptr<ScanRecord> solarScan(int n, float step, float centre, float radius)
{
    auto s = makeScan(5.0f, "2004/05/01", "09:00:00", n, true, true, step);
    s->centerPoint = centre;
    s->radius = radius;
    return s;
}

// A painted frame showing the points begin..end.
inline PlotGeometry frameGeometry(int left, int right, int top, int bottom, int begin, int end)
{
    PlotGeometry g;
    g.left = left;
    g.right = right;
    g.top = top;
    g.bottom = bottom;
    g.viewBegin = begin;
    g.viewEnd = end;
    g.pixelsPerPoint = end > begin ? double(right - left) / (end - begin) : 0;
    g.textHeight = 14;
    g.charWidth = 5;
    g.valid = true;
    return g;
}

} // namespace qm::test
