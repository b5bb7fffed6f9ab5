// The FITS layer: card layouts, block rendering and parsing, data sizes,
// HDU loading and conversion, BINTABLE rows; and files written by astropy.
#include "app/byte_order.h"
#include "files/fits_layer.h"
#include "tests/files/fits_checkers.h"
#include "tests/files/fits_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

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

    std::string observer;
    EXPECT_EQ(h.getString("OBSERVER", observer), 0);
    EXPECT_EQ(observer, "O'Neil");
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
    EXPECT_EQ(t.fieldAt(1).name, "FREQ2");
    EXPECT_EQ(t.fieldAt(2).offset, 2052u);
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
    EXPECT_EQ(t.nextRow(), 2);
    EXPECT_EQ(t.number("FREQ2", 7), -7);
    t.field("name", &text);
    EXPECT_EQ(text, "ABCDEFGH");
    // Damaged headers give no fields; fields wider than a row are damage.
    for (const char* change :
         {"TFIELDS =                  101", "NAXIS1  =                 2059", "TFORM2  = '1024Z   '",
          "TFORM2  = '99999999999999999I'"}) {
        header = test::withCard(tableHeader(), change);
        h.parse(u8(header), header.size());
        EXPECT_EQ(t.init(h), 0) << change;
        EXPECT_FALSE(t.attach(data.data(), data.size()));
        EXPECT_EQ(t.nextRow(), 0);
    }
    TFitsHdr none;
    EXPECT_EQ(t.init(none), 0);
}

} // namespace
} // namespace qm
