#pragma once
// Outward linear resampling of a scan onto another point grid: both grids
// are described by the fractional index of the disk centre and the spacing
// of their points, and the walk goes from the centre outward to each side.
namespace qm {

struct SampleGrid {
    double centre = 0;  // fractional point index of the disk centre
    double spacing = 0; // X units between points
    int points = 0;
};

// Writes target points from trunc(centre) upward while source points last,
// and from trunc(centre) down to point 0 (extrapolating linearly past the
// first source point). Points the walks do not reach keep their values.
// Nothing is written unless both spacings are positive and finite.
void resampleOutward(const float* src, const SampleGrid& from, float* dst, const SampleGrid& to);

} // namespace qm
