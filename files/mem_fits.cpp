// TMemFits: one header-and-data unit of a FITS file held in memory.
#include "files/fits_layer.h"

#include "app/byte_order.h"
#include "app/text_format.h"

#include <cmath>
#include <cstring>

namespace qm {

namespace {

bool isBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// First word of a card from column `from` (the "%s" conversion).
std::string wordAt(const uint8_t* card, std::size_t from)
{
    std::size_t p = from;
    while (p < kFitsCard && isBlank(card[p]))
        ++p;
    std::string w;
    while (p < kFitsCard && card[p] != 0 && !isBlank(card[p]))
        w += char(card[p++]);
    return w;
}

std::string trimRight(std::string s)
{
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

bool validBitpix(int b) { return b == 8 || b == 16 || b == 32 || b == 64 || b == -32 || b == -64; }

// Header size in bytes (whole blocks) of the HDU at `at`; 0 when damaged.
std::size_t headerAt(const uint8_t* bytes, std::size_t n, std::size_t at, TFitsHdr& h)
{
    if (at >= n || n - at < kFitsCard || !TFitsHdr::isHduStart(bytes + at))
        return 0;
    const std::size_t size = h.parse(bytes + at, n - at);
    return size <= n - at ? size : 0;
}

} // namespace

void TMemFits::reset()
{
    header_.clear();
    data_.clear();
    data_.shrink_to_fit();
    sizeCode_ = 0;
    count_ = 0;
    naxis_.clear();
    hdu_ = 0;
    converted_ = false;
}

bool TMemFits::load(const std::string& path, int hdu)
{
    reset();
    TMemStream file;
    if (file.load(path) == 0)
        return false;
    return load(file.data(), file.size(), hdu);
}

bool TMemFits::load(const uint8_t* bytes, std::size_t n, int hdu)
{
    reset();
    if (!bytes || n < kFitsCard || hdu < 0 || std::memcmp(bytes, "SIMPLE", 6) != 0)
        return false;
    const std::string simple = wordAt(bytes, 9);
    if (simple.empty() || simple[0] != 'T')
        return false;

    // Skip the HDUs before the one asked for.
    std::size_t at = 0;
    TFitsHdr h;
    for (int k = 0; k < hdu; ++k) {
        const std::size_t hsize = headerAt(bytes, n, at, h);
        const long long dsize = hsize ? h.dataSize() : -1;
        if (dsize < 0 || uint64_t(dsize) >= n - at - hsize)
            return false;
        at += hsize + std::size_t(dsize);
    }
    const std::size_t hsize = headerAt(bytes, n, at, h);
    if (hsize == 0)
        return false;
    header_.set(bytes + at, hsize);
    at += hsize;

    const auto bitpix = getInteger("BITPIX");
    const auto naxis = getInteger("NAXIS");
    if (!bitpix || !validBitpix(*bitpix) || !naxis || *naxis < 1 || *naxis > kMaxAxes)
        return false;
    const int elementBytes = std::abs(*bitpix) / 8;
    uint64_t count = 1;
    for (int k = 1; k <= *naxis; ++k) {
        const auto len = getInteger(format("NAXIS%d", k));
        if (!len || *len < 0)
            return false;
        count *= uint64_t(*len); // at most 9 factors below 2^31: checked against the bytes below
        if (count > n)
            return false;
        naxis_.push_back(*len);
    }
    const uint64_t bytesNeeded = count * uint64_t(elementBytes);
    if (count == 0 || bytesNeeded > n - at)
        return false; // no data, or the data are cut short

    data_.assign(bytes + at, bytes + at + bytesNeeded);
    for (std::size_t p = 0; p < data_.size(); p += std::size_t(elementBytes)) {
        if (elementBytes == 2)
            TFitsHdr::swap2(&data_[p]);
        else if (elementBytes == 4)
            TFitsHdr::reverse4(&data_[p]);
        else if (elementBytes == 8)
            TFitsHdr::reverse8(&data_[p]);
    }
    sizeCode_ = *bitpix / 8;
    count_ = std::size_t(count);
    hdu_ = hdu;
    return true;
}

int TMemFits::findKeyword(std::string_view key, std::string& value) const
{
    const std::size_t cards = header_.size() / kFitsCard;
    const uint8_t* base = header_.data();
    for (std::size_t c = 0; c < cards; ++c) {
        const uint8_t* card = base + c * kFitsCard;
        if (card[0] == ' ')
            continue;
        std::string keyword;
        for (std::size_t p = 0; p < 8 && card[p] != 0 && !isBlank(card[p]); ++p)
            keyword += char(card[p]);
        if (keyword == "END")
            return 0;
        if (keyword != key)
            continue;
        value = wordAt(card, 9);
        if (!value.empty() && value[0] == '\'') {
            std::size_t open = 8;
            while (open < 32 && card[open] != '\'')
                ++open;
            value.clear();
            for (std::size_t p = open + 1; p < kFitsCard && card[p] != '\''; ++p)
                value += char(card[p]);
        }
        return int(c + 1);
    }
    return 0;
}

std::optional<int> TMemFits::getInteger(std::string_view key) const
{
    std::string v;
    int out = 0;
    if (findKeyword(key, v) == 0 || !scanInt(v, out))
        return std::nullopt;
    return out;
}

std::optional<double> TMemFits::getDouble(std::string_view key) const
{
    std::string v;
    double out = 0;
    if (findKeyword(key, v) == 0 || !scanDouble(v, out))
        return std::nullopt;
    return out;
}

double TMemFits::element(long long i, long long j, long long k) const
{
    if (count_ == 0)
        return 0;
    const long long n1 = axis(1), n2 = axes() >= 2 ? axis(2) : 1;
    long long idx = 0, plane = 0, row = 0;
    if (i < 0 || j < 0 || k < 0 || __builtin_mul_overflow(n1, n2, &plane) || __builtin_mul_overflow(k, plane, &idx) ||
        __builtin_mul_overflow(j, n1, &row) || __builtin_add_overflow(idx, row, &idx) ||
        __builtin_add_overflow(idx, i, &idx) || uint64_t(idx) >= count_)
        idx = 0;
    const uint8_t* p = data_.data() + std::size_t(idx) * std::size_t(std::abs(sizeCode_));
    switch (sizeCode_) {
    case 1:
        return p[0];
    case 2: {
        int16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    case 4: {
        int32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    case 8: {
        int64_t v;
        std::memcpy(&v, p, 8);
        return double(v);
    }
    case -4: {
        float v;
        std::memcpy(&v, p, 4);
        return v;
    }
    default: {
        double v;
        std::memcpy(&v, p, 8);
        return v;
    }
    }
}

bool TMemFits::isBinTable() const
{
    std::string v;
    return findKeyword("XTENSION", v) != 0 && trimRight(v) == "BINTABLE";
}

bool TMemFits::convertToDoubles()
{
    if (converted_ || count_ == 0)
        return false;
    std::vector<double> out;
    if (!isBinTable()) {
        const double scale = getDouble("BSCALE").value_or(1.0), zero = getDouble("BZERO").value_or(0.0);
        out.resize(count_);
        for (std::size_t i = 0; i < count_; ++i)
            out[i] = element(static_cast<long long>(i)) * scale + zero;
    } else {
        const auto nFields = getInteger("TFIELDS");
        if (!nFields || *nFields < 1 || *nFields > TBinExt::kMaxFields || axes() != 2 || sizeCode_ != 1)
            return false;
        const std::size_t rowBytes = std::size_t(axis(1));
        const std::size_t rows = std::size_t(axis(2));
        struct Column {
            TBinExt::Field f;
            double scale, zero;
        };
        std::vector<Column> cols;
        std::size_t offset = 0, perRow = 0;
        for (int n = 1; n <= *nFields; ++n) {
            std::string form;
            Column c;
            if (findKeyword(format("TFORM%d", n), form) == 0 || !TBinExt::parseForm(trimRight(form), c.f.repeat, c.f.type))
                return false;
            if (c.f.type == 'C' || c.f.type == 'M' || c.f.type == 'P' || c.f.type == 'Q')
                return false; // no single real number per element
            const uint64_t width = c.f.type == 'X' ? (uint64_t(c.f.repeat) + 7) / 8
                                                   : uint64_t(c.f.repeat) * TBinExt::elementSize(c.f.type);
            if (width > rowBytes - offset)
                return false;
            c.f.offset = offset;
            c.f.width = std::size_t(width);
            offset += c.f.width;
            c.scale = getDouble(format("TSCAL%d", n)).value_or(1.0);
            c.zero = getDouble(format("TZERO%d", n)).value_or(0.0);
            perRow += c.f.type == 'X' || c.f.type == 'A' ? c.f.width : std::size_t(c.f.repeat);
            cols.push_back(c);
        }
        // The table bytes are unchanged by load (one-byte elements).
        out.reserve(rows * perRow);
        for (std::size_t r = 0; r < rows; ++r) {
            const uint8_t* row = data_.data() + r * rowBytes;
            for (const Column& c : cols) {
                if (c.f.type == 'A' || c.f.type == 'X') {
                    for (std::size_t b = 0; b < c.f.width; ++b)
                        out.push_back(row[c.f.offset + b] * c.scale + c.zero);
                    continue;
                }
                for (long long k = 0; k < c.f.repeat; ++k)
                    out.push_back(TBinExt::decode(c.f, row, k).value_or(0.0) * c.scale + c.zero);
            }
        }
        naxis_ = {static_cast<long long>(perRow), static_cast<long long>(rows)};
    }
    if (out.empty())
        return false;
    data_.resize(out.size() * sizeof(double));
    std::memcpy(data_.data(), out.data(), data_.size());
    count_ = out.size();
    sizeCode_ = -8;
    converted_ = true;
    return true;
}

long long TMemFits::modifiedJulianDay(long long year, long long month, long long day)
{
    const long long a = (month - 14) / 12;
    return (1461 * (year + 4800 + a)) / 4 + (367 * (month - 2 - 12 * a)) / 12 -
           (3 * ((year + 4900 + a) / 100)) / 4 + day - 2432076;
}

} // namespace qm
