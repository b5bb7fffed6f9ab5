#pragma once
// A synthetic optical image of the Sun for the FITS image overlay: a
// limb-darkened disk with a few bright active regions and a dark filament on
// a zero sky, written as a 16-bit FITS image with BSCALE/BZERO. The solar
// radius is the RADIUS keyword in arc seconds and CDELT1/2 give arc seconds
// per pixel; CRPIX1/2 (1-based) mark the disk centre.
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

struct SunImageParams {
    int size = 512;            // pixels on each side
    uint64_t seed = 1;         // positions and strengths of the features
    double radiusArcsec = 960; // solar radius
};

inline constexpr int kMinSunImageSize = 16, kMaxSunImageSize = 8192;

// Brightness of the pixels, row 0 first (disk centre 10000, sky 0).
std::vector<double> sunImageValues(const SunImageParams& p);

// The whole FITS file.
std::vector<uint8_t> encodeSunImage(const SunImageParams& p);

} // namespace qm
