// TFitsHdr: an editable list of 80-character header cards.
#include "files/fits_layer.h"

#include "app/text_format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numeric>

namespace qm {

namespace {

constexpr std::size_t kValueWidth = 20;    // numbers end in column 30
constexpr std::size_t kSlashColumn = 31;   // "/" in column 32
constexpr std::size_t kCommentWidth = 40;  // columns 34..73
constexpr std::size_t kStringMax = 20;
constexpr std::size_t kCommentTextMax = 70;

// Printable ASCII only: anything else becomes a blank.
std::string printable(std::string_view text, std::size_t limit)
{
    std::string s(text.substr(0, std::min(limit, text.size())));
    for (char& c : s)
        if (c < 0x20 || c > 0x7e)
            c = ' ';
    return s;
}

std::string keywordField(std::string_view key)
{
    std::string k = upper(key.substr(0, std::min<std::size_t>(8, key.size())));
    k.resize(8, ' ');
    return k;
}

// A value card: keyword, "= ", the value field from column 11, then the
// comment behind "/" in column 32 (or one blank after a longer value).
std::string valueCard(std::string_view key, const std::string& value, std::string_view comment)
{
    std::string s = keywordField(key) + "= " + value;
    if (!comment.empty()) {
        if (s.size() < kSlashColumn)
            s.resize(kSlashColumn, ' ');
        else
            s += ' ';
        s += "/ " + printable(comment, kCommentWidth);
    }
    s.resize(kFitsCard, ' ');
    return s;
}

std::string rightJustified(const std::string& v)
{
    return v.size() >= kValueWidth ? v : std::string(kValueWidth - v.size(), ' ') + v;
}

std::string trimmedKeyword(const std::string& card)
{
    std::string k = card.substr(0, std::min<std::size_t>(8, card.size()));
    while (!k.empty() && k.back() == ' ')
        k.pop_back();
    return k;
}

// Position of a card in the standard order of the mandatory keywords; the
// others share one rank and keep their order.
int mandatoryRank(const std::string& keyword, bool extension)
{
    constexpr int kOther = 2000;
    if (keyword == "SIMPLE" || keyword == "XTENSION")
        return 0;
    if (keyword == "BITPIX")
        return 1;
    if (keyword == "NAXIS")
        return 2;
    if (keyword.size() > 5 && keyword.compare(0, 5, "NAXIS") == 0) {
        int n = 0;
        for (std::size_t i = 5; i < keyword.size(); ++i) {
            if (keyword[i] < '0' || keyword[i] > '9')
                return kOther;
            n = n * 10 + (keyword[i] - '0');
        }
        return n >= 1 && n <= 999 ? 2 + n : kOther;
    }
    if (extension && keyword == "PCOUNT")
        return 1002;
    if (extension && keyword == "GCOUNT")
        return 1003;
    if (extension && keyword == "TFIELDS") // tables
        return 1004;
    return kOther;
}

} // namespace

void TFitsHdr::create(std::string_view extension)
{
    clear();
    if (extension.empty()) {
        setLogical("SIMPLE", true, "Written by TFitsHdr (QRD 2005)");
        setInteger("BITPIX", 0);
        setLogical("EXTEND", true, "FITS data may contain extensions");
        setInteger("NAXIS", 0);
    } else {
        setString("XTENSION", extension, "Written by TFitsHdr (QRD 2005)");
        setInteger("BITPIX", 8);
    }
}

int TFitsHdr::find(std::string_view key) const
{
    const std::string k = upper(key);
    for (std::size_t i = 0; i < cards_.size(); ++i)
        if (cards_[i].compare(0, k.size(), k) == 0)
            return static_cast<int>(i);
    return -1;
}

int TFitsHdr::put(std::string_view key, const std::string& card)
{
    if (count() > kCardsBeforeFull)
        return 0;
    const int i = find(key);
    if (i >= 0)
        cards_[std::size_t(i)] = card;
    else
        cards_.push_back(card);
    return 1;
}

int TFitsHdr::setLogical(std::string_view key, bool value, std::string_view comment)
{
    return put(key, valueCard(key, rightJustified(value ? "T" : "F"), comment));
}

int TFitsHdr::setInteger(std::string_view key, long long value, std::string_view comment)
{
    return put(key, valueCard(key, rightJustified(format("%lld", value)), comment));
}

int TFitsHdr::setFloat(std::string_view key, double value, std::string_view comment)
{
    if (!std::isfinite(value))
        return 0;
    std::string v = format("%f", value);
    if (v.size() > kValueWidth) // too large for fixed notation in the field
        v = format("%.12E", value);
    return put(key, valueCard(key, rightJustified(v), comment));
}

int TFitsHdr::setDouble(std::string_view key, double value, std::string_view comment)
{
    if (!std::isfinite(value))
        return 0;
    return put(key, valueCard(key, rightJustified(format("%.12E", value)), comment));
}

int TFitsHdr::setString(std::string_view key, std::string_view value, std::string_view comment)
{
    std::string quoted;
    for (char c : printable(value, kStringMax)) {
        quoted += c;
        if (c == '\'')
            quoted += '\''; // an apostrophe inside the value is written twice
    }
    if (quoted.size() < 8)
        quoted.resize(8, ' ');
    return put(key, valueCard(key, "'" + quoted + "'", comment));
}

int TFitsHdr::addComment(std::string_view text)
{
    if (count() > kCardsBeforeFull)
        return 0;
    std::string s = "COMMENT   " + printable(text, kCommentTextMax);
    s.resize(kFitsCard, ' ');
    cards_.push_back(s);
    return 1;
}

int TFitsHdr::getString(std::string_view key, std::string& out) const
{
    const int i = find(key);
    if (i < 0)
        return 1;
    const std::string& c = cards_[std::size_t(i)];
    const std::size_t open = c.find('\'', 9);
    if (open == std::string::npos || open > 31)
        return 1;
    std::string v;
    for (std::size_t p = open + 1; p < c.size(); ++p) {
        if (c[p] == '\'') {
            if (p + 1 < c.size() && c[p + 1] == '\'') {
                v += '\'';
                ++p;
                continue;
            }
            break;
        }
        v += c[p];
    }
    while (!v.empty() && static_cast<unsigned char>(v.back()) <= ' ')
        v.pop_back();
    out = v;
    return 0;
}

int TFitsHdr::getInteger(std::string_view key, int& out) const
{
    const int i = find(key);
    return i >= 0 && scanInt(std::string_view(cards_[std::size_t(i)]).substr(9), out) ? 0 : 1;
}

int TFitsHdr::getFloat(std::string_view key, float& out) const
{
    const int i = find(key);
    return i >= 0 && scanFloat(std::string_view(cards_[std::size_t(i)]).substr(9), out) ? 0 : 1;
}

int TFitsHdr::getDouble(std::string_view key, double& out) const
{
    const int i = find(key);
    return i >= 0 && scanDouble(std::string_view(cards_[std::size_t(i)]).substr(9), out) ? 0 : 1;
}

std::size_t TFitsHdr::parse(const uint8_t* bytes, std::size_t n)
{
    clear();
    bool ended = false;
    for (std::size_t at = 0; at + kFitsCard <= n && count() < kParseLimit; at += kFitsCard) {
        cards_.emplace_back(reinterpret_cast<const char*>(bytes + at), kFitsCard);
        if (std::memcmp(bytes + at, "END     ", 8) == 0) {
            ended = true;
            break;
        }
    }
    const std::size_t size = static_cast<std::size_t>(fitsBlocks(cards_.size() * kFitsCard));
    if ((!ended && count() < kParseLimit) || size > n) { // cut short
        clear();
        return 0;
    }
    return size;
}

std::vector<uint8_t> TFitsHdr::render() const
{
    if (cards_.empty() || count() >= kRenderLimit)
        return {};
    const bool extension = trimmedKeyword(cards_.front()) == "XTENSION";
    std::vector<int> rank(cards_.size());
    for (std::size_t i = 0; i < cards_.size(); ++i)
        rank[i] = mandatoryRank(trimmedKeyword(cards_[i]), extension);
    std::vector<std::size_t> order(cards_.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return rank[a] < rank[b]; });

