#include "analysis/surf3d.h"

#include "analysis/raster_font.h"
#include "analysis/scan_text.h"
#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/command_table.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/bitmap8.h"
#include "files/card_reader.h"
#include "files/jasc_palette.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace qm {

namespace {

constexpr int kMatrixSize = 64, kImageSize = 256;
constexpr double kWavelengthFactor = 30; // cm * GHz
constexpr double kFitsHalfRange = 30000;
constexpr std::size_t kFitsBlock = 2880, kFitsCard = 80;
constexpr uint8_t kMarker = 215, kTextColour = 200;
constexpr int kHeaderRows = 30, kHeaderFirstRow = 257, kHeaderLineStep = 10, kHeaderColumn = 40;

// The source sequence from F (list head, or the last group member) to L.
std::vector<const ScanRecord*> sequence(const Workbench& wb)
{
    std::vector<const ScanRecord*> seq;
    if (wb.groupMode != 0)
        seq.assign(wb.groupScans.rbegin(), wb.groupScans.rend());
    else
        for (const auto& s : wb.scans)
            seq.push_back(s.get());
    return seq;
}

double scaleOf(const ScanRecord& s, bool frequencyScale)
{
    return frequencyScale ? double(s.frequency) : kWavelengthFactor / s.frequency;
}

const float* worksheet(const Workbench& wb, const ScanRecord& s) { return wb.chkWrkI ? s.wrkI() : s.wrkV(); }

// A whole card: printable ASCII, cut or padded to 80 characters.
std::string card(std::string text)
{
    for (char& c : text)
        if (c < 0x20 || c > 0x7e)
            c = ' ';
    text.resize(kFitsCard, ' ');
    return text;
}

// A string value in quotes, apostrophes doubled, at least 8 characters.
std::string quoted(const std::string& text)
{
    std::string q;
    for (char c : text) {
        q += c;
        if (c == '\'')
            q += '\'';
    }
    if (q.size() < 8)
        q.resize(8, ' ');
    return "'" + q + "'";
}

// "%10.5f" of a value a reader can take: 0 for a non-finite one.
std::string fixed(double v) { return format("%10.5f", std::isfinite(v) ? v : 0.0); }

std::string observationStamp(const ScanRecord& s)
{
    const auto d = observationDate(fieldString(s.dateObs));
    if (!d)
        return {};
    std::string stamp = format("%04d-%02d-%02d", d->year, d->month, d->day);
    int h = 0, m = 0;
    double sec = 0;
    char c1 = 0, c2 = 0;
    if (std::sscanf(fieldString(s.timeObs).c_str(), "%d%c%d%c%lf", &h, &c1, &m, &c2, &sec) == 5 && h >= 0 &&
        h < 24 && m >= 0 && m < 60 && sec >= 0 && sec < 60)
        stamp += format("T%02d:%02d:%02d", h, m, int(sec));
    return stamp;
}

// The smallest and largest finite value of the map (0, 0 when none).
std::pair<double, double> extremes(const std::vector<float>& v)
{
    double lo = INFINITY, hi = -INFINITY;
    for (float x : v)
        if (std::isfinite(x)) {
            lo = std::min<double>(lo, x);
            hi = std::max<double>(hi, x);
        }
    if (lo > hi)
        return {0, 0};
    return {lo, hi};
}

std::string polarization(const Workbench& wb, const ScanRecord& a, bool lower)
{
    std::string p = a.flagIvWrk ? (wb.chkWrkI ? "R" : "L") : (wb.chkWrkI ? "R+L" : "R-L");
    if (lower)
        std::transform(p.begin(), p.end(), p.begin(), [](char c) { return char(std::tolower(c)); });
    return p;
}

// Checks 1021, 1008, 1028; the first failing one is reported.
bool surf3dAllowed(Workbench& wb)
{
    if (!wb.setLoaded || !wb.activeScan)
        return false;
    if (!wb.allMode) {
        wb.refuse("Must be option ALL");
        return false;
    }
    if (!wb.requireNoOpenReport())
        return false;
    if (wb.chkWrkI == wb.chkWrkV) {
        wb.refuse("Must check or Wrk_I, or Wrk_V only");
        return false;
    }
    return true;
}

std::string paletteFile(const Workbench& wb)
{
    const std::filesystem::path p(wb.settings.palette3d);
    return p.is_absolute() ? p.string() : (std::filesystem::path(wb.programDir) / p).string();
}

// The output file: a save dialog, or in batch the prepared title.
std::optional<std::string> outputFile(Workbench& wb, int kind)
{
    if (!wb.interactiveMode)
        return wb.batchTitle.empty() ? std::nullopt : std::optional<std::string>(wb.batchTitle);
    FileDialogSpec spec;
    spec.title = "Surf3D";
    spec.filters = kind == 1 ? std::vector<FileFilter>{{"Map Fits", "*.fit"}, {"Any Files", "*.*"}}
                             : std::vector<FileFilter>{{"Windows Bitmap", "*.bmp"}, {"Any Files", "*.*"}};
    spec.initialDir = wb.settings.lastDir;
    spec.mustExist = false;
    spec.confirmOverwrite = true;
    return wb.ui().saveFile(spec);
}

void surf3d(Workbench& wb)
{
    if (!surf3dAllowed(wb))
        return;
    Surf3dOptions o;
    if (wb.interactiveMode) {
        if (!wb.ui().surf3dDialog(o))
            return;
    } else {
        const auto kind = truncToInt(wb.batchArgs[0]);
        o.kind = kind ? *kind : -1;
        o.frequency = wb.batchArgs[1] != 0;
        o.header = wb.batchArgs[2] != 0;
        o.scanPosition = wb.batchArgs[3] != 0;
    }
    if (o.kind < 0 || o.kind > 2) {
        wb.fail("Surf3D output must be 0 (ASCII), 1 (FITS) or 2 (BMP)");
        return;
    }
    std::optional<std::string> path;
    if (o.kind != 0 && !(path = outputFile(wb, o.kind))) {
        if (!wb.interactiveMode)
            wb.fail("Surf3D has no output file");
        return;
    }
    wb.ui().setTitle("Quillmar: Surf3D calculation");
    std::string why;
    const auto map = surf3dMap(wb, o.frequency, o.kind == 0 ? kMatrixSize : kImageSize, why);
    wb.ui().setTitle("Quillmar");
    if (!map) {
        wb.refuse(why);
        return;
    }
    if (o.kind == 0) {
        wb.deliverReport("Matrix of Surf3D", surf3dMatrixText(*map));
        return;
    }
    const std::string bytes = o.kind == 1 ? surf3dFitsBytes(wb, *map, o.frequency)
                                          : surf3dBitmapBytes(wb, *map, o, paletteOrGrey(paletteFile(wb)));
    if (!writeFileAtomically(*path, bytes))
        wb.fail(format("Cannot write %s", path->c_str()));
}

} // namespace

