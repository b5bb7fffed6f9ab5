#include "view/metafile_to_ps.h"

#include "app/byte_order.h"
#include "app/text_format.h"
#include "view/wmf_canvas.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace qm {

namespace {

constexpr double kRadToDeg = 180.0 / 3.14159265358979323846;
constexpr int kLineLimit = 60;

// Object-table values: what a selection of the slot means for the dash
// state, and a null pen that draws nothing.
enum Slot : uint8_t { kFree = 0, kPlain = 1, kDashed = 2, kDotted = 3, kNullPen = 4 };
enum class Align { Left, Right, Centre };

struct DcState {
    int dash = 0;
    bool nullPen = false;
};

class Translator {
public:
    Translator(std::string_view wmf, const PsPage& page) : in_(wmf), page_(page) {}
    std::string run();

private:
    int param(std::size_t i) const
    {
        return i < nParams_ ? getI16LE(params_ + 2 * i) : 0;
    }
    int flip(int y) const { return page_.height - y; }
    void put(std::string_view s);
    void putPoint(int x, int y, std::string_view op);
    void putText(const uint8_t* bytes, std::size_t n);
    void breakLine();
    void record(uint16_t function);
    void create(uint8_t value, bool pen);
    void select(int index);
    void polyline();
    void rectangle();
    void ellipticArc(int left, int top, int right, int bottom, int a1, int a2);
    void arc();
    void textOut();

    std::string_view in_;
    PsPage page_;
    std::string out_;
    int column_ = 0;
    const uint8_t* params_ = nullptr;
    std::size_t nParams_ = 0;
    std::array<uint8_t, 256> slots_{};
    std::array<bool, 256> pens_{};
    Align align_ = Align::Left;
    bool bottom_ = false, baseline_ = false;
    DcState dc_;
    std::vector<DcState> saved_;
};

void Translator::put(std::string_view s)
{
    out_ += s;
    const auto nl = s.rfind('\n');
    column_ = nl == std::string::npos ? column_ + int(s.size()) : int(s.size() - nl - 1);
}

// "x y M " or "x y L ": nearly all of a page's text, so written without a
// format string or a temporary.
void Translator::putPoint(int x, int y, std::string_view op)
{
    char buf[32];
    char* p = std::to_chars(buf, buf + 12, x).ptr;
    *p++ = ' ';
    p = std::to_chars(p, p + 12, y).ptr;
    *p++ = ' ';
    out_.append(buf, p);
    out_ += op;
    column_ += int(p - buf) + int(op.size());
}

void Translator::breakLine()
{
    if (column_ > kLineLimit)
        put("\r\n");
}

// Bytes that would end or break a PostScript string are escaped, bytes
// outside printable ASCII written in octal.
void Translator::putText(const uint8_t* bytes, std::size_t n)
{
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        const uint8_t b = bytes[i];
        if (b == '(' || b == ')' || b == '\\')
            s += {'\\', char(b)};
        else if (b < 32 || b > 126)
            s += format("\\%03o", b);
        else
            s += char(b);
    }
    put(s);
}

void Translator::create(uint8_t value, bool pen)
{
    for (std::size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i] == kFree) {
            slots_[i] = value;
            pens_[i] = pen;
            return;
        }
    }
}

void Translator::select(int index)
{
    const uint8_t v = index >= 0 && index < 256 ? slots_[index] : uint8_t(kFree);
    if (v == kDashed && dc_.dash != 2) {
        put("K [5 5] 0 D ");
        dc_.dash = 2;
    } else if (v == kDotted && dc_.dash != 3) {
        put("K [1 5] 0 D ");
        dc_.dash = 3;
    } else if (v != kDashed && v != kDotted && dc_.dash != 0) {
        put("K [] 0 D ");
        dc_.dash = 0;
    }
    if (v != kFree && pens_[index])
        dc_.nullPen = v == kNullPen;
}

void Translator::polyline()
{
    const std::size_t n = std::min<std::size_t>(std::size_t(std::max(param(0), 0)), (nParams_ - 1) / 2);
    if (n == 0 || dc_.nullPen)
        return;
    put("K ");
    putPoint(param(1), flip(param(2)), "M ");
    for (std::size_t i = 1; i < n; ++i) {
        putPoint(param(1 + 2 * i), flip(param(2 + 2 * i)), "L ");
        breakLine();
    }
}

void Translator::rectangle()
{
    if (dc_.nullPen)
        return;
    const int b = flip(param(0)), r = param(1), t = flip(param(2)), l = param(3);
    put(format("K %d %d M %d %d L %d %d L %d %d L %d %d L ", l, t, r, t, r, b, l, b, l, t));
}

// An arc of the ellipse in the box, drawn in a scaled unit circle.
void Translator::ellipticArc(int left, int top, int right, int bottom, int a1, int a2)
{
    const int rx = std::abs((right - left) / 2), ry = std::abs((bottom - top) / 2);
    if (dc_.nullPen || rx == 0 || ry == 0)
        return;
    put(format("K matrix currentmatrix %d %d translate %d %d scale 0 0 1 %d %d arc setmatrix ",
               (left + right) / 2, page_.height - (top + bottom) / 2, rx, ry, a1, a2));
}

