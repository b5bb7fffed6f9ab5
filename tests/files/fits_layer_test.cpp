// The FITS layer: card layouts, block rendering and parsing, data sizes,
// HDU loading and conversion, BINTABLE rows; and files written by astropy.
#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "files/fits_layer.h"
#include "tests/files/fits_checkers.h"
#include "tests/files/fits_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <map>
#include <sstream>

namespace qm {
namespace {

using test::fitsCard;
using test::fitsHeader;
using test::fitsPad;

std::string rendered(const TFitsHdr& h)
{
    const auto b = h.render();
    return std::string(b.begin(), b.end());
}

std::vector<std::string> keywordsOf(const std::string& blocks) { return test::keywordsOf(test::headerCards(blocks)); }

const uint8_t* u8(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

TEST(TFitsHdr, SettersLayCardsOutInTheirColumns)
{
    TFitsHdr h;
    h.create();
    // NAXIS1 is appended; NAXIS then replaces the NAXIS card, which comes first.
    ASSERT_EQ(h.setInteger("NAXIS1", 1024), 1);
    ASSERT_EQ(h.setInteger("naxis", 2), 1);
    h.setString("OBJECT", "R");
    // Twenty characters at most; a comment behind a long string moves on.
    h.setString("ORIGIN", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "site");
    h.setString("OBSERVER", "O'Neil\x01");
    h.setDouble("SOLAR_R", 959.63, "arcsec");
    h.setFloat("CDELT1", -2.5);
    h.setLogical("FLAG", false, std::string(50, 'c'));
    h.addComment(std::string(75, 'x'));
    EXPECT_EQ(h.setDouble("BAD", std::nan("")), 0);
    std::vector<std::string> cards;
    for (int i = 0; i < h.count(); ++i)
        cards.push_back(h.cardAt(i));
    EXPECT_EQ(cards, (std::vector<std::string>{
                         fitsCard("SIMPLE  =                    T / Written by TFitsHdr (QRD 2005)"),
                         fitsCard("BITPIX  =                    0"),
                         fitsCard("EXTEND  =                    T / FITS data may contain extensions"),
                         fitsCard("NAXIS   =                    2"), fitsCard("NAXIS1  =                 1024"),
                         fitsCard("OBJECT  = 'R       '"), fitsCard("ORIGIN  = 'ABCDEFGHIJKLMNOPQRST' / site"),
                         fitsCard("OBSERVER= 'O''Neil '"), fitsCard("SOLAR_R =   9.596300000000E+02 / arcsec"),
                         fitsCard("CDELT1  =            -2.500000"),
                         fitsCard("FLAG    =                    F / " + std::string(40, 'c')),
                         "COMMENT   " + std::string(70, 'x')}));

    std::string origin, object, observer, s;
    int n = 0;
    float f = 0;
    double d = 0;
    EXPECT_EQ(h.getString("ORIGIN", origin) + h.getString("object", object) + h.getString("OBSERVER", observer), 0);
    EXPECT_EQ((std::vector<std::string>{origin, object, observer}),
              (std::vector<std::string>{"ABCDEFGHIJKLMNOPQRST", "R", "O'Neil"}));
    EXPECT_EQ(h.getString("NAXIS1", s), 1); // no apostrophe
    EXPECT_EQ(h.getString("TELESCOP", s), 1);
    EXPECT_EQ(h.getInteger("NAXIS1", n) + h.getFloat("CDELT1", f) + h.getDouble("SOLAR_R", d), 0);
    EXPECT_EQ(n, 1024);
    EXPECT_EQ(f, -2.5f);
    EXPECT_EQ(d, 959.63);
    EXPECT_EQ(h.getInteger("OBJECT", n), 1);
    EXPECT_EQ(h.getInteger("MISSING", n), 1);

    // Lookups match card beginnings: with NAXIS1 first, NAXIS finds it.
    TFitsHdr p;
    p.setInteger("NAXIS1", 7);
    p.setInteger("NAXIS2", 3);
    EXPECT_EQ(p.getInteger("NAXIS", n), 0);
    EXPECT_EQ(n, 7);
    p.setInteger("NAXIS", 2);
    EXPECT_EQ(p.cardAt(0), fitsCard("NAXIS   =                    2"));
    EXPECT_EQ(p.count(), 2);
}

TEST(TFitsHdr, RendersMandatoryCardsFirstAndParsesBlocks)
{
    TFitsHdr h;
    EXPECT_TRUE(h.render().empty());
    EXPECT_EQ(h.dataSize(), -1);
    h.create();
    EXPECT_EQ(h.dataSize(), 0);
    h.setInteger("BITPIX", -32);
    h.setInteger("NAXIS", 3);
    h.setInteger("NAXIS1", 1000);
    h.setString("DATANAME", "newpas");
    h.setInteger("NAXIS2", 2);
    h.setInteger("NAXIS3", 3);
    const std::string primary = rendered(h);
    ASSERT_EQ(primary.size(), 2880u);
    EXPECT_EQ(keywordsOf(primary), (std::vector<std::string>{"SIMPLE", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2",
                                                              "NAXIS3", "EXTEND", "DATANAME", "END"}));
    EXPECT_EQ(primary.substr(8 * 80, 80), fitsCard("END"));
    EXPECT_EQ(primary.find_first_not_of(' ', 9 * 80), std::string::npos);
    EXPECT_EQ(h.dataSize(), 25920); // 24000 bytes in whole blocks
    EXPECT_EQ(h.cardAt(2).substr(0, 6), "EXTEND"); // the list keeps the order of setting

    TFitsHdr x;
    x.create("BINTABLE");
    x.setString("EXTNAME", "Scan_params");
    x.setInteger("NAXIS", 2);
    x.setInteger("NAXIS1", 96);
    x.setInteger("NAXIS2", 30);
    x.setInteger("PCOUNT", 10);
    x.setInteger("GCOUNT", 1);
    x.setInteger("TFIELDS", 16);
    EXPECT_EQ(keywordsOf(rendered(x)), (std::vector<std::string>{"XTENSION", "BITPIX", "NAXIS", "NAXIS1", "NAXIS2",
                                                                  "PCOUNT", "GCOUNT", "TFIELDS", "EXTNAME", "END"}));
    EXPECT_EQ(x.dataSize(), 5760); // 2880 + the 10-byte heap

    // Parsing gives the cards back up to END and the size in whole blocks.
    TFitsHdr back;
    EXPECT_EQ(back.parse(u8(primary), primary.size()), 2880u);
    EXPECT_EQ(back.count(), 9);
    std::string s;
    EXPECT_EQ(back.getString("DATANAME", s), 0);
    EXPECT_EQ(s, "newpas");
    EXPECT_EQ(back.dataSize(), 25920);
    EXPECT_EQ(back.parse(u8(primary), 8 * 80), 0u); // END missing
    EXPECT_EQ(back.parse(u8(primary), 2000), 0u); // block cut short
    EXPECT_EQ(back.count(), 0);

    // 35 cards and END fill one block; 36 need two.
    TFitsHdr c;
    for (int i = 0; i < 35; ++i)
        c.addComment("c");
    EXPECT_EQ(c.render().size(), 2880u);
    c.addComment("c");
    EXPECT_EQ(c.render().size(), 5760u);

    // The list refuses cards above 1022; parsing stops after 1020 cards.
    while (c.addComment("c") == 1) {
    }
    EXPECT_EQ(c.count(), 1022);
    EXPECT_EQ(c.setInteger("NAXIS", 1), 0);
    const std::string full = rendered(c);
    EXPECT_EQ(full.size(), 29 * 2880u);
    EXPECT_EQ(back.parse(u8(full), full.size()), 29 * 2880u);
    EXPECT_EQ(back.count(), 1020);

    // Data sizes of damaged axis cards.
    TFitsHdr d;
    d.create();
    d.setInteger("BITPIX", 16);
    d.setInteger("NAXIS", 2);
    d.setInteger("NAXIS1", 3);
    EXPECT_EQ(d.dataSize(), -1); // NAXIS2 missing
    d.setInteger("NAXIS2", -2);
    EXPECT_EQ(d.dataSize(), -1);
    d.setInteger("NAXIS2", 2);
    EXPECT_EQ(d.dataSize(), 2880);
    d.setInteger("BITPIX", 12);
    EXPECT_EQ(d.dataSize(), -1);

    EXPECT_TRUE(TFitsHdr::isHduStart(u8(fitsCard("SIMPLE  =                    T"))));
    EXPECT_TRUE(TFitsHdr::isHduStart(u8(fitsCard("XTENSION= 'IMAGE   '"))));
    EXPECT_FALSE(TFitsHdr::isHduStart(u8(fitsCard("SIMPLE   = T"))));
}

TEST(TMemStream, ReadsAreClippedAndPointersStayInside)
{
    std::string bytes(200, 'a');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i);
    TMemStream s;
    s.set(bytes.data(), bytes.size());
    EXPECT_EQ(s.size(), 200u);
    EXPECT_EQ(s.data()[200], 0); // spare zero
    ASSERT_NE(s.card(1), nullptr);
    EXPECT_EQ(s.card(1)[0], 80);
    EXPECT_EQ(s.card(2), nullptr);
    uint8_t out[256];
    EXPECT_EQ(s.read(out, 150), 150u);
    EXPECT_EQ(s.read(out, 100), 50u);
    EXPECT_EQ(out[49], 199);
    EXPECT_EQ(s.position(), 200u);
    EXPECT_EQ(s.read(out, 10), 0u);
    EXPECT_EQ(s.seek(200), nullptr);
    EXPECT_EQ(s.position(), 200u);
    ASSERT_NE(s.seek(120), nullptr);
    EXPECT_EQ(*s.current(), 120);
    EXPECT_NE(s.card(0), nullptr); // the last whole card
    ASSERT_NE(s.advance(1), nullptr);
    EXPECT_EQ(s.card(0), nullptr); // 121 + 80 passes the end
    EXPECT_EQ(s.advance(79), nullptr);
    ASSERT_NE(s.advance(78), nullptr);
    EXPECT_EQ(*s.current(), 199);

    test::TempDir dir;
    EXPECT_EQ(s.load(dir.file("missing.fits")), 0u);
    EXPECT_EQ(s.size(), 0u);
    ASSERT_TRUE(writeFileAtomically(dir.file("x.bin"), "abc"));
    EXPECT_EQ(s.load(dir.file("x.bin")), 3u);
    EXPECT_EQ(s.data()[3], 0);
}

std::string image16()
{
    std::string data;
    for (int v = 1; v <= 6; ++v)
        data += std::string{'\0', char(v)};
    return fitsHeader({"SIMPLE  =                    T", "BITPIX  =                   16",
                       "NAXIS   =                    2", "NAXIS1  =                    3",
                       "NAXIS2  =                    2", "OBJECT  = 'Sun quiet'  / the target",
                       " BLANK  = 1", "BZERO   =                 10.0", "BSCALE  =                  2.0"}) +
           fitsPad(data);
}

TEST(TMemFits, LoadsImagesFindsKeywordsAndConverts)
{
    const std::string file = image16();
    const auto* p = u8(file);
    TMemFits m;
    ASSERT_TRUE(m.load(p, file.size()));
    EXPECT_EQ(m.sizeCode(), 2);
    EXPECT_EQ(m.axes(), 2);
    EXPECT_EQ(m.count(), 6u);
    EXPECT_EQ(m.element(0), 1);
    EXPECT_EQ(m.element(1, 1), 5); // the fifth value
    EXPECT_EQ(m.element(3, 1), 1); // beyond the array: element 0
    EXPECT_EQ(m.element(-1), 1);
    std::string v;
    EXPECT_EQ(m.findKeyword("OBJECT", v), 6);
    EXPECT_EQ(v, "Sun quiet");
    EXPECT_EQ(m.findKeyword("NAXIS", v), 3);
    EXPECT_EQ(v, "2");
    EXPECT_EQ(m.findKeyword("NAXIS3", v), 0);
    EXPECT_EQ(m.findKeyword("BLANK", v), 0); // cards starting with a blank are passed over
    EXPECT_EQ(m.getDouble("BSCALE"), 2.0);
    EXPECT_FALSE(m.getInteger("OBJEC"));

    ASSERT_TRUE(m.convertToDoubles());
    EXPECT_TRUE(m.converted());
    EXPECT_EQ(m.sizeCode(), -8);
    EXPECT_EQ(m.element(2, 1), 6 * 2 + 10);
    EXPECT_FALSE(m.convertToDoubles()); // once only

    // BITPIX -64 in a second HDU (an image extension).
    std::string dbl = fitsHeader({"SIMPLE  =                    T", "BITPIX  =                  -64",
                                  "NAXIS   =                    1", "NAXIS1  =                    1"}) +
                      fitsPad(std::string("\x3F\xF0\0\0\0\0\0\0", 8));
    const std::string ext = fitsHeader({"XTENSION= 'IMAGE   '", "BITPIX  =                   32",
                                        "NAXIS   =                    1", "NAXIS1  =                    2",
                                        "PCOUNT  =                    0", "GCOUNT  =                    1"}) +
                            fitsPad(std::string("\xff\xff\xff\xfe\0\0\1\0", 8));
    ASSERT_TRUE(m.load(u8(dbl), dbl.size()));
    EXPECT_EQ(m.element(0), 1.0);
    EXPECT_FALSE(m.load(u8(dbl), dbl.size(), 1)); // no second HDU
    dbl += ext;
    ASSERT_TRUE(m.load(u8(dbl), dbl.size(), 1));
    EXPECT_EQ(m.hduIndex(), 1);
    EXPECT_EQ(m.element(0), -2);
    EXPECT_EQ(m.element(1), 256);

    // Refusals.
    auto refused = [&](std::string f) { return !m.load(u8(f), f.size()); };
    std::string bad = file;
    bad[29] = 'F';
    EXPECT_TRUE(refused(bad));
    EXPECT_TRUE(refused("XTENSION" + file.substr(8)));
    EXPECT_TRUE(refused(file.substr(0, 2880 + 11))); // data cut short
    EXPECT_TRUE(refused(file.substr(0, 2000)));       // header cut short
    EXPECT_TRUE(refused(""));
    for (const char* card : {"NAXIS2  =                   -2", "NAXIS2  =                    0",
                             "BITPIX  =                   17", "NAXIS   =                   10",
                             "NAXIS   =                    0", "NAXIS2  = 99999999999"}) {
        std::string f = file;
        const std::string key = std::string(card).substr(0, 8);
        f.replace(f.find(key), 80, fitsCard(card));
        EXPECT_TRUE(refused(f)) << card;
    }
    test::TempDir dir;
    EXPECT_FALSE(m.load(dir.file("none.fits")));
    ASSERT_TRUE(writeFileAtomically(dir.file("img.fits"), file));
    ASSERT_TRUE(m.load(dir.file("img.fits")));
    EXPECT_EQ(m.element(2, 1), 6);

    EXPECT_EQ(TMemFits::modifiedJulianDay(1858, 11, 17), 0);
    EXPECT_EQ(TMemFits::modifiedJulianDay(1995, 10, 10), 50000);
    EXPECT_EQ(TMemFits::modifiedJulianDay(2000, 1, 1), 51544);
    EXPECT_EQ(TMemFits::modifiedJulianDay(2024, 2, 29), 60369);
}

// A table of three fields: FREQUENCY (E), FREQ2 (1024I), NAME (8A), two rows.
std::string tableHeader()
{
    return fitsHeader({"XTENSION= 'BINTABLE'", "BITPIX  =                    8", "NAXIS   =                    2",
                       "NAXIS1  =                 2060", "NAXIS2  =                    2",
                       "PCOUNT  =                    0", "GCOUNT  =                    1",
                       "TFIELDS =                    3", "TTYPE1  = 'FREQUENCY'", "TFORM1  = 'E       '",
                       "TTYPE2  = 'freq2   '", "TFORM2  = '1024I   '", "TTYPE3  = 'name    '", "TFORM3  = '8A      '"});
}

TEST(TBinExt, FieldsRowsAndRefusals)
{
    TFitsHdr h;
    std::string header = tableHeader();
    ASSERT_EQ(h.parse(u8(header), header.size()), 2880u);
    TBinExt t;
    ASSERT_EQ(t.init(h), 3);
    EXPECT_EQ(t.rowSize(), 2060u);
    EXPECT_EQ(t.rows(), 2);
    EXPECT_EQ(t.currentRow(), -1);
    EXPECT_EQ(t.fieldAt(1).name, "FREQ2");
    EXPECT_EQ(t.fieldAt(1).type, 'I');
    EXPECT_EQ(t.fieldAt(1).repeat, 1024);
    EXPECT_EQ(t.fieldAt(1).width, 2048u);
    EXPECT_EQ(t.fieldAt(2).offset, 2052u);
    EXPECT_EQ(t.fieldAt(0).repeat, 1);
    EXPECT_EQ(t.find("FREQ"), &t.fieldAt(0)); // the first name starting with FREQ

    std::vector<uint8_t> data(2 * 2060, 0);
    for (int r = 0; r < 2; ++r) {
        uint8_t* row = &data[std::size_t(r) * 2060];
        putF32BE(row, 2.75f + float(r));
        for (int k = 0; k < 1024; ++k)
            putI16BE(row + 4 + 2 * k, int16_t(k * (r ? -1 : 1)));
        std::memcpy(row + 2052, r ? "ABCDEFGH" : "xy\0zzzzz", 8);
    }
    EXPECT_FALSE(t.attach(data.data(), data.size() - 1));
    ASSERT_TRUE(t.attach(data.data(), data.size()));
    EXPECT_EQ(t.nextRow(), 1);
    float f = 0;
    const uint8_t* p = t.field("freq");
    ASSERT_NE(p, nullptr);
    std::memcpy(&f, p, 4);
    EXPECT_EQ(f, 2.75f);
    std::string text;
    ASSERT_NE(t.field("NAME", &text), nullptr);
    EXPECT_EQ(text, "xy");
    p = t.field("FREQ2");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(getI16BE(p + 2 * 1000), 1000); // raw big-endian bytes for a repeated field
    EXPECT_EQ(t.number("FREQ2", 1023), 1023);
    EXPECT_FALSE(t.number("FREQ2", 1024));
    EXPECT_FALSE(t.number("NAME"));
    EXPECT_EQ(t.field("OTHER"), nullptr);
    EXPECT_EQ(t.nextRow(), 2);
    EXPECT_EQ(t.number("FREQ2", 7), -7);
    t.field("name", &text);
    EXPECT_EQ(text, "ABCDEFGH");
    EXPECT_EQ(t.nextRow(), 0);
    EXPECT_TRUE(t.copyRow(0));
    EXPECT_EQ(t.number("FREQUENCY"), 2.75);
    EXPECT_FALSE(t.copyRow(2));

    // Damaged headers give no fields; fields wider than a row are damage.
    for (const char* change :
         {"TFIELDS =                  101", "TFIELDS =                    0", "TFIELDS = 'three'",
          "NAXIS   =                    3", "NAXIS2  =                    0", "NAXIS1  =                 2059",
          "NAXIS1  =                   -4", "TFORM2  = '1024Z   '", "TFORM3  = '-8A     '", "TFORM2  = '2147483647D'",
          "TFORM2  = '99999999999999999I'", "TFORM3  = '12      '", "TFORM3  = 'Z       '"}) {
        header = test::withCard(tableHeader(), change);
        h.parse(u8(header), header.size());
        EXPECT_EQ(t.init(h), 0) << change;
        EXPECT_FALSE(t.attach(data.data(), data.size()));
        EXPECT_EQ(t.nextRow(), 0);
    }
    TFitsHdr none;
    EXPECT_EQ(t.init(none), 0);
}

// ---- files written by astropy ----------------------------------------------

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
