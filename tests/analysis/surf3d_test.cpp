// Surf3D: checks, the text matrix, the FITS map against numpy.interp through
// astropy and fitsverify, the bitmap through ImageMagick, and bad output.
#include "analysis/surf3d.h"
#include "tests/analysis/analysis_bench.h"
#include "tests/files/fits_checkers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace qm;
using namespace qm::test;

namespace {

constexpr int kPoints = 300;

// What a shell command printed.
std::string run(const std::string& command)
{
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[4096];
        std::size_t got;
        while ((got = fread(buf, 1, sizeof buf, p)) > 0)
            out.append(buf, got);
        pclose(p);
    }
    return out;
}

// Scans whose worksheets hold w(i, f) = f*(100 + 50 sin(i/9)) + i (both channels),
// or a constant.
struct MapBench : AnalysisBench {
    TempDir dir;
    void loadMap(std::initializer_list<float> freqs, bool flat = false)
    {
        std::vector<std::unique_ptr<ScanRecord>> v;
        for (float f : freqs) {
            std::vector<float> w(kPoints);
            for (int i = 0; i < kPoints; ++i)
                w[std::size_t(i)] = flat ? 42.5f : float(f * (100 + 50 * std::sin(i / 9.0)) + i);
            auto s = curveScan(f, w, w);
            s->step = 2;
            s->centerPoint = 150;
            s->radius = 100;
            copyField(s->object, "Sun's 'AR'");
            v.push_back(std::move(s));
        }
        load(std::move(v));
        wb.allMode = true;
        select(true, false);
        wb.settings.palette3d = dir.file("missing.pal");
        show(10, 290);
    }
    // A batch Surf3D into `name`; the failures it recorded.
    std::vector<std::string> batch(int kind, bool frequency, const std::string& name, bool header = false,
                                   bool marks = false)
    {
        wb.interactiveMode = false;
        wb.fileOutput = false;
        wb.batchArgs = {float(kind), frequency ? 1.0f : 0.0f, header ? 1.0f : 0.0f, marks ? 1.0f : 0.0f};
        wb.batchTitle = name.empty() ? "" : dir.file(name);
        wb.dispatch(138);
        wb.interactiveMode = true;
        return wb.takeFailures();
    }
};

} // namespace

TEST(Surf3d, ChecksDialogAndMatrix)
{
    MapBench b;
    b.loadMap({2, 3, 5, 8});
    b.wb.allMode = false;
    b.run(138);
    b.expectMessage("Must be option ALL");
    b.wb.allMode = true;
    b.select(true, true);
    b.run(138);
    b.expectMessage("Must check or Wrk_I, or Wrk_V only");
    b.select(true, false);
    b.run(138); // Cancel
    ASSERT_EQ(b.ui.surf3dShown.size(), 1u);
    EXPECT_EQ(b.ui.surf3dShown[0].kind, 0);
    EXPECT_FALSE(b.ui.surf3dShown[0].frequency);
    EXPECT_TRUE(b.ui.reports.empty());

    b.ui.surf3dAnswers.push_back(Surf3dOptions{0, true, false, false});
    b.run(138);
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title, "Matrix of Surf3D");
    const std::string& m = b.ui.reports[0].text;
    EXPECT_EQ(m.substr(0, m.find("\r\n")), "Nbeg=-280.00 Nend=280.00 Lmin=2.00 Lmax=8.00");
    EXPECT_EQ(std::count(m.begin(), m.end(), '\n'), 65);
    EXPECT_EQ(std::count(m.begin(), m.end(), '\t'), 64 * 63);
    EXPECT_EQ(b.ui.titles.back(), "Quillmar");
    EXPECT_EQ(b.ui.progressTitles.back(), "Create Surf3D");

    // FITS and BMP ask for the file; Cancel there writes nothing.
    b.ui.surf3dAnswers.push_back(Surf3dOptions{1, true, false, false});
    b.ui.fileAnswers.push_back(b.dir.file("i.fit"));
    b.run(138);
    EXPECT_EQ(b.ui.filtersOf(0), (std::vector<std::string>{"Map Fits *.fit", "Any Files *.*"}));
    EXPECT_TRUE(std::filesystem::exists(b.dir.file("i.fit")));
    b.ui.surf3dAnswers.push_back(Surf3dOptions{2, true, false, false});
    b.run(138);
    EXPECT_EQ(b.ui.filtersOf(1), (std::vector<std::string>{"Windows Bitmap *.bmp", "Any Files *.*"}));
    EXPECT_FALSE(std::filesystem::exists(b.dir.file("i.bmp")));

    // Exact zeros are written "0"; one frequency gives no map.
    MapBench z;
    z.loadMap({2, 3}, true);
    for (const auto& s : z.wb.scans)
        std::fill(s->wrkI(), s->wrkI() + kPoints, 0.0f);
    z.ui.surf3dAnswers.push_back(Surf3dOptions{});
    z.run(138);
    EXPECT_NE(z.lastReport().find("\r\n0\t0\t"), std::string::npos);
    MapBench one;
    one.loadMap({3});
    EXPECT_EQ(one.batch(1, true, "one.fit"), std::vector<std::string>{"Surf3D needs scans of at least two frequencies"});
    EXPECT_FALSE(std::filesystem::exists(one.dir.file("one.fit")));
}

