#pragma once
// Alignment of the two circular polarisations of a scan: the sub-point
// shift of L against R over the two solar limbs, and the move that cancels
// it.
#include <string>

namespace qm {

struct ScanRecord;

// The shift (in points) at which L best matches R over the rising limb and
// over the falling limb (R between t/5 and t/1.6 of the quiet-Sun level t),
// the mean of the two. 0 when the rising limb gives no result or t <= 0;
// the rising-limb result alone when the falling limb gives none.
double limbShift(const float* r, const float* l, int n, double quietSun);

// Aligns L(V) with R(I) in the worksheets of the scan by moving each half
// the shift in opposite directions. The text is "%.3f\t%.3f" (the shift in
// X units and in points), or the reason the scan was left as it is.
struct RLAlignment {
    std::string text;
    double shift = 0; // points
};
RLAlignment alignRL(ScanRecord& scan);

} // namespace qm
