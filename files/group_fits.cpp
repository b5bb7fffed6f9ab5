#include "files/group_fits.h"

#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/file_set_writer.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/calibration_table.h"
#include "files/card_reader.h"
#include "files/data_file_reader.h"
#include "files/data_file_writer.h"
#include "files/scan_writer.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <variant>
#include <vector>

namespace qm {

namespace {

constexpr std::size_t kCardBytes = 80;
constexpr long kCardsPerBlock = 36;
constexpr std::size_t kBlockBytes = 2880;
constexpr int kScanLimit = 256;     // a load may not bring the set to this many scans
constexpr int kMaxColumns = 999;    // TFORMnnn is the longest keyword a card can hold
constexpr std::size_t kTemplateLine = 82;
constexpr int kFormattedLines = 22;
constexpr std::size_t kQuotedLimit = 73;

// ---------------------------------------------------------------------------
// Writing

// One value handed to a formatted template line.
using TemplateArg = std::variant<long, double, std::string>;

// A template line used as a printf format. Every conversion is checked
// against the value it takes, so a damaged template cannot make the
// formatting read a value of the wrong type; nullopt when one does not fit
// or the line asks for more values than it is given.
std::optional<std::string> formatTemplateLine(const std::string& fmt, const std::vector<TemplateArg>& args)
{
    std::string out;
    std::size_t used = 0;
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        if (fmt[i] != '%') {
            out += fmt[i];
            continue;
        }
        if (i + 1 < fmt.size() && fmt[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < fmt.size() && std::strchr("-+ #0", fmt[j]) && fmt[j] != '\0')
            ++j;
        const auto digits = [&] {
            std::size_t k = 0;
            for (; j < fmt.size() && std::isdigit(static_cast<unsigned char>(fmt[j])); ++j)
                ++k;
            return k;
        };
        if (digits() > 2)
            return std::nullopt;
        if (j < fmt.size() && fmt[j] == '.') {
            ++j;
            if (digits() > 2)
                return std::nullopt;
        }
        const bool isLong = j < fmt.size() && fmt[j] == 'l';
        if (isLong)
            ++j;
        if (j >= fmt.size() || used >= args.size())
            return std::nullopt;
        const char conv = fmt[j];
        const std::string spec = fmt.substr(i, j - i + 1);
        const TemplateArg& a = args[used++];
        if (conv != '\0' && std::strchr("diouxXc", conv)) {
            const long* v = std::get_if<long>(&a);
            if (!v)
                return std::nullopt;
            out += isLong && conv != 'c' ? format(spec.c_str(), *v) : format(spec.c_str(), static_cast<int>(*v));
        } else if (conv != '\0' && std::strchr("fFeEgGaA", conv)) {
            const double* v = std::get_if<double>(&a);
            if (!v)
                return std::nullopt;
            out += format(spec.c_str(), *v);
        } else if (conv == 's' && !isLong) {
            const std::string* v = std::get_if<std::string>(&a);
            if (!v)
                return std::nullopt;
            out += format(spec.c_str(), v->c_str());
        } else {
            return std::nullopt;
        }
        i = j;
    }
    return out;
}

// Text for a quoted card value: printable ASCII only, apostrophes doubled,
// short enough for the quotes to close on the card.
std::string fitsText(std::string_view text)
{
    constexpr std::size_t kLimit = 68;
    std::string out;
    for (const char c : text.substr(0, text.find('\0'))) {
        const std::string piece = c == '\'' ? "''" : std::string(1, (c >= ' ' && c <= '~') ? c : '?');
        if (out.size() + piece.size() > kLimit)
            break;
        out += piece;
    }
    return out;
}

std::string withoutBlanks(std::string s)
{
    std::erase(s, ' ');
    return s;
}

// Header numbers that would print as "inf" or "nan" are written as 0.
double finiteOrZero(double v) { return std::isfinite(v) ? v : 0.0; }

// One written column: a Worksheet array of one scan.
struct Column {
    const ScanRecord* scan;
    const float* values;
    const char* label;
    SampleScaling scaling; // of the samples
    double scale = 0;      // as written: flux units
    double offset = 0;
};

std::string card(const std::string& text) { return format("%-80.80s", text.c_str()); }

// The cards of column k (1-based).
std::string columnCards(int k, const Column& c, int n)
{
    const auto key = [k](const char* name) { return format("%s%d", name, k); };
    std::string out;
    out += format("%-31s/%48s", format("%-8s= '%dI'", key("TFORM").c_str(), n).c_str(), "");
    out += format("%-31s/%48s", format("%-8s= '(%d)'", key("TDIM").c_str(), n).c_str(), "");
    out += card(format("%-8s= 'FREQUENCY   %7.4f GHZ %s' /", key("TTYPE").c_str(), double(c.scan->frequency),
                       c.label));
    out += card(format("%-8s=     %+16E /", key("TSCAL").c_str(), finiteOrZero(c.scale)));
    out += card(format("%-8s=     %+16E /", key("TZERO").c_str(), finiteOrZero(c.offset)));
    return out;
}

// The template part and the formatted part of the header; nullopt when the
// template is too short or a formatted line does not fit its values.
std::optional<std::string> templateCards(ByteSource& tpl, const ScanRecord& first, int columns, int n, int b,
                                         int s)
{
    std::string out, line;
    if (readLine(tpl, line, kTemplateLine, false) == 0) // a description line
        return std::nullopt;
    for (;;) {
        if (readLine(tpl, line, kTemplateLine, false) == 0)
            return std::nullopt;
        if (!line.empty() && line[0] == '*')
            break;
        out += card(line);
    }

    std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    std::string date = normaliseDate(first.dateObs);
    if (date.size() >= 8)
        date[4] = date[7] = '-';
    const double written = double(s) * first.step;
    const double radius = written != 0 ? first.radius / written : 0.0;
    const std::vector<std::vector<TemplateArg>> values = {
        {long(columns) * n * 2},
        {},
        {},
        {},
        {long(columns)},
        {},
        {},
        {long(today.tm_mday), long(today.tm_mon + 1), long(today.tm_year + 1900)},
        {fitsText(first.origin)},
        {fitsText(first.telescop)},
        {},
        {fitsText(withoutBlanks(date)), fitsText(withoutBlanks(first.timeObs))},
        {},
        {},
        {fitsText(first.object)},
        {finiteOrZero(first.azimuth)},
        {finiteOrZero(first.altitude)},
        {finiteOrZero((double(first.centerPoint) - b) / s)},
        {finiteOrZero(written)},
        {finiteOrZero(first.angleP)},
        {finiteOrZero(radius)},
        {},
    };
    for (int k = 0; k < kFormattedLines; ++k) {
        if (readLine(tpl, line, kTemplateLine, false) == 0)
            return std::nullopt;
        const auto text = formatTemplateLine(line, values[std::size_t(k)]);
        if (!text)
            return std::nullopt;
        out += card(*text);
    }
    return out;
}

// A refused save: the box interactively, a recorded failure always.
bool refuse(Workbench& wb, const std::string& text)
{
    wb.refuse(text);
    return false;
}

// A save that could not be written: says why, writes nothing.
bool writeFailed(Workbench& wb, const std::string& reason)
{
    reportWriteFailure(wb, reason);
    return false;
}

bool sameEphemerides(const ScanRecord& a, const ScanRecord& b)
{
    return a.centerPoint == b.centerPoint && a.step == b.step && std::strcmp(a.dateObs, b.dateObs) == 0 &&
           std::strcmp(a.timeObs, b.timeObs) == 0;
}

// ---------------------------------------------------------------------------
// Reading

// Keyword of a card as "%8s" takes it: the first word, at most 8 characters.
std::string keyword8(std::string_view card)
{
    std::size_t i = 0;
    while (i < card.size() && std::isspace(static_cast<unsigned char>(card[i])))
        ++i;
    std::size_t j = i;
    while (j < card.size() && j - i < 8 && card[j] != '\0' && !std::isspace(static_cast<unsigned char>(card[j])))
        ++j;
    return std::string(card.substr(i, j - i));
}

// Whole 80-byte cards, counted so the data can be found on the next block.
class CardInput {
public:
    explicit CardInput(ByteSource& in) : in_(in) {}
    bool next(std::string& card)
    {
        card.resize(kCardBytes);
        if (in_.read(reinterpret_cast<uint8_t*>(card.data()), kCardBytes) != kCardBytes)
            return false;
        ++cards_;
        return true;
    }
    void skipToBlockEnd()
    {
        in_.skip(std::size_t((kCardsPerBlock - cards_ % kCardsPerBlock) % kCardsPerBlock) * kCardBytes);
    }

private:
    ByteSource& in_;
    long cards_ = 0;
};

// The table header values every scan of the file shares.
struct GroupHeader {
    long rowBytes = 0;
    std::string origin, telescop, dateTime, object;
    float azimuth = 0, altitude = 0, centreX = 0, xscale = 0, angle = 0, solarR = 0;
    int fields = 0;
};

// A column as its cards describe it.
struct ColumnCards {
    bool hasForm = false;
    std::string form, type;
    float scale = 1, offset = 0;
};

// Where a column's samples go.
struct ColumnTarget {
    std::size_t record;
    int channel;
    int count;
    double scale, offset;
};

enum class Step { Go, Refuse };

// Gives a column its record: the one of its exact frequency, else a new one.
Step placeColumn(Workbench& wb, const ColumnCards& c, ScanChain& chain, std::vector<ColumnTarget>& targets,
                 int scanCount)
{
    if (!c.hasForm)
        return Step::Refuse;
    int count = 0;
    int used = 0;
    if (std::sscanf(c.form.c_str(), "%d%n", &count, &used) != 1)
        return Step::Refuse;
    if (count > kMaxPoints) {
        showLoadError(wb, "Set of data is very large");
        return Step::Refuse;
    }
    // Only vectors of 16-bit integers are group FITS columns.
    const std::string rest = firstWord(c.form.substr(std::size_t(used)));
    if (count < 1 || rest != "I")
        return Step::Refuse;

    char word1[80], word2[80], label[80];
    float frequency = 0;
    if (c.type.size() >= sizeof label ||
        std::sscanf(c.type.c_str(), "%79s %f %79s %79s", word1, &frequency, word2, label) != 4 ||
        !std::isfinite(frequency))
        return Step::Refuse;
    const std::string_view l = label;
    int channel = 0;
    if (l == "R+L" || l == "R")
        channel = 1;
    else if (l == "R-L" || l == "L")
        channel = 2;
    else
        return Step::Refuse;

    std::size_t owner = chain.size();
    for (std::size_t k = 0; k < chain.size(); ++k)
        if (chain[k]->frequency == frequency) {
            owner = k;
            break;
        }
    if (owner == chain.size()) {
        if (scanCount + static_cast<int>(chain.size()) + 1 >= kScanLimit)
            return Step::Refuse;
        auto r = std::make_unique<ScanRecord>();
        r->frequency = frequency;
        r->nPoints = static_cast<int16_t>(count);
        r->flagIvData = r->flagIvWrk = (l == "R" || l == "L") ? 1 : 0;
        chain.push_back(std::move(r));
    } else if (chain[owner]->nPoints != count) {
        return Step::Refuse;
    }
    targets.push_back({owner, channel, count, c.scale, c.offset});
    return Step::Go;
}

// Interprets the extension cards up to BUNIT.
Step readTableHeader(CardInput& in, GroupHeader& h, int scanCount)
{
    std::string card;
    for (;;) {
        if (!in.next(card))
            return Step::Refuse;
        const std::string key = keyword8(card);
        if (key == "BUNIT")
            return Step::Go;
        if (key == "END")
            return Step::Refuse;
        const std::string value(cardValueText(card));
        if (key == "NAXIS1") {
            char* end = nullptr;
            const long v = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || v < 0)
                return Step::Refuse;
            h.rowBytes = v;
        } else if (key == "ORIGIN") {
            h.origin = quotedValue(card, kQuotedLimit);
        } else if (key == "TELESCOP") {
            h.telescop = quotedValue(card, kQuotedLimit);
        } else if (key == "DATE_OBS") {
            h.dateTime = quotedValue(card, kQuotedLimit);
        } else if (key == "OBJECT") {
            h.object = quotedValue(card, kQuotedLimit);
        } else if (key == "AZIMUTH") {
            cardFloat(card, h.azimuth);
        } else if (key == "ALTITUDE") {
            cardFloat(card, h.altitude);
        } else if (key == "CENTRE_X") {
            cardFloat(card, h.centreX);
        } else if (key == "XSCALE") {
            cardFloat(card, h.xscale);
        } else if (key == "ANGLE") {
            cardFloat(card, h.angle);
        } else if (key == "SOLAR_R") {
            cardFloat(card, h.solarR);
        } else if (key == "TFIELDS") {
            int n = 0;
            if (!cardInt(card, n) || n < 0 || scanCount + n / 2 >= kScanLimit)
                return Step::Refuse;
            h.fields = n;
        }
    }
}

// The column cards up to END; each column's cards run up to the next
// column's TFORM card.
Step readColumnCards(Workbench& wb, CardInput& in, int fields, ScanChain& chain,
                     std::vector<ColumnTarget>& targets, int scanCount)
{
    std::string card;
    int k = 1; // the column being read
    ColumnCards c;
    for (;;) {
        if (!in.next(card))
            return Step::Refuse;
        const std::string key = keyword8(card);
        if (key == "END")
            break;
        if (k < fields && key == format("TFORM%d", k + 1)) {
            if (placeColumn(wb, c, chain, targets, scanCount) == Step::Refuse)
                return Step::Refuse;
            c = ColumnCards{};
            ++k;
        }
        if (key == format("TFORM%d", k)) {
            c.hasForm = true;
            c.form = quotedValue(card, 7);
        } else if (key == format("TTYPE%d", k)) {
            c.type = quotedValue(card, 77);
        } else if (key == format("TSCAL%d", k)) {
            cardFloat(card, c.scale);
        } else if (key == format("TZERO%d", k)) {
            cardFloat(card, c.offset);
        }
    }
    if (fields == 0)
        return Step::Go;
    if (placeColumn(wb, c, chain, targets, scanCount) == Step::Refuse || k != fields)
        return Step::Refuse;
    return Step::Go;
}

// The samples of every column, one after the other in the row.
Step readColumnData(ByteSource& in, long rowBytes, ScanChain& chain, const std::vector<ColumnTarget>& targets)
{
    long total = 0;
    std::vector<uint8_t> bytes;
    for (const ColumnTarget& t : targets) {
        total += 2L * t.count;
        if (total > rowBytes)
            return Step::Refuse;
        bytes.resize(2 * std::size_t(t.count));
        if (in.read(bytes.data(), bytes.size()) != bytes.size())
            return Step::Refuse;
        ScanRecord& r = *chain[t.record];
        r.allocChannel(t.channel);
        float* data = t.channel == 1 ? r.dataI() : r.dataV();
        for (int i = 0; i < t.count; ++i)
            data[i] = static_cast<float>(getI16BE(&bytes[2 * std::size_t(i)]) * t.scale + t.offset);
    }
    return Step::Go;
}

// The shared header values, the calibration table and the flux division.
void completeRecords(Workbench& wb, const GroupHeader& h, ScanChain& chain)
{
    const std::size_t t = h.dateTime.find('T');
    const std::string date = normaliseDate(h.dateTime.substr(0, t));
    const std::string time = t == std::string::npos ? std::string() : h.dateTime.substr(t + 1);
    for (auto& r : chain) {
        r->step = h.xscale;
        r->centerPoint = h.centreX;
        r->radius = h.xscale * h.solarR;
        r->azimuth = h.azimuth;
        r->altitude = h.altitude;
        r->angleP = h.angle;
        r->calibData = r->calibWrk = 1;
        copyField(r->object, h.object);
        copyField(r->dateObs, date);
        copyField(r->timeObs, time);
        copyField(r->origin, h.origin);
        copyField(r->telescop, h.telescop);
        const auto row = lookupCalibration(wb.programDir, r->frequency);
        r->fluxCoef = row ? static_cast<float>(row->fluxCoef) : 1.0f;
        r->tqSun = row ? static_cast<int16_t>(row->tqSun) : int16_t(1);
        r->beamHalfsize = row ? static_cast<float>(row->beamHalfsize) : 1.0f;
        const double k = r->fluxCoef != 0 ? 1.0 / r->fluxCoef : 1.0;
        for (float* x : {r->dataI(), r->dataV()})
            if (x)
                for (int i = 0; i < r->nPoints; ++i)
                    x[i] = static_cast<float>(x[i] * k);
        r->copyDataToWorksheet();
    }
}

// nullopt: not a group FITS file (no NAXIS card before the first END, or a
// NAXIS other than 0). Otherwise the scans, none when the file is refused.
std::optional<ScanChain> parseGroupFits(Workbench& wb, ByteSource& src, int scanCount)
{
    CardInput in(src);
    std::string card;
    for (;;) {
        if (!in.next(card))
            return std::nullopt;
        const std::string key = keyword8(card);
        if (key == "END")
            return std::nullopt;
        if (key == "NAXIS")
            break;
    }
    int naxis = 0;
    if (!cardInt(card, naxis) || naxis != 0)
        return std::nullopt;

    ScanChain chain;
    do {
        if (!in.next(card))
            return chain;
    } while (keyword8(card) != "END");

    GroupHeader h;
    std::vector<ColumnTarget> targets;
    if (readTableHeader(in, h, scanCount) == Step::Refuse ||
        readColumnCards(wb, in, h.fields, chain, targets, scanCount) == Step::Refuse) {
        chain.clear();
        return chain;
    }
    in.skipToBlockEnd();
    if (readColumnData(src, h.rowBytes, chain, targets) == Step::Refuse) {
        chain.clear();
        return chain;
    }
    completeRecords(wb, h, chain);
    return chain;
}

} // namespace

