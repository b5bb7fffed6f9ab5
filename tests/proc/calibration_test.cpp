#include "files/calibration_files.h"
#include "files/card_reader.h"
#include "proc/smoothing_spline.h"
#include "tests/proc/proc_bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

using namespace qm;
using namespace qm::test;

namespace {

// A scan of 40 points: a bump of 50 on a baseline of 100 (I) and half that (V).
void shapeScan(ScanRecord& s)
{
    for (int i = 0; i < s.nPoints; ++i) {
        s.wrkI()[i] = 100.0f + 50.0f * std::exp(-float((i - 20) * (i - 20)) / 30.0f);
        s.wrkV()[i] = 0.5f * s.wrkI()[i];
    }
}

struct FluxBench : ProcBench {
    TempDir dir;
    FluxBench()
    {
        wb.programDir = dir.path().string();
        wb.settings.jpFlux = dir.file("SunFlux");
        wb.settings.jpTime = 3;
        writeFile(dir.path() / "tab_sun.dat", "1.0 100 0.5\n20.0 100 0.5\n");
    }
    void table(const std::string& rel, const std::string& text)
    {
        std::filesystem::create_directories((dir.path() / "SunFlux" / rel).parent_path());
        writeFile(dir.path() / "SunFlux" / rel, text);
    }
    // The factor Full Flux must give for this scan's day fluxes a and b.
    static double expected(const ScanRecord& s, std::vector<float> mhz, std::vector<float> a, std::vector<float> b)
    {
        std::vector<float> f;
        for (std::size_t k = 0; k < a.size(); ++k)
            f.push_back(a[k] + (b[k] - a[k]) * 3.0f / 24.0f); // 06:00 against T0 = 3 h
        SmoothingSpline sp;
        EXPECT_TRUE(sp.fit(int(f.size()), 4000, mhz.data(), f.data(), false));
        const double flux = sp.evaluate(1000.0 * s.frequency) - (1 - 0.5) * 100;
        double area = 0;
        const float* x = s.wrkI();
        for (int i = 5; i < 35; ++i)
            area += x[i] - (x[5] + (i - 5) * (x[35] - x[5]) / 30.0);
        return flux / (s.step * s.fluxCoef * 1e-4 * area);
    }
};

} // namespace

TEST(Calibration, FullFluxAgainstAHandComputation)
{
    FluxBench b;
    b.loadAlike({3.75f, 12.0f}, 40);
    for (const auto& s : b.wb.scans) {
        shapeScan(*s);
        s->radius = 960;
        s->fluxCoef = 2;
        s->step = 1.5f;
        copyField(s->timeObs, "06:00:00");
    }
    b.select(true, true, true, true);
    b.show(5, 35);
    const std::string head5 = "Flux 1000 2000 3750 9400 17000\nignored\nignored\n";
    b.table("2004/May.104", head5 + "30 60 80 120 250 500\n31 62 82 124 255 510\n");
    b.table("2004/Jun.e104", head5 + "1 70 90 130 260 520\n2 1 1 1 1 1\n");
    ScanRecord& s = *b.wb.scans.head();
    copyField(s.dateObs, "2004/05/31"); // last day: the second record is June 1st
    const std::vector<float> mhz{1000, 2000, 3750, 9400, 17000};
    const double k = FluxBench::expected(s, mhz, {62, 82, 124, 255, 510}, {70, 90, 130, 260, 520});
    const auto i0 = wrkOf(s, 1), v0 = wrkOf(s, 2);
    b.wb.dispatch(127);
    ASSERT_EQ(s.calibWrk, 1);
    for (int i : {0, 20, 39}) {
        EXPECT_NEAR(s.wrkI()[i], i0[i] * k, 1e-4 * std::fabs(i0[i] * k)) << i;
        EXPECT_NEAR(s.wrkV()[i], v0[i] * k, 1e-4 * std::fabs(v0[i] * k)) << i;
    }

    // December takes its second record from January of the next year.
    b.wb.scans.head()->calibWrk = 0;
    b.table("2004/Dec.104", head5 + "31 62 82 124 255 510\n31 garbled\n");
    b.table("2005/Jan.e105", head5 + "1 70 90 130 260 520\n");
    shapeScan(s);
    copyField(s.dateObs, "2004/12/31");
    b.wb.dispatch(127);
    EXPECT_EQ(s.calibWrk, 1);
    EXPECT_NEAR(s.wrkI()[0] / 100.0f, k, 1e-4 * k);

    // 12 GHz against a 4-frequency table, a missing next month, a damaged
    // header: nothing changes and the run says why.
    const std::string head4 = "Flux 1000 2000 3750 9400\nx\nx\n";
    b.table("2004/Apr.104", head4 + "30 1 2 3 4\n");
    b.table("2004/Mar.104", "Flux 1000 2000 3750\nx\nx\n1 1 2 3\n2 1 2 3\n");
    ScanRecord& high = *b.wb.scans.at(1);
    for (const char* date : {"2004/04/30", "2004/04/29", "2004/03/01"}) {
        for (const auto& sc : b.wb.scans) {
            shapeScan(*sc);
            sc->calibWrk = 0;
            copyField(sc->dateObs, date);
        }
        b.wb.setActive(&high);
        b.wb.dispatch(127);
        EXPECT_EQ(high.calibWrk, 0) << date;
        EXPECT_EQ(wrkOf(high, 1)[20], 150.0f) << date;
        EXPECT_FALSE(b.wb.takeFailures().empty()) << date;
    }
}

