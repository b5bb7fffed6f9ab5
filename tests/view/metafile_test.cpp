// Byte layouts of the Windows metafile and enhanced metafile canvases, and
// the PostScript translation of metafile records.
#include "app/byte_order.h"
#include "view/emf_canvas.h"
#include "view/metafile_to_ps.h"
#include "view/page_output.h"
#include "view/wmf_canvas.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace qm {
namespace {

const uint8_t* at(const std::string& s, std::size_t offset) { return reinterpret_cast<const uint8_t*>(s.data()) + offset; }
int16_t i16(const std::string& s, std::size_t offset) { return getI16LE(at(s, offset)); }
uint32_t u32(const std::string& s, std::size_t offset) { return getU32LE(at(s, offset)); }

// A metafile of hand-made records (function, then parameter words).
std::string metafile(std::initializer_list<std::vector<int>> records)
{
    std::string m(wmf::kHeaderSize, '\0');
    for (const auto& r : records) {
        const uint32_t words = uint32_t(r.size()) + 2;
        for (int i = 0; i < 4; ++i)
            m += char((words >> (8 * i)) & 0xff);
        for (int v : r) {
            m += char(v & 0xff);
            m += char((v >> 8) & 0xff);
        }
    }
    return m;
}

// The body of a translation (between the prologue and the epilogue) without
// its line breaks.
std::string body(const std::string& wmf, int fontHeight = 14)
{
    const std::string ps = metafileToPostScript(wmf, {500, 400, fontHeight, 1});
    const auto from = ps.find(" W K\r\n") + 6, to = ps.rfind(" K\r\nshowpage");
    std::string b = ps.substr(from, to - from);
    for (auto nl = b.find("\r\n"); nl != std::string::npos; nl = b.find("\r\n"))
        b.erase(nl, 2);
    return b;
}

TEST(Metafile, PageRulesAndPlaceableHeader)
{
    EXPECT_EQ(pageFontHeight(100), 14);
    EXPECT_EQ(pageFontHeight(2000), 30);
    EXPECT_EQ(pageFontHeight(600), 15);
    EXPECT_EQ(clampThickness(9, kMaxExportThickness), 5);
    EXPECT_EQ(clampThickness(9, kMaxPrintThickness), 4);
    EXPECT_EQ(clampThickness(-1, kMaxPrintThickness), 0);
    EXPECT_TRUE(pageSizeError(16, 32767).empty());
    EXPECT_FALSE(pageSizeError(15, 400).empty());
    EXPECT_FALSE(pageSizeError(500, 32768).empty());

    const std::string h = placeableHeader(500, 400);
    const std::string start("\xD7\xCD\xC6\x9A\x00\x00\x00\x00\x00\x00\xF4\x01\x90\x01\x60\x00\x00\x00\x00\x00", 20);
    ASSERT_EQ(h.size(), 22u);
    EXPECT_EQ(h.substr(0, 20), start);
    uint16_t x = 0;
    for (int i = 0; i < 20; i += 2)
        x ^= getU16LE(at(start, i));
    EXPECT_EQ(getU16LE(at(h, 20)), x);
}

TEST(Metafile, WmfRecordsAtTheirOffsets)
{
    WmfCanvas c(500, 400);
    c.setPen({kRed, PenStyle::Dash, 2});
    c.polyline({{1, 2}, {3, 4}});
    c.setFont(20);
    c.text(7, 8, "abc", HAlign::Center, VAlign::Bottom);
    const std::string m = c.bytes();

    // Header: type, size, version, file size in words, objects, largest record.
    EXPECT_EQ(i16(m, 0), 1);
    EXPECT_EQ(i16(m, 2), 9);
    EXPECT_EQ(i16(m, 4), 0x0300);
    EXPECT_EQ(u32(m, 6) * 2, m.size());
    EXPECT_EQ(i16(m, 10), 3); // background pen and brush, then pen and font reuse the lowest slots
    std::size_t p = wmf::kHeaderSize, largest = 0;
    std::vector<std::pair<uint16_t, std::size_t>> recs; // function, offset of the parameters
    while (p < m.size()) {
        const uint32_t words = u32(m, p);
        ASSERT_GE(words, 3u);
        largest = std::max<std::size_t>(largest, words);
        recs.push_back({uint16_t(i16(m, p + 4)), p + 6});
        p += words * 2;
    }
    ASSERT_EQ(p, m.size());
    EXPECT_EQ(u32(m, 12), largest);
    std::vector<uint16_t> functions;
    for (auto& r : recs)
        functions.push_back(r.first);
    const std::vector<uint16_t> expected{
        wmf::kSetWindowOrg,   wmf::kSetWindowExt,      wmf::kSetBkMode,    wmf::kCreatePenIndirect,
        wmf::kSelectObject,   wmf::kCreateBrushIndirect, wmf::kSelectObject, wmf::kRectangle,
        wmf::kCreatePenIndirect, wmf::kSelectObject,   wmf::kDeleteObject, wmf::kPolyline,
        wmf::kCreateFontIndirect, wmf::kSelectObject,  wmf::kSetTextAlign, wmf::kTextOut,
        wmf::kEof};
    ASSERT_EQ(functions, expected);
    EXPECT_EQ(i16(m, recs[1].second), 400); // SETWINDOWEXT y, x
    EXPECT_EQ(i16(m, recs[1].second + 2), 500);
    EXPECT_EQ(i16(m, recs[3].second), wmf::kPenNull);
    const std::size_t bg = recs[7].second; // white page: bottom, right, top, left
    EXPECT_EQ(std::vector<int>({i16(m, bg), i16(m, bg + 2), i16(m, bg + 4), i16(m, bg + 6)}),
              std::vector<int>({400, 500, 0, 0}));
    const std::size_t pen = recs[8].second;
    EXPECT_EQ(i16(m, pen), wmf::kPenDash);
    EXPECT_EQ(i16(m, pen + 2), 2);
    EXPECT_EQ(u32(m, pen + 6), kRed);
    EXPECT_EQ(i16(m, recs[9].second), 2);  // the new pen in the first free slot
    EXPECT_EQ(i16(m, recs[10].second), 0); // the null pen it replaces
    const std::size_t line = recs[11].second;
    EXPECT_EQ(std::vector<int>({i16(m, line), i16(m, line + 2), i16(m, line + 4), i16(m, line + 6), i16(m, line + 8)}),
              std::vector<int>({2, 1, 2, 3, 4}));
    EXPECT_EQ(i16(m, recs[12].second), 20);
    EXPECT_EQ(m.substr(recs[12].second + 18, 16), std::string("Times New Roman\0", 16));
    EXPECT_EQ(i16(m, recs[14].second), 6 | 8);
    const std::size_t t = recs[15].second; // count, text padded, y, x
    EXPECT_EQ(i16(m, t), 3);
    EXPECT_EQ(m.substr(t + 2, 3), "abc");
    EXPECT_EQ(i16(m, t + 6), 8);
    EXPECT_EQ(i16(m, t + 8), 7);
}

TEST(Metafile, EmfHeaderAndRecords)
{
    EmfCanvas c(500, 400);
    c.setPen({kBlack, PenStyle::Solid, 1});
    c.polyline({{1, 2}, {30, 40}});
    c.text(5, 6, "Ab");
    const std::string e = c.bytes();
    EXPECT_EQ(u32(e, 0), emf::kHeader);
    EXPECT_EQ(u32(e, 4), emf::kHeaderSize);
    EXPECT_EQ(std::vector<uint32_t>({u32(e, 8), u32(e, 12), u32(e, 16), u32(e, 20)}),
              std::vector<uint32_t>({0, 0, 499, 399}));
    EXPECT_EQ(u32(e, 32), 500u * 2540 / 96 - 1); // frame in 0.01 mm
    EXPECT_EQ(e.substr(40, 4), " EMF");
    EXPECT_EQ(u32(e, 48), e.size());
    EXPECT_EQ(u32(e, 72), 500u); // device pixels, then millimetres
    EXPECT_EQ(u32(e, 80), 132u);
    std::size_t p = 0, n = 0;
    std::vector<uint32_t> types;
    while (p < e.size()) {
        types.push_back(u32(e, p));
        ASSERT_EQ(u32(e, p + 4) % 4, 0u);
        if (types.back() == emf::kExtTextOutW) {
            EXPECT_EQ(u32(e, p + 44), 2u); // characters
            EXPECT_EQ(e.substr(p + u32(e, p + 48), 4), std::string("A\0b\0", 4));
            const int dxSum = int(u32(e, p + u32(e, p + 72))) + int(u32(e, p + u32(e, p + 72) + 4));
            EXPECT_EQ(dxSum, c.textExtent("Ab").width);
        }
        p += u32(e, p + 4);
        ++n;
    }
    EXPECT_EQ(p, e.size());
    EXPECT_EQ(u32(e, 52), n);
    EXPECT_EQ(types.back(), emf::kEof);
    EXPECT_NE(std::find(types.begin(), types.end(), emf::kPolyline16), types.end());
}

TEST(Metafile, TranslatorRecords)
{
    // Dashed pen, then a font: dash on, then off again.
    EXPECT_EQ(body(metafile({{wmf::kCreatePenIndirect, 1, 0, 0, 0, 0}, {wmf::kCreateFontIndirect, 14},
                             {wmf::kSelectObject, 0}, {wmf::kSelectObject, 1}})),
              "K [5 5] 0 D K [] 0 D ");
    // Centred text at the bottom: y' + h/4, then x.
    EXPECT_EQ(body(metafile({{wmf::kSetTextAlign, 6 | 8}, {wmf::kTextOut, 2, 'a' | ('b' << 8), 100, 20}}), 20),
              "K 305 20 (ab) CS ");
    EXPECT_EQ(body(metafile({{wmf::kTextOut, 1, 'x', 100, 20}})), "K 286 20 (x) LS ");
    EXPECT_EQ(body(metafile({{wmf::kPolyline, 2, 1, 2, 3, 4}})), "K 1 398 M 3 396 L ");
    EXPECT_EQ(body(metafile({{wmf::kRectangle, 40, 30, 20, 10}})), "K 10 380 M 30 380 L 30 360 L 10 360 L 10 380 L ");
    EXPECT_EQ(body(metafile({{wmf::kEllipse, 40, 30, 20, 10}})),
              "K matrix currentmatrix 20 370 translate 10 10 scale 0 0 1 0 360 arc setmatrix ");
    // An arc from the top to the left of its box; equal rays draw the circle.
    EXPECT_EQ(body(metafile({{wmf::kArc, 20, 0, 0, 20, 40, 40, 0, 0}})),
              "K matrix currentmatrix 20 380 translate 20 20 scale 0 0 1 90 180 arc setmatrix ");
    EXPECT_EQ(body(metafile({{wmf::kArc, 0, 20, 0, 20, 40, 40, 0, 0}})), "K 20 380 20 0 360 arc ");
    // Clip in a saved state; the restore brings the dash state back.
    EXPECT_EQ(body(metafile({{wmf::kCreatePenIndirect, 2, 0, 0, 0, 0}, {wmf::kSaveDc}, {wmf::kSelectObject, 0},
                             {wmf::kIntersectClipRect, 40, 30, 20, 10}, {wmf::kRestoreDc, -1}, {wmf::kRestoreDc, -1}})),
              "K S K [1 5] 0 D K 10 380 M 30 380 L 30 360 L 10 360 L closepath clip newpath K R ");
    // A null pen draws nothing until another pen is selected.
    EXPECT_EQ(body(metafile({{wmf::kCreatePenIndirect, 5, 0, 0, 0, 0}, {wmf::kCreatePenIndirect, 0, 0, 0, 0, 0},
                             {wmf::kSelectObject, 0}, {wmf::kRectangle, 4, 3, 2, 1}, {wmf::kLineTo, 5, 6},
                             {wmf::kSelectObject, 1}, {wmf::kLineTo, 7, 8}})),
              "K 6 395 M 8 393 L ");
}

TEST(Metafile, TranslatorEscapesAndBreaksLines)
{
    const std::string title = "Sun (AR 9393\\) \xe9";
    WmfCanvas c(500, 400);
    c.text(0, 0, title);
    c.polyline(std::vector<Point>(100, Point{123, 45}));
    const std::string ps = metafileToPostScript(c.bytes(), {500, 400, 14, 1});
    EXPECT_NE(ps.find("(Sun \\(AR 9393\\\\\\) \\351) LS "), std::string::npos);
    // Every body line ends once it passes 60 characters.
    std::size_t from = ps.find(" W K\r\n") + 6;
    for (std::size_t nl; (nl = ps.find("\r\n", from)) != std::string::npos; from = nl + 2)
        EXPECT_LE(nl - from, 60u + 12u) << ps.substr(from, nl - from);

    // Damaged input: a size below 3 or past the end ends the translation.
    std::string bad = metafile({{wmf::kMoveTo, 1, 2}, {wmf::kLineTo, 3, 4}});
    bad[wmf::kHeaderSize + 10] = 1; // second record: size 1
    EXPECT_EQ(body(bad), "K 2 399 M ");
    bad[wmf::kHeaderSize + 10] = 100;
    EXPECT_EQ(body(bad), "K 2 399 M ");
    EXPECT_EQ(body(metafile({{wmf::kSelectObject, 999}, {wmf::kDeleteObject, -1}, {wmf::kTextOut, 30000}})), "");
}

} // namespace
} // namespace qm