bool saveGroupFits(Workbench& wb, const std::string& path)
{
    if (!wb.allMode)
        return refuse(wb, "Must be option ALL");
    if (!wb.chkWrkI && !wb.chkWrkV)
        return refuse(wb, "WORKSHEET is not checked");
    const std::vector<ScanRecord*> scans = wb.targets();
    if (scans.empty() || !wb.scans.head())
        return false;
    for (const ScanRecord* r : scans) {
        if (!sameEphemerides(*r, *scans.front()))
            return refuse(wb, "Data have different ephemerides");
    }

    ByteSource tpl;
    if (!tpl.open((std::filesystem::path(wb.programDir) / "qrd_soho.dat").string()))
        return writeFailed(wb, "The GROUP FITS template qrd_soho.dat cannot be read");
    const std::string targetError = writeTargetError(path);
    if (!targetError.empty())
        return writeFailed(wb, targetError);
    AtomicFile out(path);
    if (!out.ok())
        return writeFailed(wb, cannotWriteText(path));

    const auto skip = wb.askInteger("Input number of skip:", 0);
    if (!skip)
        return false;
    const int s = *skip < 1 ? 1 : *skip;

    const int b = wb.viewBegin, e = wb.viewEnd;
    const int n = b >= 0 && e >= b ? (e - b + 1) / s : 0;
    std::vector<Column> columns;
    for (const ScanRecord* r : scans) {
        const bool ivForm = r->flagIvWrk == 0;
        if (wb.chkWrkI && r->wrkI())
            columns.push_back({r, r->wrkI(), ivForm ? "R+L" : "R", {}, 0, 0});
        if (wb.chkWrkV && r->wrkV())
            columns.push_back({r, r->wrkV(), ivForm ? "R-L" : "L", {}, 0, 0});
    }
    // Every written point must lie inside every written scan.
    // A step that leaves fewer than 5 points of the list's first scan
    // saves nothing either.
    const auto fits = [&](const Column& c) { return n > 0 && b + long(n - 1) * s < c.scan->nPoints; };
    if (s > wb.scans.head()->nPoints - 5 || columns.empty() || int(columns.size()) > kMaxColumns ||
        !std::all_of(columns.begin(), columns.end(), fits)) {
        wb.fail("Nothing to save as GROUP FITS");
        return false;
    }

    for (Column& c : columns) {
        const int last = std::min(e, c.scan->nPoints - 1);
        // A constant column gets the scale 1 (its samples are all 0): a zero
        // scale is what standard readers warn about.
        c.scaling = sampleScaling(c.values, b, last + 1, s);
        const double flux = c.scan->fluxWrk == 0 ? c.scan->fluxCoef : 1.0;
        c.scale = c.scaling.scale * flux;
        c.offset = c.scaling.offset * flux;
    }

    const auto head = templateCards(tpl, *scans.front(), int(columns.size()), n, b, s);
    if (!head)
        return writeFailed(wb, "The GROUP FITS template qrd_soho.dat is damaged");

    wb.progressOpen("Save GROUP FITS", 8);
    std::string header = *head;
    for (std::size_t k = 0; k < columns.size(); ++k)
        header += columnCards(int(k) + 1, columns[k], n);
    header += card("END");
    while (header.size() % kBlockBytes != 0)
        header += std::string(kCardBytes, ' ');
    bool ok = out.write(header);
    wb.progressStep();

    std::vector<uint8_t> samples(2 * std::size_t(n));
    const std::size_t thirds[] = {columns.size() / 3, 2 * columns.size() / 3};
    for (std::size_t k = 0; k < columns.size() && ok; ++k) {
        for (const std::size_t mark : thirds)
            if (mark == k)
                wb.progressStep();
        const Column& c = columns[k];
        for (int i = 0; i < n; ++i)
            putI16BE(&samples[2 * std::size_t(i)], scaledSample(c.values[b + i * s], c.scaling));
        ok = out.write(samples.data(), samples.size());
    }
    wb.progressStep();
    const std::size_t dataBytes = columns.size() * samples.size();
    ok = ok && out.write(std::string((kBlockBytes - dataBytes % kBlockBytes) % kBlockBytes, '\0'));
    wb.progressClose();
    if (ok && out.commit())
        return true;
    return writeFailed(wb, cannotWriteText(path));
}

