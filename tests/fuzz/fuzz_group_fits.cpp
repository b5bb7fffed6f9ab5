// Fuzz target: a group FITS file read from memory (a plain data file on the
// same route is handed to the data-file reader).
#include "app/scan_record.h"
#include "files/group_fits.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/files/fits_fixtures.h"
#include "tests/fuzz/fuzz_bench.h"
#include "tests/fuzz/fuzz_scan_checks.h"
#include "tests/fuzz/fuzz_seeds.h"

using namespace qm;

namespace {

std::vector<std::string> tableStart(int rowBytes, int fields)
{
    return {"XTENSION= 'BINTABLE'", "BITPIX  =                    8", "NAXIS   =                    2",
            "NAXIS1  = " + std::to_string(rowBytes), "NAXIS2  =                    1", "PCOUNT  =                    0",
            "GCOUNT  =                    1", "TFIELDS = " + std::to_string(fields), "ORIGIN  = 'SAO'",
            "TELESCOP= 'RATAN-600'", "DATE_OBS= '2004-05-01T05:13:47'", "OBJECT  = 'Sun'", "AZIMUTH =          12.5",
            "ALTITUDE=         45.25", "CENTRE_X=          1.5", "XSCALE  =          1.5", "ANGLE   =         -3.5",
            "SOLAR_R =        640.0", "BUNIT   = 'Jy/arcsec'"};
}

void addColumn(std::vector<std::string>& cards, int k, int count, const char* type)
{
    cards.push_back("TFORM" + std::to_string(k) + "  = '" + std::to_string(count) + "I'");
    cards.push_back("TDIM" + std::to_string(k) + "   = '(" + std::to_string(count) + ")'");
    cards.push_back("TTYPE" + std::to_string(k) + "  = '" + type + "' /");
    cards.push_back("TSCAL" + std::to_string(k) + "  =        +2.500000E-01 /");
    cards.push_back("TZERO" + std::to_string(k) + "  =        -1.000000E+01 /");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static fuzz::Bench h;
    const int held = static_cast<int>(size % 300);
    const ScanChain chain = readGroupFitsBytes(h.next(size), data, size, held);
    fuzz::require(chain.size() <= 1 || held + static_cast<int>(chain.size()) < 256);
    for (const auto& r : chain)
        fuzz::checkScan(*r);
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    using test::beSamples;
    auto iv = tableStart(16, 2);
    addColumn(iv, 1, 4, "FREQUENCY    2.9400 GHZ R+L");
    addColumn(iv, 2, 4, "FREQUENCY    2.9400 GHZ R-L");

    auto rl = tableStart(24, 4);
    addColumn(rl, 1, 3, "FREQUENCY    3.1000 GHZ R");
    addColumn(rl, 2, 3, "FREQUENCY    5.0000 GHZ L");
    addColumn(rl, 3, 3, "FREQUENCY    3.1000 GHZ L");
    addColumn(rl, 4, 3, "FREQUENCY    5.0000 GHZ R");

    using test::fitsHeader;
    using test::fitsPad;
    const std::string primary = fitsHeader(fitsPrimaryCards());
    return {
        primary + fitsHeader(iv) + fitsPad(beSamples({1, -2, 30000, -30000, 5, 6, 7, 8})),
        primary + fitsHeader(rl) + fitsPad(beSamples({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})),
        primary + fitsHeader(tableStart(0, 0)),
        test::sampleShapeT(),
    };
}
