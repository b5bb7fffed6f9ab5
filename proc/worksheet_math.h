#pragma once
// Array arithmetic of the worksheet operations. Every function is safe for
// any range and any n: points outside the array are never read or written.
// Intermediate values are kept in extended precision.
#include <optional>

namespace qm {

// Line: the points strictly between b and e become the chord from x[b] to
// x[e], the ends bounded to the scan. Nothing changes unless b + 1 < e.
void chordLine(float* x, int n, int b, int e);
// Overturn: the points strictly between b and e are mirrored about the same
// chord, x[i] = 2 L(i) - x[i].
void chordOverturn(float* x, int n, int b, int e);

// Eq. Null on [b, e): x[i] = 0 where (x[i] > 0) differs from (flag == 1).
void zeroBySign(float* x, int b, int e, int flag);

// Degree of polarization in per cent, V := 100 V / I where both |V| and |I|
// reach the noise level (and I is not 0), else 0; clipped to [-100, 100].
void polarizationDegree(const float* i, float* v, int n, float noise);

// Value at the mirror m = 2c - i of point i about the centre c, linearly
// interpolated; nullopt unless 1 <= m <= n - 2.
std::optional<long double> mirrorValue(const float* x, int n, long double c, int i);

// Min rel. Csun on [b, e): each point becomes the smaller of itself and its
// mirror value (mirror values taken from the curve as it was).
void minAcrossCenter(float* x, int n, float center, int b, int e);
// Copy rel.Csun: the mirror image of [b, e) about the centre, bounded to
// 1 ... n - 2, takes the interpolated values of the selection.
void copyAcrossCenter(float* x, int n, float center, int b, int e);

// Zero level of Null level: mean of 20 points chosen by the mode (0 auto:
// points 1..10 and n-11..n-2; 1 the first 20; 2 the last 20; 3 the 20
// around the middle of [b, e), kept inside the scan). nullopt for another
// mode or a scan too short for the points.
std::optional<long double> zeroLevel(const float* x, int n, int mode, int b, int e);

// Tail of curve: for N > 0 the points n-1-N ... n-1, for N < 0 the points
// 0 ... |N|-1 take the mean of the three points around n-1-N or |N|.
// Returns false (nothing changed) when N = 0 or |N| > n - 5.
bool tailOfCurve(float* x, int n, int nTail);

} // namespace qm
