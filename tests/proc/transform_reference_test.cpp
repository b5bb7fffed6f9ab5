// Corrections and transforms against their definitions, and the numbers
// users publish against scipy/numpy run in a separate process.
#include "analysis/analysis_commands.h"
#include "analysis/sun_template.h"
#include "proc/corrections.h"
#include "proc/smoothing_spline.h"
#include "proc/transforms.h"
#include "tests/proc/proc_bench.h"
#include "tests/support/python_reference.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

using namespace qm;
using namespace qm::test;

namespace {

// Runs a Python script with Debian's numpy/scipy; the numbers it prints,
// or nothing when that Python is missing.
std::vector<double> python(const std::string& script)
{
    TempDir dir;
    writeFile(dir.path() / "ref.py", script);
    const std::string cmd = "/usr/bin/python3 " + dir.file("ref.py") + " >" + dir.file("out") + " 2>/dev/null";
    return std::system(cmd.c_str()) == 0 ? numbersIn(readTextFile(dir.file("out"))) : std::vector<double>{};
}

} // namespace

TEST(Corrections, AmplificationStepAndLogScale)
{
    std::vector<float> x{1, 1, 1, 1, 2, 2, 2, 2};
    ASSERT_TRUE(correctAmplification(x, 3));
    for (float v : x)
        EXPECT_FLOAT_EQ(v, 1.0f);
    std::vector<float> flat{1, 1, 1, 1, 0, 0, 0, 0}; // q = 0: no factor, nothing changes
    EXPECT_FALSE(correctAmplification(flat, 3));
    EXPECT_FALSE(correctAmplification(x, 5)); // p > n - 4 would read past the end
    EXPECT_EQ(solveLogScale(100, 1.0), 0.0);

    const auto ref = python("from scipy.optimize import brentq\nimport math\n"
                            "for v,k in [(100,1.5),(3000,1.2),(5,4.0)]:\n"
                            "  print(brentq(lambda c:(math.exp(v/c)-1)*c-k*v, 0.05*v, 1e6*v))\n");
    if (ref.empty())
        GTEST_SKIP() << "scipy is not installed";
    const double cases[3][2] = {{100, 1.5}, {3000, 1.2}, {5, 4.0}};
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(solveLogScale(cases[i][0], cases[i][1]), ref[i], 0.001) << i;
}

TEST(SmoothingSpline, FluxSpectrumAgainstScipy)
{
    // A daily flux spectrum in MHz fitted as the flux calibration does (p = 4000).
    // make_smoothing_spline minimises the same sum of squares plus lam times the
    // integral of g''^2, so lam = p. The clamped reference minimises that sum over
    // cubic Hermite pieces (values and slopes at the knots, the exact g'' energy of
    // each piece) with the end slopes fixed to those of the end knot intervals.
    const float xs[9] = {245, 410, 610, 1415, 2695, 2800, 4995, 8800, 15400};
    const float ys[9] = {20, 41, 55, 80, 100, 108, 150, 250, 560};
    const double ts[10] = {245, 300, 410, 1000, 2695, 2750, 2800, 6000, 12000, 15400};
    const auto ref = python(
        "import numpy as np\nfrom scipy.interpolate import make_smoothing_spline, CubicHermiteSpline\n"
        "x=np.array([245,410,610,1415,2695,2800,4995,8800,15400.])\ny=np.array([20,41,55,80,100,108,150,250,560.])\n"
        "p=4000.\nt=np.array([245,300,410,1000,2695,2750,2800,6000,12000,15400.])\n"
        "print(*make_smoothing_spline(x,y,lam=p)(t))\n"
        "m=len(x)\nA=np.zeros((2*m,2*m))\nb=np.zeros(2*m)\n"
        "for i in range(m): A[2*i,2*i]=1; b[2*i]=y[i]\n"
        "for i in range(m-1):\n"
        "  h=x[i+1]-x[i]\n"
        "  A[2*i:2*i+4,2*i:2*i+4]+=p/h**3*np.array([[12,6*h,-12,6*h],[6*h,4*h*h,-6*h,2*h*h],"
        "[-12,-6*h,12,-6*h],[6*h,2*h*h,-6*h,4*h*h]])\n"
        "u=np.array([(y[1]-y[0])/(x[1]-x[0]),(y[-1]-y[-2])/(x[-1]-x[-2])])\n"
        "k=[1,2*m-1]\nf=[j for j in range(2*m) if j not in k]\nz=np.zeros(2*m)\nz[k]=u\n"
        "z[f]=np.linalg.solve(A[np.ix_(f,f)],b[f]-A[np.ix_(f,k)]@u)\n"
        "print(*CubicHermiteSpline(x,z[0::2],z[1::2])(t))\n");
    if (ref.size() != 20)
        GTEST_SKIP() << "scipy is not installed";
    for (bool natural : {true, false}) {
        SmoothingSpline s;
        ASSERT_TRUE(s.fit(9, 4000, xs, ys, natural));
        for (int i = 0; i < 10; ++i) {
            const double want = ref[natural ? i : 10 + i];
            EXPECT_NEAR(s.evaluate(ts[i]), want, 1e-6 * std::fabs(want)) << natural << ' ' << ts[i];
        }
    }
}