std::optional<Surf3dMap> surf3dMap(Workbench& wb, bool frequencyScale, int size, std::string& why)
{
    const std::vector<const ScanRecord*> seq = sequence(wb);
    why = "Surf3D needs scans of at least two frequencies";
    bool twoValues = false;
    for (const ScanRecord* s : seq) {
        const double y = scaleOf(*s, frequencyScale);
        if (!std::isfinite(y) || !(s->frequency > 0)) {
            why = format("Surf3D needs positive frequencies (%.3f GHz)", s->frequency);
            return std::nullopt;
        }
        twoValues = twoValues || y != scaleOf(*seq.front(), frequencyScale);
    }
    if (!twoValues || size < 2)
        return std::nullopt;
    const ScanRecord& f = *seq.front();
    const ScanRecord& l = *seq.back();
    const int n = size, vb = wb.viewBegin, ve = wb.viewEnd;
    Surf3dMap map;
    map.size = n;
    map.xBegin = (vb - double(f.centerPoint)) * f.step;
    map.xEnd = (ve - double(f.centerPoint)) * f.step;
    map.yMin = frequencyScale ? f.frequency : kWavelengthFactor / l.frequency;
    map.yMax = frequencyScale ? l.frequency : kWavelengthFactor / f.frequency;
    map.dy = (map.yMax - map.yMin) / n;
    map.dx = double(ve - vb) / n;
    for (const ScanRecord* s : seq)
        map.scanScale.push_back(scaleOf(*s, frequencyScale));

    // Column j reads point cols[j]; viewBegin + trunc(dx) is left out.
    std::vector<int> cols(static_cast<std::size_t>(n));
    cols[0] = vb;
    for (int j = 1; j + 1 < n; ++j)
        cols[std::size_t(j)] = vb + static_cast<int>(std::trunc((j + 1) * map.dx));
    cols[std::size_t(n - 1)] = ve;
    auto sample = [&](const ScanRecord& s) {
        std::vector<float> row(std::size_t(n), 0.0f);
        if (const float* w = worksheet(wb, s))
            for (int j = 0; j < n; ++j)
                if (cols[std::size_t(j)] >= 0 && cols[std::size_t(j)] < s.nPoints)
                    row[std::size_t(j)] = w[cols[std::size_t(j)]];
        return row;
    };

    std::vector<const ScanRecord*> walk = seq;
    if (!frequencyScale)
        std::reverse(walk.begin(), walk.end());
    wb.progressOpen("Create Surf3D", static_cast<int>(walk.size()));
    std::size_t upper = 1;
    std::vector<float> lo = sample(*walk[0]), hi = sample(*walk[1]);
    double yLo = scaleOf(*walk[0], frequencyScale), yHi = scaleOf(*walk[1], frequencyScale);
    map.values.assign(std::size_t(n) * std::size_t(n), 0.0f);
    std::copy(lo.begin(), lo.end(), map.values.begin());
    for (int r = 1; r < n; ++r) {
        const double y = map.yMin + r * map.dy;
        while (y > yHi && upper + 1 < walk.size()) {
            ++upper;
            lo.swap(hi);
            hi = sample(*walk[upper]);
            yLo = yHi;
            yHi = scaleOf(*walk[upper], frequencyScale);
            wb.progressStep();
        }
        float* out = map.values.data() + std::size_t(r) * std::size_t(n);
        const double t = yHi != yLo ? (y - yLo) / (yHi - yLo) : 1.0;
        for (int j = 0; j < n; ++j)
            out[j] = static_cast<float>((double(hi[std::size_t(j)]) - lo[std::size_t(j)]) * t + lo[std::size_t(j)]);
    }
    wb.progressClose();
    return map;
}

