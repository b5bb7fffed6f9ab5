// Files written by astropy (images of every BITPIX with and without
// BSCALE/BZERO, a BINTABLE of A, B, I, J, E, D columns with repeat counts and
// TSCAL/TZERO) read through TMemFits and TBinExt give astropy's numbers.
#include "files/fits_layer.h"
#include "tests/files/fits_checkers.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>

namespace qm {
namespace {

// Writes images of every BITPIX with and without BSCALE/BZERO and a BINTABLE
// of A, B, I, J, E, D columns with repeat counts and TSCAL/TZERO; prints the
// values astropy reads from them: "IMG name bitpix values..." and, per table
// cell, "CELL row COLUMN values..." (the bytes of a text).
const char* const kAstropyWriter = R"PY(
import sys, numpy as np
from astropy.io import fits
d = sys.argv[1]
base = (np.arange(60).reshape(3, 4, 5) * 7 % 23 - 11).astype(float)
cases = [("u8", base + 11, "uint8", None), ("i16", base * 1000, ">i2", None), ("i32", base * 99999, ">i4", None),
         ("f32", base * 1.25 + 0.1, ">f4", None), ("f64", base / 3.0, ">f8", None), ("u16", base * 2900 + 32768, "uint16", None),
         ("u8s", base, "uint8", (0.5, -20.0)), ("i16s", base, "int16", (0.25, 100.0)), ("i32s", base, "int32", (1e-3, 5.0))]
for name, values, kind, scaling in cases:
    path = d + "/" + name + ".fits"
    if scaling:
        hdu = fits.PrimaryHDU(values.copy())
        hdu.scale(kind, bscale=scaling[0], bzero=scaling[1])
    else:
        hdu = fits.PrimaryHDU(values.astype(kind))
    hdu.writeto(path, overwrite=True)
    print("IMG", name, fits.getheader(path)["BITPIX"], *[repr(float(x)) for x in fits.getdata(path).ravel()])
cols = [fits.Column(name="label", format="6A", array=np.array(["ab", "cdef", "", "xyz123"])),
        fits.Column(name="flags", format="3B", array=(np.arange(12).reshape(4, 3) * 20).astype(np.uint8)),
        fits.Column(name="count", format="I", array=np.array([-3, 0, 7, 32000], dtype=np.int16)),
        fits.Column(name="pair", format="2I", array=np.array([[1, 2], [-4, 8], [0, 5], [100, -100]], dtype=np.int16)),
        fits.Column(name="big", format="J", array=np.array([-2000000000, 1, 70000, 5], dtype=np.int32)),
        fits.Column(name="ujay", format="J", bzero=2147483648, array=np.array([0, 1, 4000000000, 123], dtype=np.uint32)),
        fits.Column(name="spec", format="4E", array=np.arange(16).reshape(4, 4) * 0.3 - 1.0),
        fits.Column(name="dbl", format="D", array=np.array([1.0 / 3, -2.5e200, 0.0, 6.02214076e23]))]
table = fits.BinTableHDU.from_columns(cols, name="T")
table.header["TSCAL4"] = 0.5
table.header["TZERO4"] = 3.0
fits.HDUList([fits.PrimaryHDU(), table]).writeto(d + "/table.fits", overwrite=True)
back = fits.getdata(d + "/table.fits", 1)
for r in range(len(back)):
    for c in cols:
        v = back[c.name][r]
        values = list(v.encode()) if c.format.endswith("A") else np.atleast_1d(v)
        print("CELL", r, c.name.upper(), *[repr(float(x)) for x in values])
)PY";

TEST(AstropyFiles, TMemFitsAndTBinExtReadTheSameNumbers)
{
    const auto python = test::astropyPython();
    if (!python)
        GTEST_SKIP() << "python3 with astropy is not installed";
    test::TempDir dir;
    std::string err;
    const auto out = test::runPython(*python, dir.path().string(), kAstropyWriter, test::shellQuote(dir.path()), err);
    ASSERT_TRUE(out) << err;

    std::istringstream lines(*out);
    int images = 0;
    std::map<std::string, std::vector<double>> cells; // "row COLUMN"
    for (std::string line; std::getline(lines, line);) {
        std::istringstream in(line);
        std::string tag, name;
        int number = 0; // BITPIX or row
        in >> tag;
        if (tag == "CELL")
            in >> number >> name;
        else
            in >> name >> number;
        std::vector<double> values;
        for (double v; in >> v;)
            values.push_back(v);
        if (tag == "CELL") {
            cells[std::to_string(number) + " " + name] = values;
            continue;
        }
        SCOPED_TRACE(name);
        TMemFits m;
        ASSERT_TRUE(m.load(dir.file(name + ".fits")));
        EXPECT_EQ(m.sizeCode(), number / 8);
        ASSERT_EQ(m.axes(), 3);
        EXPECT_EQ((std::vector<long long>{m.axis(1), m.axis(2), m.axis(3)}), (std::vector<long long>{5, 4, 3}));
        ASSERT_TRUE(m.convertToDoubles());
        ASSERT_EQ(values.size(), 60u);
        for (int i = 0; i < 60; ++i)
            ASSERT_NEAR(m.element(i % 5, i / 5 % 4, i / 20), values[std::size_t(i)],
                        1e-12 * std::fabs(values[std::size_t(i)]))
                << i;
        ++images;
    }
    EXPECT_EQ(images, 9);
    ASSERT_EQ(cells.size(), 32u);

    // TBinExt on the table extension, with the scaling applied by hand, and
    // TMemFits on the same table as an image of its row bytes.
    TMemStream file;
    ASSERT_GT(file.load(dir.file("table.fits")), 0u);
    TFitsHdr primary, header;
    const std::size_t psize = primary.parse(file.data(), file.size());
    ASSERT_EQ(psize, 2880u);
    ASSERT_EQ(primary.dataSize(), 0);
    const std::size_t hsize = header.parse(file.data() + psize, file.size() - psize);
    ASSERT_GT(hsize, 0u);
    TBinExt t;
    ASSERT_EQ(t.init(header), 8);
    ASSERT_EQ(t.rows(), 4);
    ASSERT_TRUE(t.attach(file.data() + psize + hsize, file.size() - psize - hsize));
    TMemFits m;
    ASSERT_TRUE(m.load(dir.file("table.fits"), 1));
    ASSERT_TRUE(m.convertToDoubles());
    ASSERT_EQ(m.axis(2), 4);
    for (int r = 0; r < 4; ++r) {
        ASSERT_EQ(t.nextRow(), r + 1);
        long long flat = 0; // position of the field's first value in TMemFits' row
        for (int f = 0; f < t.fields(); ++f) {
            const TBinExt::Field& field = t.fieldAt(f);
            SCOPED_TRACE(field.name + " row " + std::to_string(r));
            const std::vector<double>& cell = cells.at(std::to_string(r) + " " + field.name);
            std::vector<double> mine, image;
            if (field.type == 'A') {
                std::string text;
                ASSERT_NE(t.field(field.name, &text), nullptr);
                while (!text.empty() && text.back() == ' ')
                    text.pop_back();
                for (char c : text)
                    mine.push_back(uint8_t(c));
                for (std::size_t b = 0; b < cell.size(); ++b)
                    image.push_back(m.element(flat + static_cast<long long>(b), r));
                EXPECT_EQ(mine, cell);
                EXPECT_EQ(image, cell);
                flat += static_cast<long long>(field.width);
                continue;
            }
            double scale = 1, zero = 0;
            header.getDouble("TSCAL" + std::to_string(f + 1), scale);
            header.getDouble("TZERO" + std::to_string(f + 1), zero);
            ASSERT_EQ(std::size_t(field.repeat), cell.size());
            for (long long k = 0; k < field.repeat; ++k) {
                const double e = cell[std::size_t(k)];
                const auto raw = t.number(field.name, k);
                ASSERT_TRUE(raw);
                EXPECT_NEAR(*raw * scale + zero, e, 1e-15 * std::fabs(e));
                EXPECT_NEAR(m.element(flat + k, r), e, 1e-15 * std::fabs(e));
            }
            flat += field.repeat;
        }
        EXPECT_EQ(flat, m.axis(1));
    }
}

} // namespace
} // namespace qm
