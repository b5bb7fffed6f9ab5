#include "files/card_reader.h"
#include "files/jasc_palette.h"

#include <gtest/gtest.h>

#include <string>

using namespace qm;

namespace {

std::optional<std::vector<uint32_t>> parse(const std::string& text)
{
    ByteSource in(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    return readJascPalette(in);
}

std::string lfPalette(int colours, const char* last = "255 128 0")
{
    std::string t = "JASC-PAL\n0100\n256\n";
    for (int i = 0; i + 1 < colours; ++i)
        t += std::to_string(i) + " 0 " + std::to_string(255 - i) + "\n";
    return t + last + "\n";
}

} // namespace

TEST(JascPalette, ReadsCompletePalettesWithEitherLineEnd)
{
    const auto lf = parse(lfPalette(256));
    ASSERT_TRUE(lf);
    ASSERT_EQ(lf->size(), 256u);
    EXPECT_EQ((*lf)[1], 0x00fe0001u);   // r=1 g=0 b=254 as 0x00bbggrr
    EXPECT_EQ((*lf)[255], 0x000080ffu); // the last line
    const auto crlf = parse(jascPaletteText(*lf));
    ASSERT_TRUE(crlf);
    EXPECT_EQ(*crlf, *lf);
}

TEST(JascPalette, RefusesIncompleteOrOutOfRangeFilesAndFallsBackToGrey)
{
    EXPECT_FALSE(parse(lfPalette(255)));
    EXPECT_FALSE(parse(lfPalette(256, "256 0 0")));
    EXPECT_FALSE(parse(lfPalette(256, "-1 0 0")));
    EXPECT_FALSE(parse(lfPalette(256, "1 2")));
    EXPECT_FALSE(parse("JASC-PAL\n0100\n16\n0 0 0\n"));
    EXPECT_FALSE(parse(""));
    const auto grey = paletteOrGrey("/nonexistent/palette.pal");
    ASSERT_EQ(grey.size(), 256u);
    EXPECT_EQ(grey[0], 0u);
    EXPECT_EQ(grey[200], 0x00c8c8c8u);
}
