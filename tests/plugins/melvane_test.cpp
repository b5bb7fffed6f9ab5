// melvane through the host, against an independent numpy computation
// (tests/plugins/melvane_reference.py) for every mode and the median.
#include "plugins/plugin_host.h"
#include "tests/plugins/plugin_fixture.h"
#include "tests/support/python_reference.h"

#include <cmath>
#include <fstream>
#include <random>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kAbsorption = 10011, kEmission = 10012, kBoth = 10013, kMedian = 10014;
constexpr int kN = 160; // points of the scan; the range is 0 .. kN - 2

// A level of 100 with noise and a dip 40 deep over points 70..79.
std::vector<float> dipLine()
{
    std::mt19937 g(7);
    std::normal_distribution<float> nd(0, 1);
    std::vector<float> v(kN);
    for (int i = 0; i < kN; ++i)
        v[static_cast<std::size_t>(i)] = 100 + nd(g) - (i >= 70 && i < 80 ? 40.0f : 0.0f);
    return v;
}

struct MelvaneBench : PluginBench {
    TempDir dir;
    std::shared_ptr<PluginHost> host;
    MelvaneBench()
    {
        wb.programDir = dir.path().string();
        host = installPlugins(wb, QM_STARTUP_DIR);
        loadScans({2.7f}, kN);
        wb.chkWrkI = true;
        wb.chkWrkV = false;
        wb.settings.gaussNoise = 2;
        setWrk(dipLine());
    }
    void setWrk(const std::vector<float>& v) { std::copy(v.begin(), v.end(), wb.activeScan->wrkI()); }
    std::vector<float> wrk() const { return {wb.activeScan->wrkI(), wb.activeScan->wrkI() + kN}; }
    std::vector<float> run(int id, std::vector<std::string> form)
    {
        ui.formAnswers.push_back(std::move(form));
        wb.dispatch(id);
        return wrk();
    }
    // The reference of the range 0..kN-2 of x.
    std::vector<float> reference(const std::vector<float>& x, char method, int mode, int w, int s, int iters,
                                 double level)
    {
        {
            std::ofstream in(dir.file("in.txt"));
            in.precision(9);
            for (int i = 0; i < kN - 1; ++i)
                in << x[static_cast<std::size_t>(i)] << "\n";
        }
        EXPECT_TRUE(runReference("plugins/melvane_reference.py",
                                 dir.file("in.txt") + " " + dir.file("out.txt") + " " + method + " " +
                                     std::to_string(mode) + " " + std::to_string(w) + " " + std::to_string(s) + " " +
                                     std::to_string(iters) + " " + std::to_string(level)));
        std::ifstream out(dir.file("out.txt"));
        std::vector<float> r = x;
        for (int i = 0; i < kN - 1; ++i)
            out >> r[static_cast<std::size_t>(i)];
        return r;
    }
};

void expectNear(const std::vector<float>& a, const std::vector<float>& b, float tol, const std::string& what)
{
    ASSERT_EQ(a.size(), b.size());
    int bad = 0;
    for (std::size_t i = 0; i < a.size() && bad < 5; ++i)
        if (!(std::fabs(a[i] - b[i]) <= tol))
            ADD_FAILURE() << what << " point " << i << ": " << a[i] << " vs " << b[i] << " (" << ++bad << ")";
}

} // namespace

TEST(Melvane, EveryModeAgreesWithTheReference)
{
    if (!pythonImports("numpy"))
        GTEST_SKIP() << "numpy (python3-numpy) is not installed";
    struct Case {
        int id;
        char method;
        int mode;
        float tol;
    };
    const Case cases[] = {{kAbsorption, 'a', -1, 1e-3f}, {kEmission, 'e', 0, 1e-3f}, {kBoth, 'b', 1, 2e-3f},
                          {kAbsorption, 'a', 2, 5e-3f}, {kBoth, 'b', 7, 5e-3f}};
    for (const Case& c : cases) {
        MelvaneBench b;
        const std::vector<float> x = b.wrk();
        // Window 12 points: Mode 7 becomes degree 4; Step 5 -> node step 5.
        const auto got = b.run(c.id, {std::to_string(c.mode), "12", "3", "5"});
        const auto want = b.reference(x, c.method, c.mode, 12, 5, 3, 2.0);
        expectNear(got, want, c.tol, "mode " + std::to_string(c.mode));
        EXPECT_EQ(got[kN - 1], x[kN - 1]); // the last shown point is never changed
    }
    MelvaneBench b;
    const std::vector<float> x = b.wrk();
    expectNear(b.run(kMedian, {"0", "6", "5", "5"}), b.reference(x, 'm', 0, 6, 0, 0, 0), 0, "median");
}

TEST(Melvane, AbsorptionBridgesADipThatEmissionFollows)
{
    MelvaneBench b;
    const auto bridged = b.run(kAbsorption, {"0", "30", "5", "5"});
    b.setWrk(dipLine());
    const auto followed = b.run(kEmission, {"0", "30", "5", "5"});
    EXPECT_NEAR(bridged[75], 100, 2);
    EXPECT_LT(followed[75], 85);
    // Two runs: the form opened again with its initial texts each time.
    ASSERT_EQ(b.ui.formsShown.size(), 2u);
    for (const auto& f : b.ui.formsShown) {
        EXPECT_EQ(f.title, "Set Bdb method");
        EXPECT_EQ(f.helpCaption, "Bdb Help");
        ASSERT_EQ(f.fields.size(), 4u);
        EXPECT_EQ(f.fields[0], std::make_pair(std::string("Method mode :"), std::string("0")));
        EXPECT_EQ(f.fields[1].second, "20");
        EXPECT_EQ(f.fields[2].second, "5");
        EXPECT_EQ(f.fields[3], std::make_pair(std::string("Step of polynoms :"), std::string("5")));
    }
}

TEST(Melvane, EdgeCasesLeaveTheDataWhole)
{
    MelvaneBench b;
    const std::vector<float> x = b.wrk();
    // Cancel, zero or negative iterations, a window under one point, an
    // unparsable form: nothing changes.
    b.ui.formAnswers.push_back(std::nullopt);
    b.wb.dispatch(kAbsorption);
    EXPECT_EQ(b.wrk(), x);
    EXPECT_EQ(b.run(kAbsorption, {"0", "20", "0", "5"}), x);
    EXPECT_EQ(b.run(kAbsorption, {"0", "20", "-3", "5"}), x);
    b.wb.activeScan->step = 2; // Window 1 is half a point
    EXPECT_EQ(b.run(kBoth, {"1", "1", "5", "5"}), x);
    b.wb.activeScan->step = 1;
    EXPECT_EQ(b.run(kBoth, {"zz", "??", "x", ""}), x); // Mode 0 Window 1 -> w 1, Iterations 0
    // A window far longer than the range, Step 0, a range of three points.
    EXPECT_NE(b.run(kEmission, {"3", "100000", "2", "0"}), x);
    b.setWrk(x);
    b.show(10, 13);
    EXPECT_EQ(b.run(kEmission, {"0", "20", "5", "5"}), x);
    // Quick Median: Window 2 keeps a ramp, ends included; Window 10 on 14 points does nothing.
    std::vector<float> ramp(kN);
    for (int i = 0; i < kN; ++i)
        ramp[static_cast<std::size_t>(i)] = float(i);
    b.setWrk(ramp);
    b.show(0, kN - 1);
    EXPECT_EQ(b.run(kMedian, {"0", "2", "5", "5"}), ramp);
    b.setWrk(x);
    b.show(0, 14);
    EXPECT_EQ(b.run(kMedian, {"0", "10", "5", "5"}), x);
}