TEST(Transforms, EqualStepAndGroupMeans)
{
    ProcBench b;
    b.loadAlike({1.0f, 2.0f}, 60);
    ScanRecord& s1 = *b.wb.scans.at(0);
    ScanRecord& s2 = *b.wb.scans.at(1);
    s1.step = 2, s1.nPoints = 60, s1.centerPoint = 30.25f, s1.radius = 960;
    s2.step = 1, s2.centerPoint = 31.5f, s2.radius = 960;
    for (int i = 0; i < 60; ++i)
        s1.dataI()[i] = float(std::sin(i * 0.3) * 100 + i);
    std::string pts;
    for (int i = 0; i < 60; ++i)
        pts += format("%.9g,", s1.dataI()[i]);
    b.wb.dispatch(159);
    // L = min(60.5, 31.5) = 31.5, R = min(59.5, 28.5) = 28.5, s = 1.
    ASSERT_EQ(s1.nPoints, 60);
    EXPECT_EQ(s1.step, 1.0f);
    EXPECT_EQ(s1.centerPoint, 31.5f);
    EXPECT_EQ(wrkOf(s1, 1), dataOf(s1, 1));
    EXPECT_EQ(s1.dataI()[59], 0.0f);
    const auto ref = python("import numpy as np\nx=np.array([" + pts +
                            "])\nt=30.25-31.5*0.5+np.arange(60)*0.5\n"
                            "print(' '.join(repr(v) for v in np.interp(t,np.arange(60),x)))\n");
    if (!ref.empty()) {
        for (int j = 0; j < 59; ++j)
            EXPECT_NEAR(s1.dataI()[j], ref[j], 1e-4) << j;
    }

    // Group scan aver.: runs of equal frequency, a lone scan left alone.
    ProcBench g;
    g.loadAlike({5, 5, 5, 6}, 10);
    const float vals[4] = {1, 2, 6, 9};
    for (int k = 0; k < 4; ++k)
        g.wb.scans.at(k)->wrkI()[4] = vals[k];
    g.select(true, true, true, false);
    g.show(0, 10);
    g.wb.dispatch(170);
    g.expectMessage("Must be option ALL");
    g.wb.allMode = true;
    g.wb.dispatch(170);
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(g.wb.scans.at(k)->wrkI()[4], 3.0f);
    EXPECT_EQ(g.wb.scans.at(3)->wrkI()[4], 9.0f);
}

TEST(SunTemplate, DiskScanAgainstQuadrature)
{
    const DiskScanModel model(960, 40, 300);
    const DiskScanModel sharp(960, 0, 300);
    const auto ref = python(
        "from scipy.integrate import quad\nfrom scipy.special import erf\nimport math\n"
        "R,h,v=960.,40.,300.\na=2*math.sqrt(math.log(2))/v\n"
        "M=lambda x: quad(lambda u: math.exp(-4*math.log(2)*(x-u)**2/h**2)*erf(a*math.sqrt(R*R-u*u)),"
        "max(-R,x-8*h),min(R,x+8*h),limit=400,epsabs=1e-12)[0] if abs(x)<R+8*h else 0.0\n"
        "for x in [0,500,930,960,990,1100]: print(M(x))\n");
    if (ref.empty())
        GTEST_SKIP() << "scipy is not installed";
    const double xs[6] = {0, 500, 930, 960, 990, 1100};
    for (int i = 0; i < 6; ++i)
        EXPECT_NEAR(model(xs[i]) / model(0), ref[i] / ref[0], 1e-4) << xs[i];
    EXPECT_DOUBLE_EQ(sharp(0), std::erf(2 * std::sqrt(std::log(2.0)) * 960 / 300));
    EXPECT_EQ(sharp(970), 0.0);

    // The command: the centre takes tqSun, tqSun 0 without a table leaves the scan.
    ProcBench b;
    registerAnalysisCommands(b.wb.commands());
    b.loadAlike({2.0f, 3.0f}, 200, 10);
    b.wb.programDir = "/nonexistent";
    for (const auto& s : b.wb.scans)
        s->radius = 960, s->centerPoint = 100, s->tqSun = 12000, s->beamHalfsize = 40;
    b.wb.scans.at(1)->tqSun = 0;
    b.wb.settings.hrzBeam = 0;
    b.wb.settings.vrtBeam = 0;
    b.wb.dispatch(184);
    b.expectMessage("You must to check WrkI");
    b.select(true, true, true, true);
    b.wb.allMode = true;
    b.wb.view.confirmAll = false;
    const auto v0 = wrkOf(b.active(), 2);
    b.wb.dispatch(184);
    const ScanRecord& s = *b.wb.scans.at(0);
    EXPECT_FLOAT_EQ(s.wrkI()[100], 12000.0f);
    const DiskScanModel m2(960, 40, 11400 / 2.0);
    EXPECT_NEAR(s.wrkI()[150], 12000 * m2(500) / m2(0), 0.01);
    EXPECT_EQ(wrkOf(*b.wb.scans.at(1), 1), dataOf(*b.wb.scans.at(1), 1));
    EXPECT_EQ(wrkOf(b.active(), 2), v0);
}
