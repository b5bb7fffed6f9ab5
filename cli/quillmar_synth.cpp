// quillmar-synth: writes reproducible synthetic solar drift scans as a
// header file with one data file per scan, and/or one shape-F data file.
#include "app/atomic_file.h"
#include "cli/headless_workbench.h"
#include "cli/scan_synth.h"
#include "cli/shape_f_writer.h"
#include "cli/sun_image_synth.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

const char* const kUsage =
    "Usage: quillmar-synth [--out SET.0hd] [--shape-f FILE] [--sun-image FILE] [options]\n"
    "\n"
    "Writes synthetic multi-frequency drift scans of the quiet Sun with a few\n"
    "polarised active regions (channel 1 = I, channel 2 = V).\n"
    "\n"
    "  --out FILE         header file of the set; the data files are named\n"
    "                     after it (set.0hd -> set.001, set.002, ...)\n"
    "  --shape-f FILE     write the first scan (lowest frequency) as one data\n"
    "                     file of the older shape F\n"
    "  --freqs N          number of frequencies (20)\n"
    "  --from GHZ         lowest frequency (3)\n"
    "  --to GHZ           highest frequency (18); geometric spacing\n"
    "  --freq-list F,...  explicit frequencies in GHz instead of the above\n"
    "  --points N         points per scan, 1..16000 (3000)\n"
    "  --step ARCSEC      step between points (1)\n"
    "  --obs N            observations per frequency, 4 minutes apart (1)\n"
    "  --date Y/M/D       date of the first observation (2004/05/01)\n"
    "  --time H:M:S       UT of the first observation (09:00:00)\n"
    "  --seed N           random seed; equal seeds give identical sets (1)\n"
    "  --sources N        active regions, 0..8 (4)\n"
    "  --noise X          white-noise sigma as a fraction of Tb (0.001)\n"
    "  --drift X          baseline drift amplitude as a fraction of Tb (0.01)\n"
    "  --rl               store R and L instead of I and V\n"
    "  --text             text samples (BITPIX 64) instead of 16-bit binary\n"
    "  --sun-image FILE   write a synthetic optical image of the Sun (16-bit\n"
    "                     FITS: limb-darkened disk, active regions, a filament;\n"
    "                     RADIUS in arc seconds, CDELT1/2 arc seconds per pixel)\n"
    "  --size N           pixels on each side of the image, 16..8192 (512)\n"
    "  --help             show this text\n";

int usageError(const std::string& why)
{
    std::fprintf(stderr, "quillmar-synth: %s\n\n%s", why.c_str(), kUsage);
    return 2;
}

bool parseDouble(const char* s, double& out)
{
    char* end = nullptr;
    errno = 0;
    const double v = std::strtod(s, &end);
    if (end == s || *end != '\0' || errno != 0)
        return false;
    out = v;
    return true;
}

bool parseInt(const char* s, long long& out)
{
    char* end = nullptr;
    errno = 0;
    const long long v = std::strtoll(s, &end, 10);
    if (end == s || *end != '\0' || errno != 0)
        return false;
    out = v;
    return true;
}

bool parseList(const char* s, std::vector<double>& out)
{
    out.clear();
    std::string item;
    for (const char* p = s;; ++p) {
        if (*p == ',' || *p == '\0') {
            double v;
            if (!parseDouble(item.c_str(), v) || v <= 0)
                return false;
            out.push_back(v);
            item.clear();
            if (*p == '\0')
                return true;
        } else {
            item += *p;
        }
    }
}

// Three numbers separated by '/', '-' or ':' ("2004/05/01", "09:30:00").
bool parseTriple(const char* s, double out[3])
{
    std::string item;
    int k = 0;
    for (const char* c = s;; ++c) {
        if (*c == '/' || *c == '-' || *c == ':' || *c == '\0') {
            if (k == 3 || !parseDouble(item.c_str(), out[k++]))
                return false;
            item.clear();
            if (*c == '\0')
                return k == 3;
        } else {
            item += *c;
        }
    }
}

// The absolute path of an output file whose folder is made when missing.
std::string outputPath(const std::string& p)
{
    std::error_code ec;
    const auto a = std::filesystem::absolute(p, ec);
    if (ec)
        return p;
    std::filesystem::create_directories(a.parent_path(), ec);
    return a.string();
}

} // namespace

