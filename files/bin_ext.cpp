// TBinExt: rows and columns of a BINTABLE extension.
#include "files/fits_layer.h"

#include "app/byte_order.h"
#include "app/text_format.h"

#include <cstring>

namespace qm {

std::size_t TBinExt::elementSize(char type)
{
    switch (type) {
    case 'A': case 'B': case 'L': case 'X':
        return 1;
    case 'I':
        return 2;
    case 'J': case 'E':
        return 4;
    case 'K': case 'D': case 'C': case 'P':
        return 8;
    case 'M': case 'Q':
        return 16;
    default:
        return 0;
    }
}

bool TBinExt::parseForm(std::string_view form, long long& repeat, char& type)
{
    std::size_t p = 0;
    while (p < form.size() && form[p] == ' ')
        ++p;
    long long r = 1;
    if (p < form.size() && form[p] >= '0' && form[p] <= '9') {
        r = 0;
        for (; p < form.size() && form[p] >= '0' && form[p] <= '9'; ++p) {
            r = r * 10 + (form[p] - '0');
            if (r > (1LL << 40))
                return false;
        }
    }
    if (p >= form.size() || elementSize(form[p]) == 0)
        return false;
    repeat = r;
    type = form[p];
    return true;
}

int TBinExt::init(const TFitsHdr& header)
{
    *this = TBinExt();
    int nFields = 0, naxis = 0, rowBytes = 0, nRows = 0;
    if (header.getInteger("TFIELDS", nFields) != 0 || nFields < 1 || nFields > kMaxFields)
        return 0;
    if (header.getInteger("NAXIS", naxis) != 0 || naxis != 2)
        return 0;
    if (header.getInteger("NAXIS2", nRows) != 0 || nRows < 1)
        return 0;
    if (header.getInteger("NAXIS1", rowBytes) != 0 || rowBytes < 1)
        return 0;
    std::vector<Field> fields;
    std::size_t offset = 0;
    for (int n = 1; n <= nFields; ++n) {
        Field f;
        std::string form;
        if (header.getString(format("TFORM%d", n), form) != 0 || !parseForm(form, f.repeat, f.type))
            return 0;
        std::string name;
        if (header.getString(format("TTYPE%d", n), name) == 0)
            f.name = upper(name.substr(0, 16));
        const uint64_t width = f.type == 'X' ? (uint64_t(f.repeat) + 7) / 8 : uint64_t(f.repeat) * elementSize(f.type);
        if (width > uint64_t(rowBytes) - offset)
            return 0; // the fields do not fit in a row
        f.offset = offset;
        f.width = static_cast<std::size_t>(width);
        offset += f.width;
        fields.push_back(std::move(f));
    }
    fields_ = std::move(fields);
    rows_ = nRows;
    rowSize_ = static_cast<std::size_t>(rowBytes);
    row_.assign(rowSize_, 0);
    return nFields;
}

bool TBinExt::attach(const uint8_t* data, std::size_t size)
{
    data_ = nullptr;
    current_ = -1;
    if (fields_.empty() || !data || uint64_t(size) / rowSize_ < uint64_t(rows_))
        return false;
    data_ = data;
    current_ = 0;
    return true;
}

long long TBinExt::nextRow()
{
    if (!data_ || current_ < 0 || current_ >= rows_)
        return 0;
    std::memcpy(row_.data(), data_ + std::size_t(current_) * rowSize_, rowSize_);
    return ++current_;
}

bool TBinExt::copyRow(long long r)
{
    if (!data_ || r < 0 || r >= rows_)
        return false;
    std::memcpy(row_.data(), data_ + std::size_t(r) * rowSize_, rowSize_);
    return true;
}

const TBinExt::Field* TBinExt::find(std::string_view name) const
{
    const std::string key = upper(name);
    for (const Field& f : fields_)
        if (f.name.compare(0, key.size(), key) == 0)
            return &f;
    return nullptr;
}

const uint8_t* TBinExt::field(std::string_view name, std::string* text)
{
    const Field* f = find(name);
    if (!f || f->width == 0)
        return nullptr;
    const uint8_t* raw = row_.data() + f->offset;
    if (f->type == 'A') {
        if (text) {
            const void* nul = std::memchr(raw, 0, f->width);
            const std::size_t n = nul ? std::size_t(static_cast<const uint8_t*>(nul) - raw) : f->width;
            text->assign(reinterpret_cast<const char*>(raw), n);
        }
        return raw;
    }
    if (f->repeat > 1)
        return raw;
    switch (f->type) {
    case 'B': case 'I': case 'J': case 'K': case 'E': case 'D':
        std::memcpy(scratch_, raw, f->width);
        if (f->width == 2)
            TFitsHdr::swap2(scratch_);
        else if (f->width == 4)
            TFitsHdr::reverse4(scratch_);
        else if (f->width == 8)
            TFitsHdr::reverse8(scratch_);
        return scratch_;
    default:
        return raw;
    }
}

std::optional<double> TBinExt::decode(const Field& f, const uint8_t* row, long long k)
{
    if (k < 0 || k >= f.repeat || f.type == 'X')
        return std::nullopt;
    const uint8_t* p = row + f.offset + std::size_t(k) * elementSize(f.type);
    switch (f.type) {
    case 'B':
        return double(p[0]);
    case 'L':
        if (p[0] == 'T' || p[0] == 'F')
            return p[0] == 'T' ? 1.0 : 0.0;
        return std::nullopt;
    case 'I':
        return double(getI16BE(p));
    case 'J':
        return double(int32_t(getU32BE(p)));
    case 'K':
        return double(int64_t(getU64BE(p)));
    case 'E':
        return double(getF32BE(p));
    case 'D':
        return getF64BE(p);
    default:
        return std::nullopt;
    }
}

std::optional<double> TBinExt::number(std::string_view name, long long k) const
{
    const Field* f = find(name);
    return f ? decode(*f, row_.data(), k) : std::nullopt;
}

} // namespace qm
