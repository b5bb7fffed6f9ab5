#include "files/jasc_palette.h"

#include "files/card_reader.h"

#include <cstdio>

namespace qm {

namespace {

constexpr std::size_t kLineLimit = 80;

// Next line without its CR/LF; false at the end of the bytes.
bool nextLine(ByteSource& in, std::string& line) { return readLine(in, line, kLineLimit, false) != 0; }

bool trimmedEquals(std::string line, const char* want)
{
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t' || line.back() == '\r'))
        line.pop_back();
    return line == want;
}

} // namespace

std::optional<std::vector<uint32_t>> readJascPalette(ByteSource& in)
{
    std::string line;
    if (!nextLine(in, line) || !trimmedEquals(line, "JASC-PAL"))
        return std::nullopt;
    if (!nextLine(in, line) || !trimmedEquals(line, "0100"))
        return std::nullopt;
    if (!nextLine(in, line) || !trimmedEquals(line, "256"))
        return std::nullopt;
    std::vector<uint32_t> colours;
    colours.reserve(kPaletteSize);
    while (static_cast<int>(colours.size()) < kPaletteSize) {
        if (!nextLine(in, line))
            return std::nullopt;
        int r = -1, g = -1, b = -1;
        char extra = 0;
        const int got = std::sscanf(line.c_str(), "%d %d %d %c", &r, &g, &b, &extra);
        if (got != 3 || r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255)
            return std::nullopt;
        colours.push_back(uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16);
    }
    return colours;
}

std::optional<std::vector<uint32_t>> readJascPaletteFile(const std::string& path)
{
    ByteSource in;
    if (!in.open(path))
        return std::nullopt;
    return readJascPalette(in);
}

std::vector<uint32_t> greyPalette()
{
    std::vector<uint32_t> grey(kPaletteSize);
    for (uint32_t i = 0; i < kPaletteSize; ++i)
        grey[i] = i | i << 8 | i << 16;
    return grey;
}

std::vector<uint32_t> paletteOrGrey(const std::string& path)
{
    if (auto colours = readJascPaletteFile(path))
        return std::move(*colours);
    return greyPalette();
}

std::string jascPaletteText(const std::vector<uint32_t>& colours)
{
    std::string text = "JASC-PAL\r\n0100\r\n256\r\n";
    char line[32];
    for (int i = 0; i < kPaletteSize; ++i) {
        const uint32_t c = i < static_cast<int>(colours.size()) ? colours[std::size_t(i)] : 0;
        std::snprintf(line, sizeof line, "%u %u %u\r\n", c & 0xff, (c >> 8) & 0xff, (c >> 16) & 0xff);
        text += line;
    }
    return text;
}

} // namespace qm
