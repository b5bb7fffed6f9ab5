#include "app/byte_order.h"
#include "app/settings_store.h"
#include "beam/beam_config.h"
#include "beam/fft.h"
#include "tests/app/scan_fixture.h"
#include "tests/support/python_reference.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>

using namespace qm;
using namespace qm::test;

TEST(BeamConfig, LayoutRoundTripAndLength)
{
    BeamConfig c{30, 1.5f, -10, 11, 0.5f, 2, 0.25f, 21, 4000, 1};
    const auto bytes = encodeBeamConfig(c);
    ASSERT_EQ(bytes.size(), 40u);
    std::vector<float> floats; // nine floats (the L shift before the R shift), then the test option
    for (std::size_t at = 0; at < 36; at += 4)
        floats.push_back(getF32LE(bytes.data() + at));
    EXPECT_EQ(floats, (std::vector<float>{30, 1.5f, -10, 11, 0.5f, 2, 0.25f, 21, 4000}));
    EXPECT_EQ(getU32LE(bytes.data() + 36), 1u);

    MemorySettingsStore store;
    EXPECT_FALSE(loadBeamConfig(store));
    ASSERT_TRUE(storeBeamConfig(store, c));
    const auto back = loadBeamConfig(store);
    ASSERT_TRUE(back);
    EXPECT_EQ(encodeBeamConfig(*back), bytes);
    for (std::size_t size : {39u, 41u}) {
        store.writeBinary("BeamConfig", std::vector<uint8_t>(size, 0));
        EXPECT_FALSE(loadBeamConfig(store)) << size;
    }
}

TEST(BeamConfig, DialogFieldsAndTheCommandsUseOfThem)
{
    const auto templ = beamDialogFields(std::nullopt);
    EXPECT_EQ(templ.values, (std::array<std::string, 9>{"45", "0", "-12.5", "12.5", "2.0", "0", "0.001", "41",
                                                         "5500.0"}));
    EXPECT_FALSE(templ.testOption);
    const auto stored = beamDialogFields(BeamConfig{45, 0, -12.5f, 12.5f, 2, 0, 0.001f, 41, 5500, 1});
    EXPECT_EQ(stored.values[0], "45.000");
    EXPECT_EQ(stored.values[2], "-12.500");
    EXPECT_EQ(stored.values[6], "0.00100");
    EXPECT_TRUE(stored.testOption);

    BeamConfigFields typed = templ;
    typed.values[0] = "  30.5abc";
    typed.values[3] = "east";
    typed.values[6] = "1e-4";
    const BeamConfig c = beamConfigFromFields(typed);
    EXPECT_EQ(c.aperture, 30.5f);
    EXPECT_EQ(c.shiftR, 0.0f);
    EXPECT_EQ(c.noiseLevel, 1e-4f);
    EXPECT_EQ(c.elementSize, 5500.0f);

    // Cancel stores nothing; OK stores what was typed.
    Bench b;
    EXPECT_FALSE(runBeamDialog(b.wb));
    EXPECT_FALSE(loadBeamConfig(b.store));
    b.ui.beamAnswers = {typed};
    ASSERT_TRUE(runBeamDialog(b.wb));
    ASSERT_TRUE(loadBeamConfig(b.store));
    EXPECT_EQ(loadBeamConfig(b.store)->aperture, 30.5f);
    EXPECT_EQ(b.ui.beamShown.back().values[0], "45");
}

TEST(Fft, MatchesNumpyBothWaysAndComplexHelpers)
{
    EXPECT_EQ(modulus({3, -4}), 5);
    EXPECT_EQ(modulus({0, -2}), 2);
    EXPECT_EQ(divideScaled({1, 2}, {0, 0}), Complex(0, 0));
    const Complex q = divideScaled({1e300, 3e300}, {2e300, -1e300}); // no overflow on the way
    EXPECT_NEAR(q.real(), -0.2, 1e-15);
    EXPECT_NEAR(q.imag(), 1.4, 1e-15);
    std::vector<Complex> odd(6);
    EXPECT_FALSE(fft(odd, -1));

    if (!pythonImports("numpy"))
        GTEST_SKIP() << "python3-numpy is not installed";
    // Random sequences of every size, both ways, through one script run.
    std::mt19937 g(7);
    std::uniform_real_distribution<double> d(-1, 1);
    const std::string in = std::string(::testing::TempDir()) + "fft_in.txt";
    std::vector<std::vector<Complex>> mine;
    FILE* f = std::fopen(in.c_str(), "w");
    ASSERT_TRUE(f);
    for (std::size_t m = 2; m <= 65536; m *= 2)
        for (int sign : {-1, 1}) {
            std::vector<Complex> x(m);
            std::fprintf(f, "%d %zu\n", sign, m);
            for (auto& v : x) {
                v = {d(g), d(g)};
                std::fprintf(f, "%.17e %.17e\n", v.real(), v.imag());
            }
            ASSERT_TRUE(fft(x, sign));
            mine.push_back(std::move(x));
        }
    std::fclose(f);
    const auto ref = numbersIn(runReference("beam/beam_reference.py", "fft " + in).value_or(""));
    std::size_t at = 0;
    for (const auto& x : mine) {
        ASSERT_LE(at + 2 * x.size(), ref.size());
        double err = 0, scale = 0;
        for (std::size_t k = 0; k < x.size(); ++k, at += 2) {
            const Complex r(ref[at], ref[at + 1]);
            err = std::max(err, std::abs(x[k] - r));
            scale = std::max(scale, std::abs(r));
        }
        EXPECT_LT(err, 1e-12 * scale) << x.size();
    }
    EXPECT_EQ(at, ref.size());
}
