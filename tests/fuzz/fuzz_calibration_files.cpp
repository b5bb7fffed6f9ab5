// Fuzz target: the same bytes as a monthly flux table, a noise-generator
// table, a log correction file and a correction data file.
#include "files/calibration_files.h"
#include "files/card_reader.h"
#include "tests/fuzz/fuzz_seeds.h"

#include <cmath>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size)
{
    {
        ByteSource in(data, size);
        if (const auto t = readFluxMonth(in)) {
            fuzz::require(t->frequencies.size() == 4 || t->frequencies.size() == 5);
            fuzz::require(t->days.size() <= kMaxFluxDayLines);
            for (const auto& d : t->days)
                fuzz::require(d.flux.empty() || d.flux.size() == t->frequencies.size());
        }
    }
    {
        ByteSource in(data, size);
        const auto rows = readNoiseGen(in);
        fuzz::require(rows.size() <= kMaxNoiseRows);
        for (const auto& r : rows)
            fuzz::require(std::isfinite(r.frequency) && std::isfinite(r.tI) && std::isfinite(r.tV));
    }
    {
        ByteSource in(data, size);
        readLogCorrection(in);
    }
    {
        ByteSource in(data, size);
        const auto rows = readCorrectionData(in);
        fuzz::require(rows.size() <= kMaxCorrectionRows);
        if (interpolateCorrection(rows, 5.0))
            fuzz::require(rows.size() >= 2);
    }
    return 0;
}

std::vector<std::string> qm::fuzz::seeds()
{
    return {
        "NoRP 1000 2000 3750 9400 17000\nx\nx\n1 50 76 112 262 520\n2 51 77 113 263 521\n",
        "NoRP 1000 2000 3750 9400\nx\nx\n30 50 76 112 262\n31 51 77\n",
        " 2.00000 40.000 10.000\r\n 3.00000 41.000 11.000 1 2 3 4 5 6 7\r\n",
        "heading\n3.0 1.2 1.22\n5.7 1.15 1.16\n",
        "1.0 2.0\n2.0 3.0\nnan 4\n3.0 inf\n",
    };
}
