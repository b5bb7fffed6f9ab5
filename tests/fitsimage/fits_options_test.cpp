// The 60-byte options record and the fields of the two FITS dialogs.
#include "app/byte_order.h"
#include "app/settings_store.h"
#include "fitsimage/fits_options.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

namespace qm {
namespace {

TEST(FitsOptions, RecordLayoutDefaultsAndDialogFields)
{
    FitsOptions o;
    o.mode = kFitsAbsMinMax;
    o.beamConvolution = 0;
    o.arcSeconds = 1;
    o.inversion = 1;
    o.applyToData = 1;
    o.minLevel = -2.5f;
    o.maxLevel = 7.25f;
    o.zeroLevel = 0.5f;
    o.radiusKeyword = "SOLAR_R";
    o.newLevel = "max";
    const auto b = encodeFitsOptions(o);
    ASSERT_EQ(b.size(), 60u);
    std::vector<uint32_t> words; // mode, beam convolution, arc seconds, inversion, apply to data
    for (std::size_t at = 0; at < 20; at += 4)
        words.push_back(getU32LE(&b[at]));
    EXPECT_EQ(words, (std::vector<uint32_t>{6, 0, 1, 1, 1}));
    EXPECT_EQ((std::vector<float>{getF32LE(&b[20]), getF32LE(&b[24]), getF32LE(&b[28])}),
              (std::vector<float>{-2.5f, 7.25f, 0.5f}));
    EXPECT_EQ(std::memcmp(&b[32], "SOLAR_R\0\0\0", 10), 0);
    EXPECT_EQ(std::memcmp(&b[42], "max\0", 4), 0);
    const auto back = decodeFitsOptions(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(encodeFitsOptions(*back), b);
    EXPECT_EQ(std::pair(back->radiusKeyword, back->newLevel), std::pair(std::string("SOLAR_R"), std::string("max")));

    // Absent or of another length: the defaults.
    MemorySettingsStore store;
    FitsOptions d = loadFitsOptions(store);
    EXPECT_EQ(std::tuple(d.mode, d.beamConvolution, d.maxLevel, d.radiusKeyword, d.newLevel),
              std::tuple(0, 1, 1.0f, std::string("RADIUS"), std::string("0")));
    store.writeBinary("FitsConfig", std::vector<uint8_t>(40, 1));
    EXPECT_EQ(loadFitsOptions(store).radiusKeyword, "RADIUS");
    ASSERT_TRUE(storeFitsOptions(store, o));
    EXPECT_EQ(loadFitsOptions(store).mode, kFitsAbsMinMax);

    // Dialog: texts cut to their widths, unreadable numbers 0, the sign.
    FitsLoadingFields f = fitsLoadingFields(FitsOptions{});
    EXPECT_EQ((std::vector<std::string>{f.minLevel, f.maxLevel, f.angleSign, f.quietSun}),
              (std::vector<std::string>{"0", "1", "1", "0"}));
    EXPECT_TRUE(f.beamConvolution);
    f.radiusKeyword = "RADIUS_TOO_LONG";
    f.newLevel = "123456789012345";
    f.maxLevel = "abc";
    f.angleSign = "-1";
    f.quietSun = "1500";
    f.mode = 12;
    const FitsLoadingChoice c = fitsLoadingChoice(f);
    EXPECT_EQ(std::tuple(c.options.radiusKeyword, c.options.newLevel, c.options.maxLevel, c.options.mode, c.angleSign,
                         c.quietSun),
              std::tuple(std::string("RADIUS_TO"), std::string("12345678901"), 0.0f, 0, -1, 1500.0f));
    EXPECT_EQ(encodeFitsOptions(c.options)[32 + 9], 0);

    FitsViewFields v = fitsViewFields(o);
    EXPECT_EQ(v.mode, kFitsAbsMinMax);
    v.mode = kFitsLogScale;
    v.zeroLevel = "3";
    const FitsOptions w = applyFitsViewFields(o, v);
    EXPECT_EQ(w.mode, kFitsLogScale);
    EXPECT_EQ(w.zeroLevel, 3.0f);
    EXPECT_EQ(w.inversion, 1); // untouched by the view dialog
}

} // namespace
} // namespace qm