TEST(Surf3d, FitsMapMatchesNumpyAndVerifies)
{
    MapBench b;
    b.loadMap({2, 3, 5, 8});
    for (bool frequency : {true, false}) {
        const std::string name = frequency ? "f.fit" : "w.fit";
        ASSERT_TRUE(b.batch(1, frequency, name).empty());
        const std::string bytes = readTextFile(b.dir.file(name));
        ASSERT_EQ(bytes.size(), 2880u + 131072u + 1408u);
        EXPECT_EQ(bytes.substr(0, 30), "SIMPLE  =                    T");
        EXPECT_NE(bytes.find("OBJECT  = 'Sun''s ''AR'''"), std::string::npos);
        EXPECT_NE(bytes.find("DATE_OBS= '2004-05-01T05:00:00'"), std::string::npos);
        EXPECT_EQ(bytes.find("END     "), 80u * (26 + 4)); // 27 + n cards, END last
        if (pythonImports("astropy, numpy")) {
            const std::string args = b.dir.file(name) + " 10 290 " + (frequency ? "GHz" : "cm") + " 2 3 5 8";
            const auto diff = runReference("analysis/surf3d_reference.py", args);
            ASSERT_TRUE(diff && !diff->empty());
            EXPECT_LE(std::stod(*diff), 1.01) << name;
        }
        if (const auto v = runFitsverify(b.dir.file(name))) {
            EXPECT_TRUE(v->warnings == 0 && v->errors == 0) << v->report;
        }
    }
    // A flat map: data 0, BSCALE 1, BZERO the value.
    MapBench flat;
    flat.loadMap({2, 3}, true);
    ASSERT_TRUE(flat.batch(1, true, "flat.fit").empty());
    const std::string bytes = readTextFile(flat.dir.file("flat.fit"));
    EXPECT_NE(bytes.find("BSCALE  =         1.000000E+00"), std::string::npos);
    EXPECT_NE(bytes.find("BZERO   =         4.250000E+01"), std::string::npos);
    EXPECT_EQ(bytes.find_first_not_of('\0', 2880), std::string::npos);
}

TEST(Surf3d, BitmapPixelsMarkersAndHeader)
{
    MapBench b;
    b.loadMap({2, 3}, true);
    ASSERT_TRUE(b.batch(2, true, "flat.bmp").empty());
    const std::string bytes = readTextFile(b.dir.file("flat.bmp"));
    ASSERT_EQ(bytes.size(), 66614u);
    // All 0 apart from the limb markers: centre 150, radius 50 points, from
    // 10 in steps of 280/256 points: columns 82 and 173, rows 2, 6, 10, ...
    std::size_t marks = 0;
    for (std::size_t i = 1078; i < bytes.size(); ++i) {
        const auto r = (i - 1078) / 256, c = (i - 1078) % 256;
        const bool limb = (c == 82 || c == 173) && r % 4 == 2;
        EXPECT_EQ(uint8_t(bytes[i]), limb ? 215 : 0) << r << " " << c;
        marks += limb;
    }
    EXPECT_EQ(marks, 128u);

    MapBench m;
    m.loadMap({2, 3, 5, 8});
    ASSERT_TRUE(m.batch(2, false, "map.bmp", true, true).empty());
    const std::string map = readTextFile(m.dir.file("map.bmp"));
    ASSERT_EQ(map.size(), 66614u + 7680u);
    std::string why;
    const auto grid = surf3dMap(m.wb, false, 256, why);
    ASSERT_TRUE(grid);
    const auto [lo, hi] = std::minmax_element(grid->values.begin(), grid->values.end());
    // Scan rows of 2, 3, 5, 8 GHz on the wavelength scale: 30/f from 3.75 to 15 cm.
    const int scanRow = int((30.0 / 5 - 3.75) * 255 / (15 - 3.75));
    EXPECT_EQ(uint8_t(map[1078 + 256 * scanRow + 12]), 215);
    EXPECT_EQ(uint8_t(map[1078 + 256 * 3 + 50]), uint8_t((double(grid->values[3 * 256 + 50]) - *lo) / (double(*hi) - *lo) * 255));
    int text = 0;
    for (std::size_t i = 1078 + 256 * 256; i < map.size(); ++i) {
        EXPECT_TRUE(map[i] == 0 || uint8_t(map[i]) == 200);
        text += uint8_t(map[i]) == 200 && (i - 1078) % 256 >= 40;
    }
    EXPECT_GT(text, 100);
    if (!run("command -v identify").empty()) {
        EXPECT_EQ(run("identify -format '%w %h' " + m.dir.file("map.bmp")), "256 286");
        // The grey ramp: the red value of each pixel is its index; the top line comes first.
        const std::string rgb = run("convert " + m.dir.file("map.bmp") + " rgb:-");
        ASSERT_EQ(rgb.size(), 256u * 286 * 3);
        for (int r : {0, 100, 255})
            for (int c : {0, 77, 255})
                EXPECT_EQ(uint8_t(rgb[3 * (256 * (285 - r) + c)]), uint8_t(map[1078 + 256 * r + c])) << r << c;
    }
}

TEST(Surf3d, BadOutputAndEqualScales)
{
    MapBench b;
    b.loadMap({2, 3, 5});
    EXPECT_EQ(b.batch(1, true, "no/such/folder/x.fit"),
              std::vector<std::string>{"Cannot write " + b.dir.file("no/such/folder/x.fit")});
    EXPECT_EQ(b.batch(7, true, "x.fit"), std::vector<std::string>{"Surf3D output must be 0 (ASCII), 1 (FITS) or 2 (BMP)"});
    EXPECT_TRUE(std::filesystem::is_empty(b.dir.path()));
    // Two scans of one frequency: rows between them take the upper one.
    b.wb.scans.at(1)->frequency = 2;
    std::string why;
    const auto map = surf3dMap(b.wb, true, 64, why);
    ASSERT_TRUE(map);
    for (float v : map->values)
        ASSERT_TRUE(std::isfinite(v));
}
