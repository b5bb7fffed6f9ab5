#pragma once
// The FITS image of the Sun kept for the plot and the scan simulation: the
// image as doubles with its solar geometry, its 8-bit bitmap and palette,
// and the options record held while the program runs. The state is attached
// to the Workbench; Close forgets the image.
#include "fitsimage/fits_options.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class Workbench;

inline constexpr const char* kNotFitsImageText = "Not a two-dimensional FITS image:\n%s";

struct FitsImage {
    int width = 0, height = 0;
    std::vector<double> pixels; // width x height, row 0 first
    int cx = 0, cy = 0;         // solar centre, 0-based pixels
    double radius = 0;          // solar radius R_img in pixels
    double scale = 0;           // scan X units per image pixel
    double at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// How the file is read: the radius keyword and its unit come from the
// options record, the rotation from the command.
struct FitsLoadParams {
    std::string radiusKeyword = "RADIUS";
    bool arcSeconds = false;
    double scanRadius = 0; // X units of the active scan's solar radius
    int angleSign = 0;     // rotation by angleSign * angleP degrees; 0 none
    double angleP = 0;     // degrees
    double quietSun = 0;   // added inside the disk when rotating
};

// The image, or nullopt when the file is missing, unreadable or cut short,
// its first HDU is not a two-dimensional array, or the radius (keyword,
// CDELT1 in arc seconds, or the scan's) gives no positive finite R_img and
// scale. Integer samples equal to BLANK and non-finite samples become 0,
// and so do the first and last rows and columns.
std::optional<FitsImage> readFitsImage(const std::string& path, const FitsLoadParams& p);

// Rotation about (cx, cy) by `degrees`: each pixel takes the value of the
// source pixel its offset rotates from (rounded half toward zero, clamped to
// the image), plus `quietSun` within `radius` of the centre.
void rotateFitsImage(FitsImage& image, double degrees, double quietSun);

// The 40-byte bitmap information header of a W x H 8-bit image.
std::array<uint8_t, 40> fitsBitmapHeader(int width, int height);

// Bitmap indices trunc((v - min) * 255 / range) with range = max - min (1
// when 0), rows top first (the image's row 0 at the bottom), as the canvas
// takes them; min and max are returned for the status line.
std::vector<uint8_t> fitsBitmapPixels(const std::vector<double>& v, int width, int height, double& min,
                                      double& max);

struct FitsImageState {
    std::optional<FitsImage> image;
    std::array<uint8_t, 40> bitmapHeader{};
    std::vector<uint8_t> bitmap; // empty until the display was made
    std::vector<uint32_t> palette;
    bool paletteColour = false;  // the palette was made with colour drawing on
    std::optional<FitsOptions> options; // read from the settings on first use
    std::string lastFolder;
};

// The workbench's FITS image state, made on first use.
FitsImageState& fitsImageState(Workbench& wb);
// The held options record (the stored one the first time).
FitsOptions& fitsOptions(Workbench& wb);

} // namespace qm
