// Fuzz target: one data file (shape T or F) read from memory.
#include "app/scan_record.h"
#include "files/card_reader.h"
#include "files/data_file_reader.h"
#include "tests/files/data_file_fixtures.h"
#include "tests/fuzz/fuzz_scan_checks.h"
#include "tests/fuzz/fuzz_seeds.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    ByteSource in(data, size);
    ScanRecord r;
    LoadErrors errors;
    if (readDataStream(errors, in, r)) {
        fuzz::checkScan(r);
        fuzz::require(r.sampleFormat == 0 || r.sampleFormat == 1);
    }
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    using namespace qm::test;
    std::string text;
    for (int k = 0; k < 12; ++k)
        text += k % 10 == 9 ? "  -123\r\n" : "  4567.8";
    return {
        sampleShapeT(),
        sampleShapeF(),
        shapeTFile({"BITPIX  =             64", "NAXIS   =              2", "NAXIS1  =              6",
                    "POLARSET=              0", "BSCALE1 =   1.000000e+00", "BZERO2  =             -5",
                    "TIME-OBS= '10:11:12'", "THETA-DG=          17.50"},
                   text),
        shapeFFile({"BITPIX  =  64", "NAXIS   =  1", "NAXIS1  =  2", "DATE-OBS= \"01/05/2004\""},
                   {{{"POLARIZ =  1", "BSCALE  =  3", "BZERO   =  -1"}, "  -2.5  7     \r\n"}}),
    };
}
