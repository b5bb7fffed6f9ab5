// Fuzz target: the FITS layer on bytes in memory: TMemFits loads of the
// first two HDUs and their conversion, and TFitsHdr/TBinExt walking a table.
#include "app/byte_order.h"
#include "files/fits_layer.h"
#include "tests/files/fits_fixtures.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <cstring>

using namespace qm;

namespace {

void checkHdu(const uint8_t* data, std::size_t size, int hdu)
{
    TMemFits m;
    if (!m.load(data, size, hdu))
        return;
    fuzz::require(m.count() > 0 && m.axes() >= 1 && m.axes() <= TMemFits::kMaxAxes);
    uint64_t product = 1;
    for (int k = 1; k <= m.axes(); ++k)
        product *= uint64_t(m.axis(k));
    fuzz::require(product == m.count());
    volatile double sink = m.element(0) + m.element(static_cast<long long>(m.count()) - 1) + m.element(1LL << 40, 3, 3);
    (void)sink;
    if (m.convertToDoubles()) {
        fuzz::require(m.sizeCode() == -8 && m.count() > 0 && !m.convertToDoubles());
        sink = m.element(static_cast<long long>(m.count()) - 1) + m.element(-1, -1, -1);
    }
}

void walkTable(const uint8_t* data, std::size_t size)
{
    TFitsHdr primary;
    const std::size_t ps = primary.parse(data, size);
    fuzz::require(ps % kFitsBlock == 0 && ps <= size);
    if (ps == 0)
        return;
    const auto rendered = primary.render();
    fuzz::require(rendered.size() % kFitsBlock == 0);
    const long long ds = primary.dataSize();
    if (ds < 0 || uint64_t(ds) >= size - ps)
        return;
    const std::size_t at = ps + std::size_t(ds);
    TFitsHdr header;
    const std::size_t hs = header.parse(data + at, size - at);
    fuzz::require(hs <= size - at);
    if (hs == 0)
        return;
    TBinExt t;
    if (t.init(header) == 0)
        return;
    fuzz::require(t.fields() >= 1 && t.fields() <= TBinExt::kMaxFields && t.rowSize() >= 1);
    for (int f = 0; f < t.fields(); ++f)
        fuzz::require(t.fieldAt(f).offset + t.fieldAt(f).width <= t.rowSize());
    if (!t.attach(data + at + hs, size - at - hs))
        return;
    while (t.nextRow() > 0) {
        for (int f = 0; f < t.fields(); ++f) {
            const TBinExt::Field& field = t.fieldAt(f);
            std::string text;
            t.field(field.name, &text);
            // Names are found by prefix: the first field matching answers.
            fuzz::require(text.size() <= t.find(field.name)->width);
            (void)t.number(field.name, 0);
            (void)t.number(field.name, field.repeat - 1);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    checkHdu(data, size, 0);
    checkHdu(data, size, 1);
    walkTable(data, size);
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    using namespace qm::test;
    std::string shorts;
    for (int v = 1; v <= 6; ++v)
        shorts += std::string{'\0', char(v)};
    const std::string image = fitsHeader({"SIMPLE  =                    T", "BITPIX  =                   16",
                                          "NAXIS   =                    2", "NAXIS1  =                    3",
                                          "NAXIS2  =                    2", "BSCALE  =                  2.0",
                                          "OBJECT  = 'Sun'"}) +
                              fitsPad(shorts);
    const std::string doubles = fitsHeader({"SIMPLE  =                    T", "BITPIX  =                  -64",
                                            "NAXIS   =                    1", "NAXIS1  =                    1"}) +
                                fitsPad(std::string("\x3F\xF0\0\0\0\0\0\0", 8)) +
                                fitsHeader({"XTENSION= 'IMAGE   '", "BITPIX  =                   32",
                                            "NAXIS   =                    1", "NAXIS1  =                    2",
                                            "PCOUNT  =                    0", "GCOUNT  =                    1"}) +
                                fitsPad(std::string("\xff\xff\xff\xfe\0\0\1\0", 8));
    std::string rows;
    for (int r = 0; r < 3; ++r) {
        uint8_t row[24] = {};
        std::memcpy(row, r ? "label" : "xy\0z", 5);
        putF32BE(row + 6, 1.5f * float(r));
        putI16BE(row + 10, int16_t(-r));
        putI16BE(row + 12, int16_t(r * 300));
        putF64BE(row + 14, 0.1 * r);
        row[22] = uint8_t(r);
        row[23] = 'T';
        rows.append(reinterpret_cast<char*>(row), sizeof row);
    }
    const std::string table =
        fitsHeader(fuzz::fitsPrimaryCards()) +
        fitsHeader({"XTENSION= 'BINTABLE'", "BITPIX  =                    8", "NAXIS   =                    2",
                    "NAXIS1  =                   24", "NAXIS2  =                    3", "PCOUNT  =                    0",
                    "GCOUNT  =                    1", "TFIELDS =                    6", "TTYPE1  = 'name    '",
                    "TFORM1  = '6A      '", "TTYPE2  = 'freq    '", "TFORM2  = 'E       '", "TTYPE3  = 'pair    '",
                    "TFORM3  = '2I      '", "TSCAL3  =                  0.5", "TZERO3  =                  3.0",
                    "TTYPE4  = 'dbl     '", "TFORM4  = 'D       '", "TTYPE5  = 'b       '", "TFORM5  = 'B       '",
                    "TTYPE6  = 'flag    '", "TFORM6  = 'L       '"}) +
        fitsPad(rows);
    return {image, doubles, table};
}
