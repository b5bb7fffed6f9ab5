#include "cli/beam_option.h"

#include "app/scan_record.h"
#include "beam/fft_beam_correction.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace qm {

namespace {

const char* const kBeamUsage =
    "Usage: quillmar-batch --beam FREQ ALT STEP [--dfx MM] [--dfy MM] [--dh DEG]\n"
    "                      [--aperture DEG] [--hour S] [--points N] [--vsize MM]\n"
    "\n"
    "  prints the beam the FFT beam correction computes for a scan of FREQ GHz\n"
    "  at altitude ALT degrees with points STEP arc seconds apart: a line\n"
    "  \"n= jmax= width= q= dx=\" (width and dx in time seconds), then one line\n"
    "  \"j b_j\" per point. Other values come from the template settings.\n"
    "Exit status: 0, 1 when the inputs give no beam, 2 for a wrong command line.\n";

int beamUsageError(const std::string& why)
{
    std::fprintf(stderr, "quillmar-batch: %s\n\n%s", why.c_str(), kBeamUsage);
    return 2;
}

// The whole text as a finite number.
bool parseNumber(const char* text, double& out)
{
    char* end = nullptr;
    out = std::strtod(text, &end);
    return end != text && *end == '\0' && std::isfinite(out);
}

} // namespace

int runBeamOption(int argc, char** argv)
{
    double positional[3];
    int count = 0;
    std::map<std::string, double> options = {{"--dfx", 0}, {"--dfy", 0}, {"--dh", 0}, {"--aperture", 45},
                                             {"--hour", 0}, {"--points", 41}, {"--vsize", 5500}};
    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strncmp(a, "--", 2) == 0) {
            const auto it = options.find(a);
            if (it == options.end())
                return beamUsageError(std::string("unknown option ") + a);
            if (i + 1 >= argc || !parseNumber(argv[i + 1], it->second))
                return beamUsageError(std::string(a) + " needs a number");
            ++i;
            continue;
        }
        if (count == 3 || !parseNumber(a, positional[count]))
            return beamUsageError(std::string("unexpected argument ") + a);
        ++count;
    }
    if (count != 3)
        return beamUsageError("--beam needs FREQ ALT STEP");
    const double points = options["--points"];
    if (points != std::trunc(points) || std::abs(points) > 1e6)
        return beamUsageError("--points needs a whole number");

    ScanRecord scan;
    scan.frequency = static_cast<float>(positional[0]);
    scan.altitude = static_cast<float>(positional[1]);
    scan.step = static_cast<float>(positional[2]);
    BeamConfig config;
    config.aperture = static_cast<float>(options["--aperture"]);
    config.hourChange = static_cast<float>(options["--hour"]);
    config.verticalPoints = static_cast<float>(points);
    config.elementSize = static_cast<float>(options["--vsize"]);
    BeamModel beam = scanBeam(scan, config, options["--dfx"], options["--dfy"], options["--dh"]);
    if (beam.n() == 0) {
        std::fprintf(stderr, "quillmar-batch: these inputs give no beam\n");
        return 1;
    }
    std::printf("n=%d jmax=%d width=%.6f q=%.9f dx=%.9f\n", beam.n(), beam.maxIndex(), beam.halfPowerWidth(),
                beam.q(), beam.in.dx);
    for (int j = 0; j < beam.n(); ++j)
        std::printf("%d %.9e\n", j, beam.values()[static_cast<std::size_t>(j)]);
    return 0;
}

} // namespace qm
