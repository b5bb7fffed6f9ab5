#pragma once
// Where the last paint put the plot: the frame in pixels, pixels per point
// and the axis ranges. The painter fills it on every paint; the mouse logic
// and the interactive operations (knot picking, level choice) convert
// clicks with it.
namespace qm {

struct PlotGeometry {
    int left = 0, right = 0, top = 0, bottom = 0; // frame, pixels
    double pixelsPerPoint = 0;                     // (right - left) / (viewEnd - viewBegin)
    int viewBegin = 0, viewEnd = 0;                // the shown range the frame was drawn for
    float minI = 0, maxI = 0;                      // channel-1 axis
    float minV = 0, maxV = 0;                      // channel-2 axis
    int textHeight = 0, charWidth = 0;             // h and w of the plot font
    bool valid = false;                            // false until something was painted

    // Point index (fractional) under pixel column x.
    double pointAt(int x) const { return viewBegin + (x - left) / (pixelsPerPoint > 0 ? pixelsPerPoint : 1); }
    // Channel-1 / channel-2 value under pixel row y.
    double valueI(int y) const { return valueAt(y, minI, maxI); }
    double valueV(int y) const { return valueAt(y, minV, maxV); }
    bool inFrame(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }

private:
    double valueAt(int y, float lo, float hi) const
    {
        const int span = bottom - top;
        return span > 0 ? hi - double(y - top) * (double(hi) - lo) / span : lo;
    }
};

} // namespace qm
