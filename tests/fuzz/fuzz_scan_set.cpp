// Fuzz target: a scan-set file read from memory.
#include "app/atomic_file.h"
#include "app/scan_record.h"
#include "files/scan_set.h"
#include "tests/files/fits_fixtures.h"
#include "tests/fuzz/fuzz_bench.h"
#include "tests/fuzz/fuzz_scan_checks.h"
#include "tests/support/temp_dir.h"

#include <cstdio>

using namespace qm;

namespace {

// A set written by the program: `scans` scans of `n` points.
std::string writtenSet(int scans, int n, const char* date)
{
    fuzz::Bench h;
    ScanChain chain;
    for (int k = 0; k < scans; ++k) {
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = int16_t(n);
        r->frequency = 2.0f + float(k);
        r->step = 1.5f;
        std::snprintf(r->object, sizeof r->object, "SUN %d", k);
        std::snprintf(r->dateObs, sizeof r->dateObs, "%s", date);
        r->allocChannel(1);
        r->allocChannel(2);
        for (int i = 0; i < n; ++i) {
            r->wrkI()[i] = float(i * k);
            r->wrkV()[i] = -float(i);
        }
        chain.push_back(std::move(r));
    }
    h.wb.scans.appendTail(std::move(chain));
    h.wb.afterLoad({});
    h.wb.allMode = true;
    h.wb.chkWrkI = h.wb.chkWrkV = true;
    h.wb.viewBegin = 0;
    h.wb.viewEnd = n - 1;
    test::TempDir dir;
    std::vector<uint8_t> bytes;
    if (!saveScanSet(h.wb, dir.file("seed.fits")) || !readWholeFile(dir.file("seed.fits"), bytes))
        return {};
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    static fuzz::Bench h;
    if (auto chain = readScanSet(h.next(size), data, size)) {
        fuzz::require(!chain->empty() && chain->size() <= std::size_t(kMaxScans));
        for (const auto& r : *chain) {
            fuzz::checkScan(*r);
            fuzz::require(r->hasI() && r->hasV() && r->nPoints == (*chain)[0]->nPoints);
        }
    }
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    std::string overflow = writtenSet(2, 12, "2004/05/01");
    const std::size_t comment = overflow.find("COMMENT   *** Frequencies");
    if (comment != std::string::npos)
        overflow.replace(comment, 80, test::fitsCard("OVER002 =                    1"));
    return {writtenSet(3, 16, "2004/05/01"), writtenSet(1, 40, "none"), overflow};
}
