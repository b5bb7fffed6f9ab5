#pragma once
// Numeric helpers shared by the analyses and the shift corrections: the
// noise of a curve from its second differences, the spread of its values,
// and the move of a curve by a fractional number of points. Nothing outside
// the given points is read or written.

namespace qm {

// sigma(x, m) = sqrt(sum_{i=1}^{m-2} (x[i] - (x[i-1] + x[i+1])/2)^2 / (m - 3));
// 0 when m < 4 (no second difference to divide by).
double noiseSigma(const float* x, int m);

// Largest minus smallest of x[0 .. m-1], or 1 when they are equal, when
// there are no points or when no finite spread exists (NaN samples are
// passed over).
double valueRange(const float* x, int m);

// Moves the n points of x by `shift` points: trunc(shift) whole points
// (positive toward lower indices; the points uncovered keep their old
// values), then the remaining fraction by linear interpolation between
// neighbours. Nothing happens for 0 or a non-finite shift; a whole part of
// at least n points keeps every point.
void fractionalMove(float* x, int n, double shift);

} // namespace qm