namespace {

// A group FITS file, or else the one scan the data-file reader makes of it.
ScanChain groupOrSingle(Workbench& wb, ByteSource& in, int scanCount,
                        const std::function<bool(ScanRecord&)>& readSingle)
{
    if (auto chain = parseGroupFits(wb, in, scanCount))
        return std::move(*chain);
    ScanChain single;
    auto r = std::make_unique<ScanRecord>();
    if (readSingle(*r))
        single.push_back(std::move(r));
    return single;
}

} // namespace

ScanChain readGroupFits(Workbench& wb, const std::string& path, int scanCount)
{
    ByteSource in;
    if (!in.open(path))
        return {};
    return groupOrSingle(wb, in, scanCount, [&](ScanRecord& r) { return readDataFile(wb, path, r); });
}

ScanChain readGroupFitsBytes(Workbench& wb, const uint8_t* data, std::size_t size, int scanCount)
{
    ByteSource in(data, size);
    return groupOrSingle(wb, in, scanCount, [&](ScanRecord& r) {
        ByteSource again(data, size);
        LoadErrors errors;
        const bool read = readDataStream(errors, again, r);
        showLoadErrors(wb, errors);
        return read;
    });
}

void registerGroupFitsFormat()
{
    setFitsRouteReader(FitsRouteStage::GroupFits, [](Workbench& wb, const std::string& path) {
        return std::optional<ScanChain>(readGroupFits(wb, path, wb.scans.count()));
    });
    fitsSaveWriters().groupFits = saveGroupFits;
}

} // namespace qm
