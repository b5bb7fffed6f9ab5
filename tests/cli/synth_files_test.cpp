// Synthetic sets written through the program's writers and read back
// through its readers.
#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "cli/shape_f_writer.h"
#include "files/data_file_reader.h"
#include "tests/cli/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace qm {
namespace {

using test::TempFolder;

// One quantum of the writers' 16-bit scaling of an array, plus the rounding
// of BSCALE and BZERO printed with "%14e".
double quantum(const float* x, int n)
{
    const auto [lo, hi] = std::minmax_element(x, x + n);
    const double scale = (double(*hi) - *lo) / 2 / 30000;
    return 1.02 * scale + 2e-6 * (std::fabs(*hi) + std::fabs(*lo));
}

void expectSameScan(const ScanRecord& a, const ScanRecord& b)
{
    SCOPED_TRACE(a.label());
    EXPECT_EQ(a.label(), b.label());
    EXPECT_STREQ(a.object, b.object);
    EXPECT_STREQ(a.telescop, b.telescop);
    EXPECT_STREQ(a.origin, b.origin);
    EXPECT_EQ(a.nPoints, b.nPoints);
    EXPECT_FLOAT_EQ(a.step, b.step);
    EXPECT_FLOAT_EQ(a.centerPoint, b.centerPoint);
    EXPECT_FLOAT_EQ(a.beamHalfsize, b.beamHalfsize);
    EXPECT_FLOAT_EQ(a.radius, b.radius);
    EXPECT_EQ(a.tqSun, b.tqSun);
    EXPECT_NEAR(a.azimuth, b.azimuth, 1e-6);
    EXPECT_NEAR(a.altitude, b.altitude, 1e-5);
    EXPECT_NEAR(a.angleP, b.angleP, 1e-5);
    EXPECT_NEAR(a.fluxCoef, b.fluxCoef, 0.0005);
    EXPECT_EQ(a.calibWrk, b.calibData);
    EXPECT_EQ(a.flagIvWrk, b.flagIvData);
    ASSERT_EQ(a.hasI(), b.hasI());
    ASSERT_EQ(a.hasV(), b.hasV());
    for (int ch = 0; ch < 2; ++ch) {
        const float* x = ch == 0 ? a.wrkI() : a.wrkV();
        const float* y = ch == 0 ? b.dataI() : b.dataV();
        const float* yw = ch == 0 ? b.wrkI() : b.wrkV();
        if (!x)
            continue;
        const double tol = quantum(x, a.nPoints);
        double worst = 0;
        for (int i = 0; i < a.nPoints; ++i) {
            worst = std::max(worst, std::fabs(double(x[i]) - y[i]));
            ASSERT_EQ(y[i], yw[i]);
        }
        EXPECT_LE(worst, tol) << "channel " << ch + 1;
        // The quantisation is really used: the values are not exact.
        EXPECT_GT(worst, 0.0);
    }
}

TEST(SynthFiles, WorksheetSaveLoadsBackWithinTheQuantisation)
{
    TempFolder dir("synthsave");
    SynthParams p;
    p.count = 4;
    p.from = 3;
    p.to = 12;
    p.points = 2000;
    p.observations = 2;
    HeadlessWorkbench h(nullptr, nullptr);
    h.adopt(synthSet(p));
    ASSERT_EQ(h.wb.scans.count(), 8);

    for (const bool text : {false, true}) {
        SCOPED_TRACE(text ? "text samples" : "binary samples");
        const std::string hdr = dir / (text ? "text.0hd" : "bin.0hd");
        ASSERT_TRUE(h.saveWorksheets(hdr, text));
        // One data file per scan, listed in the header file.
        std::ifstream in(hdr, std::ios::binary);
        std::stringstream ss;
        ss << in.rdbuf();
        const std::string listing = ss.str();
        EXPECT_EQ(std::count(listing.begin(), listing.end(), '\n'), 8);
        EXPECT_NE(listing.find(text ? "text.008\t12.000[GHz]\r\n" : "bin.008\t12.000[GHz]\r\n"), std::string::npos);

        HeadlessWorkbench g(nullptr, nullptr);
        ASSERT_TRUE(g.load(hdr));
        ASSERT_EQ(g.wb.scans.count(), 8);
        for (int k = 0; k < 8; ++k) {
            expectSameScan(*h.wb.scans.at(k), *g.wb.scans.at(k));
            EXPECT_EQ(g.wb.scans.at(k)->sampleFormat, text ? 1 : 0);
        }
    }

    // A save that cannot happen is reported as such and leaves the old set:
    // here the scans differ in length.
    const std::string hdr = dir / "bin.0hd";
    std::vector<uint8_t> before;
    ASSERT_TRUE(readWholeFile(hdr, before));
    SynthParams shorter = p;
    shorter.points = 100;
    shorter.count = 1;
    h.adopt(synthSet(shorter));
    EXPECT_FALSE(h.saveWorksheets(hdr));
    std::vector<uint8_t> after;
    ASSERT_TRUE(readWholeFile(hdr, after));
    EXPECT_EQ(before, after);
}

TEST(SynthFiles, ShapeFLayoutIsReadBack)
{
    SynthParams p;
    p.frequencies = {5.7};
    p.points = 1200;
    p.year = 1999, p.month = 3, p.day = 12;
    const auto set = synthSet(p);
    const ScanRecord& r = *set.front();
    const std::string bytes = encodeShapeFFile(r);
    const int n = r.nPoints;

    // Cards of 80 bytes ending in CR LF up to the second END card.
    ASSERT_EQ(bytes.compare(0, 24, "SIMPLE  =              F"), 0);
    std::size_t pos = 0;
    int ends = 0, cards = 0;
    while (ends < 2) {
        ASSERT_LE(pos + 80, bytes.size());
        const std::string card = bytes.substr(pos, 80);
        EXPECT_EQ(card.substr(78), "\r\n");
        if (card.compare(0, 4, "END ") == 0)
            ++ends;
        if (card.compare(0, 9, "DATE-OBS=") == 0) {
            EXPECT_EQ(card.substr(10, 12), "'12/03/1999'");
        }
        pos += 80;
        ++cards;
    }
    EXPECT_EQ(cards, 23);
    // Per channel: POLARIZ, BSCALE, BZERO, END, the little-endian samples and CR LF.
    for (int ch = 0; ch < 2; ++ch) {
        const std::string polariz = bytes.substr(pos, 80);
        EXPECT_EQ(polariz.substr(0, 24), ch == 0 ? "POLARIZ =              1" : "POLARIZ =              0");
        double scale = 0, offset = 0;
        ASSERT_EQ(std::sscanf(bytes.substr(pos + 80 + 10, 14).c_str(), "%lf", &scale), 1);
        ASSERT_EQ(std::sscanf(bytes.substr(pos + 160 + 10, 14).c_str(), "%lf", &offset), 1);
        EXPECT_EQ(bytes.compare(pos + 80, 8, "BSCALE  "), 0);
        EXPECT_EQ(bytes.compare(pos + 160, 8, "BZERO   "), 0);
        EXPECT_EQ(bytes.compare(pos + 240, 4, "END "), 0);
        pos += 320;
        const float* x = ch == 0 ? r.dataI() : r.dataV();
        const auto* s = reinterpret_cast<const uint8_t*>(bytes.data() + pos);
        int lo = 0, hi = 0;
        for (int i = 0; i < n; ++i) {
            const int sample = getI16LE(s + 2 * i);
            lo = std::min(lo, sample);
            hi = std::max(hi, sample);
            ASSERT_NEAR(sample * scale + offset, x[i], quantum(x, n));
        }
        // The scaling spans -30000..30000; truncation may leave the extremes
        // one unit inside.
        EXPECT_GE(lo, -30000);
        EXPECT_LE(lo, -29999);
        EXPECT_GE(hi, 29999);
        EXPECT_LE(hi, 30000);
        pos += 2 * static_cast<std::size_t>(n);
        EXPECT_EQ(bytes.substr(pos, 2), "\r\n");
        pos += 2;
    }
    EXPECT_EQ(pos, bytes.size());

    // The program's reader takes it back, the date turned to year first.
    TempFolder dir("shapef");
    const std::string path = dir / "scan.dat";
    ASSERT_TRUE(writeFileAtomically(path, bytes));
    HeadlessWorkbench h(nullptr, nullptr);
    ScanRecord back;
    ASSERT_TRUE(readDataFile(h.wb, path, back));
    EXPECT_STREQ(back.dateObs, "1999/03/12");
    expectSameScan(r, back);
    EXPECT_EQ(back.sampleFormat, 0);

    // A scan with channel 2 only is stored as one channel and comes back there.
    ScanRecord vOnly = r;
    vOnly.freeChannel(1);
    ASSERT_TRUE(writeFileAtomically(path, encodeShapeFFile(vOnly)));
    ScanRecord back2;
    ASSERT_TRUE(readDataFile(h.wb, path, back2));
    EXPECT_FALSE(back2.hasI());
    ASSERT_TRUE(back2.hasV());
    for (int i = 0; i < n; i += 13)
        EXPECT_NEAR(back2.dataV()[i], r.dataV()[i], quantum(r.dataV(), n));
}

} // namespace
} // namespace qm