std::string surf3dMatrixText(const Surf3dMap& map)
{
    std::string text = format("Nbeg=%.2f Nend=%.2f ", map.xBegin, map.xEnd) +
                       format("Lmin=%.2f Lmax=%.2f\r\n", map.yMin, map.yMax);
    for (int r = 0; r < map.size; ++r)
        for (int j = 0; j < map.size; ++j) {
            const float v = map.values[std::size_t(r) * std::size_t(map.size) + std::size_t(j)];
            text += v == 0 ? std::string("0") : format("%.3e", v);
            text += j + 1 < map.size ? "\t" : "\r\n";
        }
    return text;
}

std::string surf3dFitsBytes(const Workbench& wb, const Surf3dMap& map, bool frequencyScale)
{
    const ScanRecord& a = *wb.activeScan;
    const auto [lo, hi] = extremes(map.values);
    const double mid = (hi + lo) / 2;
    const double scale = hi == mid ? 1 : kFitsHalfRange / (hi - mid);
    std::vector<std::string> cards = {
        "SIMPLE  =                    T  / FITS STANDARD",
        "BITPIX  =                   16  / FITS BITS/PIXEL",
        "NAXIS   =                    2  / NUMBER OF AXES",
        format("NAXIS1  =                  %3d  /", map.size),
        format("NAXIS2  =                  %3d  /", map.size),
        format("BSCALE  =         %E  / REAL = DATA*BSCALE + BZERO", 1 / scale),
        format("BZERO   =         %E  /", mid),
        "BUNIT   = " + quoted(a.fluxWrk ? "Jy" : "K"),
        "ORIGIN  = " + quoted(fieldString(a.origin)),
        "TELESCOP= " + quoted(fieldString(a.telescop)),
        "OBJECT  = " + quoted(fieldString(a.object)),
        "POLARIZ = " + quoted(polarization(wb, a, false)),
    };
    if (const std::string stamp = observationStamp(a); !stamp.empty())
        cards.push_back("DATE_OBS= " + quoted(stamp));
    const double r0 = a.radius / double(a.step) / map.dx;
    const std::string pad(11, ' ');
    cards.push_back("R0      =" + pad + fixed(r0));
    cards.push_back("ANGLE   =" + pad + fixed(a.angleP));
    cards.push_back("CRVAL1  =" + pad + fixed(0));
    cards.push_back("CRVAL2  =" + pad + fixed(map.yMin));
    cards.push_back("CRPIX1  =" + pad + fixed((a.centerPoint - wb.viewBegin) / map.dx));
    cards.push_back("CRPIX2  =" + pad + fixed(0));
    cards.push_back("CTYPE1  = " + quoted("arcsec"));
    cards.push_back("CTYPE2  = " + quoted(frequencyScale ? "GHz" : "cm"));
    cards.push_back("CDELT1  =" + pad + fixed(a.step * map.dx) + "  / image x-scale/pixel");
    cards.push_back("CDELT2  =" + pad + fixed(map.dy) + "  / image y-scale/pixel");
    cards.push_back("Y_MIN   =" + pad + fixed(map.yMin) + "  / min y-value");
    cards.push_back("Y_MAX   =" + pad + fixed(map.yMax) + "  / max y-value");
    cards.push_back("NSCANS  =" + pad + format("%10d", static_cast<int>(map.scanScale.size())));
    for (std::size_t k = 0; k < map.scanScale.size(); ++k) {
        std::string key = format("SCAN%zu", k + 1);
        key.resize(8, ' ');
        cards.push_back(key + "=" + pad + format("%10.6f", map.scanScale[k]));
    }
    cards.push_back("END");

    std::string out;
    for (const std::string& c : cards)
        out += card(c);
    out.resize((out.size() + kFitsBlock - 1) / kFitsBlock * kFitsBlock, ' ');
    const std::size_t data = out.size();
    const std::size_t bytes = map.values.size() * 2;
    out.resize(data + (bytes + kFitsBlock - 1) / kFitsBlock * kFitsBlock, '\0');
    auto* p = reinterpret_cast<uint8_t*>(out.data() + data);
    for (std::size_t i = 0; i < map.values.size(); ++i) {
        const double v = std::isfinite(map.values[i]) ? (map.values[i] - mid) * scale : 0;
        putI16BE(p + 2 * i, static_cast<int16_t>(std::clamp(std::trunc(v), -32768.0, 32767.0)));
    }
    return out;
}

