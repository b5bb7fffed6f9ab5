#pragma once
// Correlation of neighbouring scans over the selected points.

namespace qm {

class Workbench;

// Pearson coefficient of a[0 .. m-1] and c[0 .. m-1]; the means are taken
// as floats, a zero denominator counts as 1, and no points give 0.
double pearson(const float* a, const float* c, int m);

// "Correlation": each scan of the group (or of the list) against the one
// before it, per switched-on worksheet; with the flag 1 only pairs of equal
// frequency.
void runCorrelation(Workbench& wb);

} // namespace qm