TEST(Calibration, LevelAndPointChoicesOnThePlot)
{
    ProcBench b;
    b.loadAlike({3.0f}, 40);
    ScanRecord& s = b.active();
    shapeScan(s);
    s.tqSun = 16000;
    b.select(true, true, true, true);
    b.wb.geometry = PlotGeometry{};
    b.wb.geometry.left = 50, b.wb.geometry.right = 450, b.wb.geometry.top = 10, b.wb.geometry.bottom = 1010;
    b.wb.geometry.viewBegin = 0, b.wb.geometry.viewEnd = 40, b.wb.geometry.pixelsPerPoint = 10;
    b.wb.geometry.minI = 0, b.wb.geometry.maxI = 9900, b.wb.geometry.valid = true;
    const auto i0 = wrkOf(s, 1), v0 = wrkOf(s, 2);

    b.wb.dispatch(126);
    EXPECT_EQ(b.wb.interaction, InteractionMode::Calibration);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar: Choice of the level quiet Sun");
    b.wb.dispatch(119); // anything else is refused
    b.expectMessage("Calibration is ON");
    b.wb.plotDoubleClickHook(b.wb, 5, 500); // outside the frame: ignored
    EXPECT_EQ(b.wb.interaction, InteractionMode::Calibration);
    b.wb.plotDoubleClickHook(b.wb, 100, 500); // level (1010-500)*9900/990 = 5100
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_FLOAT_EQ(s.wrkI()[3], i0[3] * 16000.0f / 5100.0f);
    EXPECT_FLOAT_EQ(s.wrkV()[3], v0[3] * 16000.0f / 5100.0f);
    EXPECT_EQ(s.calibWrk, 1);

    // Batch: the level is the argument; 0 does nothing.
    shapeScan(s);
    b.runBatch(126, 0);
    EXPECT_EQ(wrkOf(s, 1), i0);
    b.runBatch(126, 5000);
    EXPECT_FLOAT_EQ(s.wrkI()[0], i0[0] * 3.2f);

    // Quiet Point Ta on R,L: R and L each get their own factor; Cancel ends it.
    shapeScan(s);
    s.flagIvWrk = 1;
    s.tqSun = 10000;
    s.wrkI()[12] = 2, s.wrkV()[12] = 4;
    b.wb.dispatch(187);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar: Position of Quiet Sun point");
    b.wb.dispatch(2);
    EXPECT_EQ(b.wb.interaction, InteractionMode::None);
    b.wb.plotDoubleClickHook(b.wb, 175, 500);
    EXPECT_EQ(s.wrkI()[12], 2.0f);
    b.wb.dispatch(187);
    b.wb.dispatch(110);
    b.expectMessage("Correction of Amplif is ON");
    b.wb.plotDoubleClickHook(b.wb, 175, 500); // point 0 + trunc(125/10) = 12
    EXPECT_EQ(s.wrkI()[12], 10000.0f);
    EXPECT_EQ(s.wrkV()[12], 10000.0f);
    EXPECT_FLOAT_EQ(s.wrkI()[0], i0[0] * 5000.0f);
    EXPECT_FLOAT_EQ(s.wrkV()[0], v0[0] * 2500.0f);

    // L[p] <= 0 leaves R unscaled too.
    shapeScan(s);
    s.wrkV()[12] = 0;
    b.wb.dispatch(187);
    b.wb.plotDoubleClickHook(b.wb, 175, 500);
    EXPECT_EQ(wrkOf(s, 1), i0);
}

