// Corrections and transforms run as commands: the centre finder, Equal
// Length, scan subtraction and integration, and the commands that read
// correction files or edit ephemerides.
#include "tests/proc/proc_bench.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace qm;
using namespace qm::test;

namespace {

// A solar disk of 240 points radius centred on `centre`, with limbs 8 points
// wide, on a flat sky: symmetric, so both finder modes must find `centre`.
std::vector<float> disk(int n, double centre)
{
    std::vector<float> v(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        v[i] = static_cast<float>(1000 * std::clamp((240 - std::fabs(i - centre)) / 8 + 0.5, 0.0, 1.0));
    return v;
}

} // namespace

TEST(TransformCommands, CenterSunFindsTheDiskInBothModesAndCutsToACommonStretch)
{
    for (int mode : {0, 1}) {
        ProcBench b;
        b.loadAlike({3.0f, 5.0f}, 800, 4.0f);
        const double truth[2] = {400.5, 390};
        for (int k = 0; k < 2; ++k) {
            ScanRecord& s = *b.wb.scans.at(k);
            s.tqSun = 1000;
            s.centerPoint = 300;
            const auto d = disk(800, truth[k]);
            std::copy(d.begin(), d.end(), s.dataI());
            std::copy(d.begin(), d.end(), s.wrkI());
        }
        b.wb.allMode = true;
        b.wb.fileOutput = false; // a script run: the report opens in a window
        b.runBatch(144, float(mode));
        ASSERT_TRUE(b.wb.takeFailures().empty()) << mode;
        ASSERT_EQ(b.ui.reports.size(), 1u);
        EXPECT_EQ(b.ui.reports[0].title, "Delta Center Sun");
        // Both scans now share the centre and a length around it; the disk of
        // each sits on that centre.
        const ScanRecord& s0 = *b.wb.scans.at(0);
        const ScanRecord& s1 = *b.wb.scans.at(1);
        EXPECT_EQ(s0.centerPoint, s1.centerPoint);
        EXPECT_EQ(s0.nPoints, s1.nPoints);
        for (const ScanRecord* s : {&s0, &s1}) {
            const auto c = static_cast<int>(s->centerPoint);
            EXPECT_NEAR(s->dataI()[c - 236], s->dataI()[c + 236], 70) << mode; // the limbs mirror
            EXPECT_EQ(s->wrkI()[c], 1000.0f);
        }
        EXPECT_NEAR(s0.centerPoint, 390, 1.0) << mode; // the smaller centre, as the cut keeps it
    }
}

TEST(TransformCommands, EqualLengthPutsEveryCentreOnTheSmallestOne)
{
    ProcBench b;
    std::vector<std::unique_ptr<ScanRecord>> v;
    v.push_back(makeScan(3.0f, "2004/05/01", "05:00:00", 40));
    v.push_back(makeScan(5.0f, "2004/05/01", "05:00:00", 50));
    b.load(std::move(v));
    const float centres[2] = {15.25f, 22.75f};
    for (int k = 0; k < 2; ++k) {
        ScanRecord& s = *b.wb.scans.at(k);
        s.centerPoint = centres[k];
        for (int i = 0; i < s.nPoints; ++i) // a ramp through 0 at the centre
            s.dataI()[i] = s.wrkI()[i] = 10 * (i - centres[k]);
    }
    b.wb.dispatch(154);
    // c_min = 15.25, r_min = min(24.75, 27.25): 40 points.
    for (const auto& s : b.wb.scans) {
        ASSERT_EQ(s->nPoints, 40);
        EXPECT_EQ(s->centerPoint, 15.25f);
        for (int j = 1; j < 38; ++j)
            EXPECT_NEAR(s->dataI()[j], 10 * (j - 15.25), 1e-3) << s->frequency << ' ' << j;
    }
}

TEST(TransformCommands, ScanSubScanAndIntegration)
{
    // By observation: the active observation's scans are subtracted from the
    // scans of the same frequency in other observations.
    ProcBench b;
    std::vector<std::unique_ptr<ScanRecord>> v;
    v.push_back(makeScan(3.0f, "2004/05/01", "05:00:00", 20));
    v.push_back(makeScan(3.0f, "2004/05/01", "06:00:00", 20));
    v.push_back(makeScan(5.0f, "2004/05/01", "06:00:00", 20));
    b.load(std::move(v));
    for (int k = 0; k < 3; ++k)
        std::fill_n(b.wb.scans.at(k)->wrkI(), 20, float(10 * (k + 1)));
    b.select(false, false, true, false);
    b.wb.dispatch(160);
    b.expectMessage("Must be option ALL");
    b.wb.allMode = true;
    b.wb.setActive(b.wb.scans.at(0));
    b.wb.dispatch(160);
    EXPECT_EQ(b.wb.scans.at(1)->wrkI()[7], 10.0f); // 20 - 10
    EXPECT_EQ(b.wb.scans.at(2)->wrkI()[7], 30.0f); // no 5 GHz reference
    EXPECT_EQ(b.wb.scans.at(0)->wrkI()[7], 10.0f);

    // Scans integration: the group's mean in its first scan; a1 = 1 deletes
    // the others.
    b.wb.groupScans = {b.wb.scans.at(0), b.wb.scans.at(1), b.wb.scans.at(2)};
    b.wb.setGroupView(2);
    b.runBatch(200, 1);
    ASSERT_EQ(b.wb.scans.count(), 1);
    EXPECT_NEAR(b.wb.scans.head()->wrkI()[7], (10 + 10 + 30) / 3.0, 1e-5);
}

TEST(TransformCommands, CorrectionFilesAndEphemerides)
{
    TempDir dir;
    ProcBench b;
    b.loadAlike({3.0f, 5.7f}, 30);
    b.select(false, false, true, true);
    b.wb.allMode = true;

    // FITS Param in batch: the title names the file, a1 the field.
    writeFile(dir.path() / "beam.dat", "2.0 40\n4.0 60\n");
    b.wb.batchTitle = dir.file("beam.dat");
    b.runBatch(201, 1);
    EXPECT_FLOAT_EQ(b.wb.scans.at(0)->beamHalfsize, 50.0f); // 3 GHz: midway
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);             // 5.7 GHz lies outside the table
    b.wb.batchTitle = dir.file("missing.dat");
    b.runBatch(201, 1);
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);

    // Non-linear reg. with the log correction file of CorFile: the value v
    // at the quiet-Sun point maps to c(exp(v/c) - 1) = k v.
    writeFile(dir.path() / "CorLogTa.dat", "Frq kR kL\n3.0 1.5 1.2\n");
    b.wb.settings.corFile = dir.file("CorLogTa.dat");
    ScanRecord& s = *b.wb.scans.at(0);
    s.flagIvWrk = true;
    s.radius = 960;
    for (int i = 0; i < 30; ++i) // the quiet-Sun point a batch run finds: the minimum at 5
        s.wrkI()[i] = s.wrkV()[i] = 100.0f + float(std::abs(i - 5));
    b.wb.setActive(&s);
    b.wb.allMode = false;
    b.runBatch(188, 0);
    EXPECT_NEAR(s.wrkI()[5], 150.0, 0.2);
    EXPECT_NEAR(s.wrkV()[5], 120.0, 0.2);

    // Ephemeride: the dialog opens with the active scan's values and OK
    // applies them; a batch run does nothing.
    EphemeridesParams p;
    p.step = "2.5", p.azimuth = "180", p.altitude = "junk", p.angleP = "-12.5", p.centre = "14", p.object = "Sun";
    b.ui.ephemeridesAnswers.push_back(p);
    const float altitude = s.altitude;
    b.wb.dispatch(158);
    ASSERT_EQ(b.ui.ephemeridesShown.size(), 1u);
    EXPECT_EQ(b.ui.ephemeridesShown[0].step, "1.000000");
    EXPECT_EQ(s.step, 2.5f);
    EXPECT_EQ(s.angleP, -12.5f);
    EXPECT_EQ(s.altitude, altitude); // not a number: kept
    b.ui.ephemeridesAnswers.push_back(p);
    b.runBatch(158, 0);
    EXPECT_EQ(b.ui.ephemeridesShown.size(), 1u);
}
