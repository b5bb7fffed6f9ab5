#include "beam/beam_model.h"
#include "tests/support/python_reference.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

// A beam at FREQ GHz sampled every `arcsec` arc seconds of sky.
BeamModel beamAt(double ghz, double arcsec, double dfx = 0)
{
    BeamModel b;
    b.in.wl = 300 / ghz;
    b.in.dfx = dfx;
    b.in.dx = arcsec / b.q();
    b.compute();
    return b;
}

double widthArcsec(const BeamModel& b) { return b.halfPowerWidth() * b.q(); }

// Direction of the main lobe, arc seconds: the middle of its half-power edges.
double lobeArcsec(const BeamModel& b)
{
    const auto e = b.halfPowerEdges();
    return ((e.left + e.right) / 2 - (b.n() - 1) / 2) * b.in.dx * b.q();
}

// The numbers beam_reference.py prints for these arguments.
std::vector<double> numpyReference(const std::string& args)
{
    return numbersIn(runReference("beam/beam_reference.py", args).value_or(""));
}

} // namespace

TEST(BeamModel, FocalBeamIsSymmetricAndItsWidthFollowsTheWavelength)
{
    const BeamModel b = beamAt(10, 0.25);
    ASSERT_EQ(b.n() % 2, 1);
    EXPECT_LE(b.n(), kMaxBeamPoints);
    EXPECT_EQ(b.maxIndex(), (b.n() - 1) / 2);
    EXPECT_DOUBLE_EQ(b.values()[static_cast<std::size_t>(b.maxIndex())], 1.0);
    for (int j = 0; j < b.n(); ++j)
        ASSERT_NEAR(b.values()[static_cast<std::size_t>(j)], b.values()[static_cast<std::size_t>(b.n() - 1 - j)],
                    1e-9);

    // Width times frequency, about 270 arcsec GHz, constant within 2 %.
    std::vector<double> products;
    for (double ghz : {3.0, 5.0, 8.0, 12.0, 18.0})
        products.push_back(widthArcsec(beamAt(ghz, 27.0 / ghz)) * ghz);
    const auto [lo, hi] = std::minmax_element(products.begin(), products.end());
    EXPECT_LT(*hi / *lo, 1.02);
    EXPECT_NEAR(products[0], 270, 270 * 0.02);

    // The same aperture's far field.
    if (!pythonImports("numpy"))
        GTEST_SKIP() << "python3-numpy is not installed";
    const double ghz[] = {3, 10, 18};
    const auto ref = numpyReference("fraunhofer 45 100 30 16.6666667");
    ASSERT_EQ(ref.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_NEAR(widthArcsec(beamAt(ghz[k], 27.0 / ghz[k])), ref[k], ref[k] * 0.02) << ghz[k];
}

TEST(BeamModel, ShiftedFeedMovesTheLobeAsGeometricOpticsSays)
{
    const BeamModel east = beamAt(10, 0.25, 12.5), west = beamAt(10, 0.25, -12.5);
    const double focal = 144260; // ra/2, mm
    EXPECT_NEAR(lobeArcsec(east), -0.93 * 12.5 / focal * kArcSecondsPerRadian, 0.5);
    EXPECT_NEAR(lobeArcsec(west), -lobeArcsec(east), 0.05);
    EXPECT_LT(east.maxIndex(), (east.n() - 1) / 2);
    if (!pythonImports("numpy"))
        GTEST_SKIP() << "python3-numpy is not installed";
    const auto ref = numpyReference("geometric 12.5 45");
    ASSERT_EQ(ref.size(), 1u);
    EXPECT_NEAR(lobeArcsec(east), ref[0], std::abs(ref[0]) * 0.02);
}

TEST(BeamModel, UnusableInputsGiveNoBeamAndEdgesStayInside)
{
    for (auto set : std::vector<void (*)(BeamInputs&)>{
             [](BeamInputs& in) { in.wl = 0; }, [](BeamInputs& in) { in.wl = -3; },
             [](BeamInputs& in) { in.dx = 0; }, [](BeamInputs& in) { in.h = 150; },  // q <= 0
             [](BeamInputs& in) { in.dfx = NAN; }, [](BeamInputs& in) { in.vSize = INFINITY; },
             [](BeamInputs& in) { in.nh = 0; }, [](BeamInputs& in) { in.phi0 = 0; }}) {
        BeamModel b;
        set(b.in);
        b.compute();
        EXPECT_EQ(b.n(), 0);
        EXPECT_EQ(b.maxIndex(), -1);
        EXPECT_EQ(b.halfPowerWidth(), 0);
    }
    // A coarse step: three points, the maximum in the middle, no right edge
    // crossing below half power beyond the last point is read.
    BeamModel coarse;
    coarse.in.dx = 1e4;
    coarse.compute();
    ASSERT_EQ(coarse.n(), 3);
    const auto e = coarse.halfPowerEdges();
    EXPECT_GE(e.left, 0);
    EXPECT_LE(e.right, 2);
    // A step so fine that the half-power points lie outside: the edges are the ends.
    const BeamModel fine = beamAt(1, 0.001);
    ASSERT_EQ(fine.n(), kMaxBeamPoints);
    EXPECT_EQ(fine.halfPowerEdges().left, 0);
    EXPECT_EQ(fine.halfPowerEdges().right, kMaxBeamPoints - 1);
}
