#include "files/bitmap8.h"

#include "app/byte_order.h"

#include <algorithm>

namespace qm {

namespace {
constexpr int kFileHeader = 14, kInfoHeader = 40, kColours = 256;
constexpr uint32_t kPixelsPerMetre = 4000;
} // namespace

std::string bitmap8Bytes(int width, int height, const std::vector<uint32_t>& palette,
                         const std::vector<uint8_t>& pixels)
{
    width = std::max(width, 0);
    height = std::max(height, 0);
    const std::size_t stride = (std::size_t(width) + 3) / 4 * 4;
    const std::size_t offset = kFileHeader + kInfoHeader + 4 * kColours;
    std::string out(offset + stride * std::size_t(height), '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data());
    p[0] = 'B';
    p[1] = 'M';
    putU32LE(p + 2, uint32_t(out.size()));
    putU32LE(p + 10, uint32_t(offset));
    uint8_t* info = p + kFileHeader;
    putU32LE(info, kInfoHeader);
    putU32LE(info + 4, uint32_t(width));
    putU32LE(info + 8, uint32_t(height));
    putU16LE(info + 12, 1); // planes
    putU16LE(info + 14, 8); // bits per pixel; compression and image size stay 0
    putU32LE(info + 24, kPixelsPerMetre);
    putU32LE(info + 28, kPixelsPerMetre);
    putU32LE(info + 32, kColours);
    uint8_t* colours = info + kInfoHeader;
    for (std::size_t i = 0; i < std::min<std::size_t>(palette.size(), kColours); ++i) {
        const uint32_t c = palette[i];
        colours[4 * i] = uint8_t(c >> 16);    // blue
        colours[4 * i + 1] = uint8_t(c >> 8); // green
        colours[4 * i + 2] = uint8_t(c);      // red
    }
    for (int r = 0; r < height; ++r) {
        const std::size_t from = std::size_t(r) * std::size_t(width);
        const std::size_t count = from < pixels.size() ? std::min<std::size_t>(width, pixels.size() - from) : 0;
        std::copy_n(pixels.begin() + std::ptrdiff_t(from), count, p + offset + std::size_t(r) * stride);
    }
    return out;
}

} // namespace qm