void Translator::arc()
{
    if (dc_.nullPen)
        return;
    const int ye = param(0), xe = param(1), ys = param(2), xs = param(3);
    const int bottom = param(4), right = param(5), top = param(6), left = param(7);
    const double cx = (left + right) / 2.0, cy = (top + bottom) / 2.0;
    const double rx = std::max(std::abs(right - left) / 2.0, 0.5), ry = std::max(std::abs(bottom - top) / 2.0, 0.5);
    // Directions of the rays on the unit circle in whole degrees 0..359,
    // counter-clockwise as seen.
    const auto degrees = [](double y, double x) {
        const long a = std::lround(std::atan2(y, x) * kRadToDeg);
        return int((a + 360) % 360);
    };
    const int a1 = degrees(-(ys - cy) / ry, (xs - cx) / rx), a2 = degrees(-(ye - cy) / ry, (xe - cx) / rx);
    if (a1 == a2) {
        put(format("K %d %d %d 0 360 arc ", (left + right) / 2, page_.height - (top + bottom) / 2,
                   std::abs((left - right) / 2)));
        return;
    }
    ellipticArc(left, top, right, bottom, a1, a2);
}

void Translator::textOut()
{
    const int n = param(0);
    const std::size_t words = (std::size_t(std::max(n, 0)) + 1) / 2;
    if (n <= 0 || 1 + words + 2 > nParams_)
        return;
    const int y = param(1 + words), x = param(2 + words);
    const int h = page_.fontHeight;
    int at = flip(y) - h;
    if (baseline_)
        at = flip(y);
    else if (bottom_)
        at = flip(y) + h / 4;
    put(format("K %d %d (", at, x));
    putText(params_ + 2, std::size_t(n));
    put(align_ == Align::Centre ? ") CS " : align_ == Align::Right ? ") RS " : ") LS ");
}

void Translator::record(uint16_t function)
{
    switch (function) {
    case wmf::kCreatePenIndirect: {
        const int style = param(0);
        create(style == wmf::kPenDash ? kDashed : style == wmf::kPenDot ? kDotted
                                      : style == wmf::kPenNull ? kNullPen : kPlain, true);
        break;
    }
    case wmf::kCreateFontIndirect:
    case wmf::kCreateBrushIndirect:
    case wmf::kCreatePalette: create(kPlain, false); break;
    case wmf::kDeleteObject:
        if (const int i = uint16_t(param(0)); i < 256)
            slots_[i] = kFree;
        break;
    case wmf::kSelectObject: select(uint16_t(param(0))); break;
    case wmf::kSaveDc:
        put("K S ");
        saved_.push_back(dc_);
        break;
    case wmf::kRestoreDc:
        if (!saved_.empty()) { // an unmatched restore would undo the page's own gsave
            put("K R ");
            dc_ = saved_.back();
            saved_.pop_back();
        }
        break;
    case wmf::kIntersectClipRect: {
        const int b = flip(param(0)), r = param(1), t = flip(param(2)), l = param(3);
        put(format("K %d %d M %d %d L %d %d L %d %d L closepath clip newpath ", l, t, r, t, r, b, l, b));
        break;
    }
    case wmf::kMoveTo:
        put("K ");
        putPoint(param(1), flip(param(0)), "M ");
        break;
    case wmf::kLineTo:
        // A null pen still moves the current position.
        if (dc_.nullPen)
            put("K ");
        putPoint(param(1), flip(param(0)), dc_.nullPen ? "M " : "L ");
        break;
    case wmf::kPolyline: polyline(); break;
    case wmf::kRectangle: rectangle(); break;
    case wmf::kEllipse: ellipticArc(param(3), param(2), param(1), param(0), 0, 360); break;
    case wmf::kArc: arc(); break;
    case wmf::kSetTextAlign: {
        const int a = param(0);
        align_ = (a & 4) ? Align::Centre : (a & 2) ? Align::Right : Align::Left;
        bottom_ = (a & 8) != 0;
        baseline_ = (a & wmf::kAlignBaseline) == wmf::kAlignBaseline;
        break;
    }
    case wmf::kTextOut: textOut(); break;
    default: break;
    }
}

std::string Translator::run()
{
    out_.reserve(3 * in_.size()); // about three text bytes per metafile byte
    out_ = "%!PS-Adobe-2.0\r\n%%Title: Quillmar page";
    out_ += format("\r\n%%%%Creator: Quillmar\r\n%%%%BoundingBox: 0 0 %d %d\r\n", page_.width, page_.height);
    out_ += format("%%%%EndComments\r\ngsave newpath\r\n/Times-Roman findfont %d ", page_.fontHeight);
    out_ += "scalefont setfont\r\n 13 dict begin\r\n"
            "/ld {load def} bind def /M /moveto ld /L /lineto ld /K /stroke ld /F /fill ld\r\n"
            "/W /setlinewidth ld /R /grestore ld /S /gsave ld /rgb /setrgbcolor ld\r\n"
            "/CS { dup stringwidth pop 2 div 3 2 roll sub -1 mul 3 2 roll M show} bind def\r\n"
            "/RS { dup stringwidth add 3 2 roll sub -1 mul 3 2 roll M show} bind def\r\n"
            "/LS { 3 1 roll 2 1 roll M show} bind def /D /setdash ld\r\nK ";
    out_ += format("%d  W K\r\n", page_.thickness);
    column_ = 0;

    const auto* data = reinterpret_cast<const uint8_t*>(in_.data());
    std::size_t pos = wmf::kHeaderSize;
    while (pos + 6 <= in_.size()) {
        const uint32_t words = getU32LE(data + pos);
        if (words < 3 || words > (in_.size() - pos) / 2)
            break;
        params_ = data + pos + 6;
        nParams_ = words - 3;
        record(getU16LE(data + pos + 4));
        breakLine();
        pos += std::size_t(words) * 2;
    }
    out_ += " K\r\nshowpage\r\nend\r\ngrestore ";
    return out_;
}

} // namespace

std::string metafileToPostScript(std::string_view metafile, const PsPage& page)
{
    return Translator(metafile, page).run();
}

} // namespace qm
