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
    int penWidth = 0;                              // pen thickness of page output, 0 on screen
    // Array group view: the grid of cells (zero columns outside that view).
    // Cell (col, row) spans x from col*cellWidth and y from gridTop + row*cellHeight.
    int gridColumns = 0, gridRows = 0, cellWidth = 0, cellHeight = 0, gridTop = 0;

    // Point index (fractional) under pixel column x.
    double pointAt(int x) const { return viewBegin + (x - left) / (pixelsPerPoint > 0 ? pixelsPerPoint : 1); }
    // Channel-1 / channel-2 value under pixel row y: the inverse of the
    // curve mapping, which keeps the top 10 pixels of the frame free.
    double valueI(int y) const { return valueAt(y, minI, maxI); }
    double valueV(int y) const { return valueAt(y, minV, maxV); }
    bool inFrame(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }

private:
    double valueAt(int y, float lo, float hi) const
    {
        const int span = bottom - top - 10;
        return span > 0 ? double(bottom - y) * (double(hi) - lo) / span + lo : lo;
    }
};

} // namespace qm