int main(int argc, char** argv)
{
    qm::SynthParams p;
    std::string out, shapeF, sunImage;
    qm::SunImageParams image;
    bool text = false;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--help" || opt == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (opt == "--rl") {
            p.rl = true;
            continue;
        }
        if (opt == "--text") {
            text = true;
            continue;
        }
        if (i + 1 >= argc)
            return usageError(opt.rfind("--", 0) == 0 ? opt + " needs a value" : "unknown argument " + opt);
        const char* v = argv[++i];
        long long n = 0;
        double x = 0;
        bool ok = true;
        if (opt == "--out")
            out = v;
        else if (opt == "--shape-f")
            shapeF = v;
        else if (opt == "--sun-image")
            sunImage = v;
        else if (opt == "--size")
            ok = parseInt(v, n) && n >= qm::kMinSunImageSize && n <= qm::kMaxSunImageSize &&
                 ((image.size = static_cast<int>(n)), true);
        else if (opt == "--freqs")
            ok = parseInt(v, n) && n >= 1 && n <= 1000 && ((p.count = static_cast<int>(n)), true);
        else if (opt == "--from")
            ok = parseDouble(v, x) && x > 0 && ((p.from = x), true);
        else if (opt == "--to")
            ok = parseDouble(v, x) && x > 0 && ((p.to = x), true);
        else if (opt == "--freq-list")
            ok = parseList(v, p.frequencies);
        else if (opt == "--points")
            ok = parseInt(v, n) && n >= 1 && n <= qm::kMaxPoints && ((p.points = static_cast<int>(n)), true);
        else if (opt == "--step")
            ok = parseDouble(v, x) && x > 0 && ((p.step = x), true);
        else if (opt == "--obs")
            ok = parseInt(v, n) && n >= 1 && n <= 1000 && ((p.observations = static_cast<int>(n)), true);
        else if (opt == "--seed")
            ok = parseInt(v, n) && ((p.seed = static_cast<uint64_t>(n)), true);
        else if (opt == "--sources")
            ok = parseInt(v, n) && n >= 0 && n <= 8 && ((p.sources = static_cast<int>(n)), true);
        else if (opt == "--noise")
            ok = parseDouble(v, x) && x >= 0 && ((p.noise = x), true);
        else if (opt == "--drift")
            ok = parseDouble(v, x) && x >= 0 && ((p.drift = x), true);
        else if (opt == "--date") {
            double d[3];
            ok = parseTriple(v, d) && d[0] >= 1 && d[0] <= 9999 && d[1] >= 1 && d[1] <= 12 && d[2] >= 1 &&
                 d[2] <= 31 && d[0] == int(d[0]) && d[1] == int(d[1]) && d[2] == int(d[2]);
            if (ok) {
                p.year = static_cast<int>(d[0]);
                p.month = static_cast<int>(d[1]);
                p.day = static_cast<int>(d[2]);
            }
        } else if (opt == "--time") {
            double t[3];
            ok = parseTriple(v, t) && t[0] >= 0 && t[0] < 24 && t[1] >= 0 && t[1] < 60 && t[2] >= 0 && t[2] < 60 &&
                 t[0] == int(t[0]) && t[1] == int(t[1]);
            if (ok) {
                p.hour = static_cast<int>(t[0]);
                p.minute = static_cast<int>(t[1]);
                p.second = t[2];
            }
        } else
            return usageError("unknown option " + opt);
        if (!ok)
            return usageError("bad value for " + opt + ": " + v);
    }
    if (out.empty() && shapeF.empty() && sunImage.empty())
        return usageError("nothing to write: give --out, --shape-f and/or --sun-image");

    if (!sunImage.empty()) {
        image.seed = p.seed;
        const auto bytes = qm::encodeSunImage(image);
        const std::string_view view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        if (!qm::writeFileAtomically(outputPath(sunImage), view)) {
            std::fprintf(stderr, "quillmar-synth: cannot write %s\n", sunImage.c_str());
            return 1;
        }
        std::printf("%s: %dx%d image written\n", sunImage.c_str(), image.size, image.size);
    }

    if (!shapeF.empty()) {
        qm::SynthParams one = p;
        one.frequencies = {qm::synthFrequencies(p).front()};
        one.observations = 1;
        const auto scan = qm::synthSet(one);
        if (!qm::writeFileAtomically(outputPath(shapeF), qm::encodeShapeFFile(*scan.front()))) {
            std::fprintf(stderr, "quillmar-synth: cannot write %s\n", shapeF.c_str());
            return 1;
        }
        std::printf("%s: 1 scan written (shape F)\n", shapeF.c_str());
    }
    if (!out.empty()) {
        const std::size_t count = qm::synthFrequencies(p).size() * static_cast<std::size_t>(p.observations);
        if (count > 255) {
            std::fprintf(stderr, "quillmar-synth: a header file lists at most 255 scans, not %zu\n", count);
            return 1;
        }
        qm::HeadlessWorkbench h;
        h.adopt(qm::synthSet(p));
        if (!h.saveWorksheets(outputPath(out), text)) {
            std::fprintf(stderr, "quillmar-synth: cannot write %s\n", out.c_str());
            return 1;
        }
        std::printf("%s: %zu scans written\n", out.c_str(), count);
    }
    return 0;
}