    std::vector<uint8_t> out(fitsBlocks((cards_.size() + 1) * kFitsCard), ' ');
    std::size_t at = 0;
    for (std::size_t i : order) {
        std::memcpy(out.data() + at, cards_[i].data(), std::min(kFitsCard, cards_[i].size()));
        at += kFitsCard;
    }
    std::memcpy(out.data() + at, "END", 3);
    return out;
}

long long TFitsHdr::dataSize() const
{
    if (cards_.empty())
        return -1;
    int naxis = 0, bitpix = 0;
    if (getInteger("NAXIS", naxis) != 0 || naxis < 0 || naxis > 999)
        return -1;
    if (naxis == 0)
        return 0;
    if (getInteger("BITPIX", bitpix) != 0)
        return -1;
    if (bitpix != 8 && bitpix != 16 && bitpix != 32 && bitpix != 64 && bitpix != -32 && bitpix != -64)
        return -1;
    constexpr long long kLimit = 1LL << 50; // far above any file this program can hold
    long long elements = 1;
    for (int k = 1; k <= naxis; ++k) {
        int len = 0;
        if (getInteger(format("NAXIS%d", k), len) != 0 || len < 0)
            return -1;
        if (len > 0 && elements > kLimit / len)
            return -1;
        elements *= len;
    }
    if (trimmedKeyword(cards_.front()) == "XTENSION") {
        int pcount = 0, gcount = 1;
        if ((getInteger("PCOUNT", pcount) == 0 && pcount < 0) || (getInteger("GCOUNT", gcount) == 0 && gcount < 0))
            return -1;
        elements += pcount;
        if (gcount > 0 && elements > kLimit / gcount)
            return -1;
        elements *= gcount;
    }
    return static_cast<long long>(fitsBlocks(static_cast<uint64_t>(elements) * uint64_t(std::abs(bitpix) / 8)));
}

bool TFitsHdr::isHduStart(const uint8_t* card)
{
    return std::memcmp(card, "SIMPLE  =", 9) == 0 || std::memcmp(card, "XTENSION=", 9) == 0;
}

void TFitsHdr::swap2(uint8_t* p) { std::swap(p[0], p[1]); }
void TFitsHdr::reverse4(uint8_t* p) { std::reverse(p, p + 4); }
void TFitsHdr::reverse8(uint8_t* p) { std::reverse(p, p + 8); }

} // namespace qm
