#pragma once
// Vertical axis ranges of the plot: the extremes of the shown arrays, the
// minimum range of each axis, equal scale and the outward rounding to whole
// steps of 10, 100 or 1000.
#include "app/scan_record.h"

namespace qm {

struct AxisRange {
    float min = 0, max = 0;
    // max - min in double precision; 1 when the range is empty.
    double span() const;
};

// Which of the four arrays take part.
struct ArraySelection {
    bool dataI = false, wrkI = false, dataV = false, wrkV = false;
    bool channel1() const { return dataI || wrkI; }
    bool channel2() const { return dataV || wrkV; }
};

struct AxisRanges {
    AxisRange i, v; // channel-1 and channel-2 axes
};

// Step 10 for a range up to 1000, 100 up to 10000, else 1000; then
// max = (trunc(max/step) + 1)*step and min = (trunc(min/step) - 1)*step.
AxisRange roundOutward(double min, double max);

// Widens [min, max] about its middle to exactly `minimum` when narrower.
// A negative minimum counts by its size; a non-finite one as 0.
void widenToMinimum(double& min, double& max, double minimum);

// Ranges of one scan over the points viewBegin <= i < viewEnd: extremes of
// the selected arrays the scan has (non-finite samples are skipped), equal
// scale, the minimum ranges, then the outward rounding.
AxisRanges scanRanges(const ScanRecord& s, int viewBegin, int viewEnd, const ArraySelection& sel,
                      float minRangeI, float minRangeV, bool equalScale);

} // namespace qm