TEST(Calibration, LoadAndNoiseGeneratorFactors)
{
    ProcBench b;
    TempDir dir;
    b.wb.programDir = dir.path().string();
    b.loadAlike({2.0f, 3.0f}, 40);
    b.select(true, true, true, true);
    b.show(2, 37);
    auto ends = [&](ScanRecord& s, float lowI, float lowV) {
        for (int i = 0; i < 40; ++i) {
            s.wrkI()[i] = i < 20 ? 50.0f : lowI;
            s.wrkV()[i] = i < 20 ? 30.0f : lowV;
        }
    };
    ScanRecord& s = b.active();
    ends(s, 10, 20);
    writeFile(dir.path() / "sh-fits.cfg", "20 0.5 11000 6 100\n1 0.5 11000 6 100\n");
    b.run(151, "300"); // k = 8*(300-100)/|8*40| = 5 and 8*200/|8*10| = 20
    EXPECT_FLOAT_EQ(s.wrkI()[0], 250.0f);
    EXPECT_FLOAT_EQ(s.wrkV()[39], 400.0f);
    ends(s, 10, 30); // D_V = 0: the whole scan stays
    b.run(151, "300");
    EXPECT_EQ(s.wrkI()[0], 50.0f);
    b.run(151, "50"); // Tb below the load's zero temperature
    EXPECT_EQ(s.wrkI()[0], 50.0f);

    // Set Noise generator writes the table, Noise generator reads it back.
    for (const auto& sc : b.wb.scans)
        ends(*sc, 10, 20);
    b.wb.allMode = true;
    b.ui.boxAnswers = {kOk, kOk};
    b.wb.dispatch(197);
    EXPECT_EQ(readTextFile(dir.file("noisegen.cal")),
              " 2.00000 40.000 10.000\r\n 3.00000 40.000 10.000\r\n");
    b.run(198, "0"); // k = 10*40/|10*40| = 1 and 10*10/|10*10| = 1
    EXPECT_EQ(b.wb.scans.at(1)->calibWrk, 1);
    EXPECT_EQ(b.wb.scans.at(1)->wrkI()[0], 50.0f);
    b.wb.allMode = false;
    const auto asked = b.ui.messages.size();
    b.wb.dispatch(197); // ONE mode: nothing
    EXPECT_EQ(b.ui.messages.size(), asked);
}

TEST(CalibrationFiles, DamagedTablesAreRefused)
{
    auto month = [](const std::string& text) {
        ByteSource in(reinterpret_cast<const uint8_t*>(text.data()), text.size());
        return readFluxMonth(in);
    };
    EXPECT_FALSE(month("Flux 1 2 3\nx\nx\n1 1 2 3\n"));
    EXPECT_FALSE(month(""));
    const auto t = month("Flux 1 2 3 4 5\nx\nx\n1 1 2 3 4 5\n2 1 2\nzz\n3 1 2 3 4 nan\n");
    ASSERT_TRUE(t);
    ASSERT_EQ(t->days.size(), 4u);
    EXPECT_EQ(t->days[0].flux.size(), 5u);
    EXPECT_TRUE(t->days[1].flux.empty() && t->days[2].flux.empty() && t->days[3].flux.empty());

    std::string cal;
    for (int i = 0; i < 1200; ++i)
        cal += format(" %d 1 2 3 4 5 6 7 8 9 10\r\n", i);
    ByteSource in(reinterpret_cast<const uint8_t*>(cal.data()), cal.size());
    const auto rows = readNoiseGen(in);
    ASSERT_EQ(rows.size(), 1000u);
    EXPECT_EQ(rows[999].frequency, 999.0f);
    EXPECT_EQ(rows[0].tV, 2.0f);

    std::string cor;
    for (int i = 0; i < 300; ++i)
        cor += format("%d %d\n", i, 2 * i);
    ByteSource cin(reinterpret_cast<const uint8_t*>(cor.data()), cor.size());
    const auto corr = readCorrectionData(cin);
    EXPECT_EQ(corr.size(), 256u);
    EXPECT_DOUBLE_EQ(*interpolateCorrection(corr, 10.5), 21.0);
    EXPECT_DOUBLE_EQ(*interpolateCorrection(corr, 7), 14.0);
    EXPECT_FALSE(interpolateCorrection(corr, 300));
    ByteSource none(reinterpret_cast<const uint8_t*>("a b\n1\n"), 6);
    EXPECT_TRUE(readCorrectionData(none).empty());
}