std::string surf3dBitmapBytes(const Workbench& wb, const Surf3dMap& map, const Surf3dOptions& o,
                              const std::vector<uint32_t>& palette)
{
    const ScanRecord& a = *wb.activeScan;
    const int n = map.size, height = n + (o.header ? kHeaderRows : 0);
    std::vector<uint8_t> px(std::size_t(n) * std::size_t(height), 0);
    const auto [lo, hi] = extremes(map.values);
    const double range = hi - lo != 0 ? hi - lo : 1;
    for (std::size_t i = 0; i < map.values.size(); ++i)
        if (std::isfinite(map.values[i]))
            px[i] = static_cast<uint8_t>(std::clamp(std::trunc((map.values[i] - lo) / range * 255), 0.0, 255.0));
    auto mark = [&](long r, long c) {
        if (r >= 0 && r < n && c >= 0 && c < n)
            px[std::size_t(r) * std::size_t(n) + std::size_t(c)] = kMarker;
    };
    for (double side : {-1.0, 1.0}) {
        const double c = (a.centerPoint + side * a.radius / a.step - wb.viewBegin) / map.dx;
        if (std::isfinite(c) && c >= 0 && c < n)
            for (int r = 2; r < n; r += 4)
                mark(r, static_cast<long>(c));
    }
    if (o.scanPosition) {
        const double span = map.yMax - map.yMin != 0 ? map.yMax - map.yMin : 1;
        for (double y : map.scanScale) {
            const double r = std::clamp(std::trunc((y - map.yMin) * 255 / span), 0.0, 255.0);
            for (int c = 2; c < n; c += 10)
                mark(static_cast<long>(r), c);
        }
    }
    if (o.header) {
        const Settings& st = wb.settings;
        const std::string lines[3] = {
            format("Yrange=%.3f..%.3f[%s]", map.yMin, map.yMax, o.frequency ? "GHz" : "cm"),
            format("Xrange=%.2f..%.2f[%c]", (wb.viewBegin - a.centerPoint) * double(a.step),
                   (wb.viewEnd - a.centerPoint) * double(a.step), st.unitAxisX),
            format("%s=%s='%s'", fieldString(a.dateObs).c_str(), fieldString(a.object).c_str(),
                   polarization(wb, a, true).c_str()),
        };
        for (int k = 0; k < 3; ++k)
            drawText(lines[k], kHeaderColumn, kHeaderFirstRow + kHeaderLineStep * k, kTextColour, px.data(), n,
                     height);
    }
    return bitmap8Bytes(n, height, palette, px);
}

void registerSurf3dCommands(CommandTable& t) { t.handle(138, surf3d); }

} // namespace qm
