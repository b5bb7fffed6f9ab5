// Binary-table scan-set files: writer, reader and their place in the FITS
// route and the Worksheet save.
#include "files/scan_set.h"

#include "app/atomic_file.h"
#include "app/byte_order.h"
#include "app/file_set_writer.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/card_reader.h"
#include "files/fits_layer.h"
#include "files/scan_writer.h"
#include "files/solar_ephemeris.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace qm {

namespace {

constexpr std::size_t kRowBytes = 96;
constexpr int kColumns = 16;
// Room for the longest header the layer parses (kParseLimit cards).
constexpr std::size_t kHeaderWindow = TFitsHdr::kParseLimit / 36 * kFitsBlock + kFitsBlock;

struct Column {
    const char* name;
    const char* form;
};
constexpr Column kTable[kColumns] = {
    {"date", "16A"},   {"time", "16A"},    {"object", "16A"},  {"freq", "E"},
    {"cdelt", "E"},    {"crpix", "E"},     {"tqsun", "E"},     {"theta", "E"},
    {"kflux", "E"},    {"solar_b", "E"},   {"solar_p", "E"},   {"solar_r", "E"},
    {"azimuth", "E"},  {"altitude", "E"},  {"fiv", "I"},       {"fcalibr", "I"},
};

template <std::size_t N>
std::string fieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

// A text field of a row: the first 16 characters, anything outside
// printable ASCII written as a blank (standard readers refuse it).
void putText(uint8_t* row, std::size_t at, const std::string& s)
{
    for (std::size_t i = 0; i < std::min<std::size_t>(16, s.size()); ++i)
        row[at + i] = s[i] >= 0x20 && s[i] <= 0x7e ? uint8_t(s[i]) : uint8_t(' ');
}

// Floats as big-endian bytes, eight at a time through a local array: the
// stores into `out` then cannot touch floats still to be read, so the loop
// vectorises.
void putFloatsBE(uint8_t* out, const float* v, int n)
{
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        uint8_t bytes[32];
        for (int j = 0; j < 8; ++j)
            putF32BE(bytes + 4 * j, v[k + j]);
        std::memcpy(out + 4 * std::size_t(k), bytes, sizeof bytes);
    }
    for (; k < n; ++k)
        putF32BE(out + 4 * std::size_t(k), v[k]);
}

bool writeSet(const std::string& path, const std::vector<ScanRecord*>& list, int begin, int n,
              const std::optional<SolarEphemeris>& eph, const std::optional<std::string>& isoDate)
{
    const ScanRecord& first = *list.front();
    const int scans = static_cast<int>(list.size());
    TFitsHdr h;
    h.create();
    h.setInteger("BITPIX", -32);
    h.setInteger("NAXIS", 3);
    h.setInteger("NAXIS1", n);
    h.setInteger("NAXIS2", 2);
    h.setInteger("NAXIS3", scans);
    h.setString("DATANAME", "newpas");
    if (isoDate)
        h.setString("DATE-OBS", *isoDate);
    h.setString("TIME-OBS", fieldText(first.timeObs));
    h.setString("OBJECT", fieldText(first.object));
    h.setString("TELESCOP", fieldText(first.telescop));
    h.setString("ORIGIN", fieldText(first.origin));
    if (eph) {
        h.setDouble("SOLAR_R", eph->semiDiameter, "arcsec");
        h.setDouble("SOLAR_P", eph->p);
        h.setDouble("SOLAR_B", eph->b0);
        h.setDouble("SOL_RA", eph->ra);
        h.setDouble("SOL_DEC", eph->dec);
    }
    // The cube starts at the first point written, so the centre moves with it.
    const float center = first.centerPoint - float(begin);
    h.setFloat("CRPIX1", center);
    h.setFloat("CDELT1", first.step);
    h.setFloat("AZIMUTH", first.azimuth);
    h.setFloat("ALTITUDE", first.altitude);
    h.setInteger("FLAG_IV", first.flagIvWrk, "1- data is RL; 0- data is IV");
    h.setInteger("CALIBR", first.calibWrk);
    h.addComment("*** Frequencies ***");
    for (int s = 0; s < scans; ++s)
        h.setFloat(format("FREQ%03d", s + 1), list[std::size_t(s)]->frequency, "GHz");
    const std::vector<uint8_t> primary = h.render();

    TFitsHdr x;
    x.create("BINTABLE");
    x.setString("EXTNAME", "Scan_params");
    x.setInteger("NAXIS", 2);
    x.setInteger("NAXIS1", int(kRowBytes), "Number of bytes per row");
    x.setInteger("NAXIS2", scans, "Number of rows");
    x.setInteger("PCOUNT", 0, "Normally 0 (no varying arrays)");
    x.setInteger("GCOUNT", 1);
    x.setInteger("TFIELDS", kColumns, "Number of columns in table");
    x.addComment("*** Column names ***");
    for (int c = 0; c < kColumns; ++c)
        x.setString(format("TTYPE%d", c + 1), kTable[c].name);
    x.addComment("*** Column formats ***");
    for (int c = 0; c < kColumns; ++c)
        x.setString(format("TFORM%d", c + 1), kTable[c].form);
    const std::vector<uint8_t> extension = x.render();
    if (primary.empty() || extension.empty())
        return false;

    AtomicFile out(path);
    if (!out.ok() || !out.write(primary.data(), primary.size()))
        return false;
    // Scans are converted into a buffer of about a megabyte and written
    // together: one write per scan would cost more in calls than in bytes.
    const std::size_t scanBytes = std::size_t(n) * 8;
    const std::size_t perWrite = std::max<std::size_t>(1, (std::size_t(1) << 20) / scanBytes);
    std::vector<uint8_t> block(std::min(perWrite, list.size()) * scanBytes);
    std::size_t filled = 0;
    for (const ScanRecord* r : list) {
        const float* channels[2] = {r->wrkI(), r->wrkV()};
        for (int ch = 0; ch < 2; ++ch) {
            uint8_t* at = block.data() + filled + std::size_t(ch) * std::size_t(n) * 4;
            if (channels[ch])
                putFloatsBE(at, channels[ch] + begin, n);
            else
                std::fill_n(at, std::size_t(n) * 4, uint8_t(0)); // a missing channel is written as zeros
        }
        filled += scanBytes;
        if (filled == block.size()) {
            if (!out.write(block.data(), filled))
                return false;
            filled = 0;
        }
    }
    if (filled != 0 && !out.write(block.data(), filled))
        return false;
    const uint64_t cube = uint64_t(n) * 8 * uint64_t(scans);
    const std::vector<uint8_t> zeros(kFitsBlock, 0);
    if (!out.write(zeros.data(), std::size_t(fitsBlocks(cube) - cube)) || !out.write(extension.data(), extension.size()))
        return false;

    std::vector<uint8_t> rows(kRowBytes * list.size(), 0);
    for (std::size_t s = 0; s < list.size(); ++s) {
        const ScanRecord& r = *list[s];
        uint8_t* row = &rows[s * kRowBytes];
        putText(row, 0, fieldText(r.dateObs));
        putText(row, 16, fieldText(r.timeObs));
        putText(row, 32, fieldText(r.object));
        const float values[] = {r.frequency,
                                r.step,
                                r.centerPoint - float(begin),
                                float(r.tqSun),
                                r.beamHalfsize,
                                r.fluxCoef,
                                eph ? float(eph->b0) : 0.0f,
                                eph ? float(eph->p) : r.angleP,
                                eph ? float(eph->semiDiameter) : r.radius,
                                r.azimuth,
                                r.altitude};
        for (std::size_t k = 0; k < std::size(values); ++k)
            putF32BE(row + 48 + 4 * k, values[k]);
        putI16BE(row + 92, r.flagIvWrk);
        putI16BE(row + 94, r.calibWrk);
    }
    const uint64_t table = rows.size();
    return out.write(rows.data(), rows.size()) && out.write(zeros.data(), std::size_t(fitsBlocks(table) - table)) &&
           out.commit();
}

// ---- reading ---------------------------------------------------------------

// Random access to the bytes of a file being read: from memory, or from the
// file itself, so that the cube is read scan by scan and loading holds the
// data once (in the new scans) rather than twice.
class Source {
public:
    virtual ~Source() = default;
    virtual uint64_t size() const = 0;
    // Copies n bytes at `at`; false unless all of them are there.
    virtual bool copy(uint64_t at, std::size_t n, uint8_t* out) = 0;
    // Up to `limit` bytes at `at`.
    std::vector<uint8_t> window(uint64_t at, std::size_t limit)
    {
        std::vector<uint8_t> v;
        if (at < size()) {
            v.resize(std::size_t(std::min<uint64_t>(limit, size() - at)));
            if (!copy(at, v.size(), v.data()))
                v.clear();
        }
        return v;
    }
};

class MemorySource : public Source {
public:
    MemorySource(const uint8_t* p, std::size_t n) : p_(p), n_(n) {}
    uint64_t size() const override { return n_; }
    bool copy(uint64_t at, std::size_t n, uint8_t* out) override
    {
        if (at > n_ || n > n_ - at)
            return false;
        if (n > 0)
            std::memcpy(out, p_ + at, n);
        return true;
    }

private:
    const uint8_t* p_;
    std::size_t n_;
};

class FileSource : public Source {
public:
    ~FileSource() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool open(const std::string& path)
    {
        // Non-blocking, so that a pipe is refused without waiting for a writer.
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        struct stat st {};
        if (fd_ < 0 || ::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode))
            return false;
        size_ = uint64_t(st.st_size);
        return true;
    }
    uint64_t size() const override { return size_; }
    // One positioned read per call: no stream buffer to go through.
    bool copy(uint64_t at, std::size_t n, uint8_t* out) override
    {
        if (at > size_ || n > size_ - at)
            return false;
        while (n > 0) {
            const ssize_t got = ::pread(fd_, out, n, off_t(at));
            if (got < 0 && errno == EINTR)
                continue;
            if (got <= 0)
                return false;
            out += got;
            at += uint64_t(got);
            n -= std::size_t(got);
        }
        return true;
    }

private:
    int fd_ = -1;
    uint64_t size_ = 0;
};

// "%.4f GHz data is overflowed" for every scan whose OVERsss card is set.
std::string overflowReport(const TFitsHdr& h, int scans)
{
    std::string text;
    for (int s = 1; s <= scans; ++s) {
        int over = 0;
        if (h.getInteger(format("OVER%03d", s), over) != 0 || over == 0)
            continue;
        float f = 0;
        h.getFloat(format("FREQ%03d", s), f);
        text += format("%.4f GHz data is overflowed\r\n", double(f));
    }
    return text;
}

std::optional<ScanChain> readSet(Workbench& wb, Source& src)
{
    uint8_t first[kFitsCard];
    if (!src.copy(0, kFitsCard, first) || !TFitsHdr::isHduStart(first))
        return std::nullopt;
    TFitsHdr h;
    const std::vector<uint8_t> head = src.window(0, kHeaderWindow);
    const std::size_t hsize = h.parse(head.data(), head.size());
    std::string dataName;
    if (hsize < kFitsBlock || h.getString("DATANAME", dataName) != 0 ||
        dataName.find("newpas") == std::string::npos)
        return std::nullopt;

    int n = 0, scans = 0, bitpix = 0, naxis = 0, planes = 0;
    std::string telescop, origin;
    h.getInteger("NAXIS1", n);
    h.getInteger("NAXIS3", scans);
    h.getInteger("BITPIX", bitpix);
    h.getString("TELESCOP", telescop);
    h.getString("ORIGIN", origin);
    if (bitpix != -64 && bitpix != -32 && bitpix != 32)
        return std::nullopt;
    if (n > kMaxPoints) {
        wb.refuse("Data set is very large", "", MsgIcon::Error);
        return std::nullopt;
    }
    // The cube must be points x 2 channels x scans.
    if (h.getInteger("NAXIS", naxis) != 0 || naxis != 3 || h.getInteger("NAXIS2", planes) != 0 || planes != 2 ||
        n < 1 || scans < 1 || scans > kMaxScans)
        return std::nullopt;
    const std::string report = overflowReport(h, scans);

    const std::size_t elementBytes = std::size_t(std::abs(bitpix) / 8);
    const uint64_t scanBytes = uint64_t(n) * 2 * elementBytes;
    const long long dsize = h.dataSize();
    if (dsize < 0 || uint64_t(dsize) < scanBytes * uint64_t(scans) || hsize + uint64_t(dsize) >= src.size())
        return std::nullopt;
    if (hsize + scanBytes * uint64_t(scans) > src.size())
        return std::nullopt; // the cube is cut short

    const uint64_t extAt = hsize + uint64_t(dsize);
    TFitsHdr xh;
    const std::vector<uint8_t> xhead = src.window(extAt, kHeaderWindow);
    const std::size_t xsize = xhead.size() >= kFitsCard && TFitsHdr::isHduStart(xhead.data())
                                  ? xh.parse(xhead.data(), xhead.size())
                                  : 0;
    TBinExt table;
    if (xsize < kFitsBlock || table.init(xh) == 0 || table.rows() < scans)
        return std::nullopt;
    const uint64_t tableBytes = uint64_t(table.rows()) * table.rowSize();
    if (extAt + xsize > src.size() || tableBytes > src.size() - extAt - xsize)
        return std::nullopt;
    std::vector<uint8_t> rows(static_cast<std::size_t>(tableBytes));
    if (!src.copy(extAt + xsize, rows.size(), rows.data()) || !table.attach(rows.data(), rows.size()))
        return std::nullopt;

    double scale = 1, zero = 0;
    h.getDouble("BSCALE", scale);
    h.getDouble("BZERO", zero);
    auto text = [&](const char* name, auto& field) {
        const TBinExt::Field* f = table.find(name);
        std::string s;
        if (f && f->type == 'A' && table.field(name, &s))
            copyField(field, s);
    };
    auto number = [&](const char* name) { return table.number(name).value_or(0.0); };

    ScanChain chain;
    std::vector<uint8_t> raw(static_cast<std::size_t>(scanBytes));
    for (int s = 0; s < scans; ++s) {
        table.nextRow();
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = int16_t(n);
        copyField(r->telescop, telescop);
        copyField(r->origin, origin);
        text("object", r->object);
        text("date", r->dateObs);
        text("time", r->timeObs);
        r->azimuth = float(number("azimuth"));
        r->altitude = float(number("altitude"));
        r->angleP = float(number("solar_p"));
        r->radius = float(number("solar_r"));
        r->centerPoint = float(number("crpix"));
        r->tqSun = truncToShort(number("tqsun"));
        r->beamHalfsize = float(number("theta"));
        r->step = float(number("cdelt"));
        r->fluxCoef = float(number("kflux"));
        r->frequency = float(number("freq"));
        r->calibData = r->calibWrk = truncToShort(number("fcalibr"));
        r->flagIvData = r->flagIvWrk = truncToShort(number("fiv"));

        if (!src.copy(hsize + uint64_t(s) * scanBytes, raw.size(), raw.data()))
            return std::nullopt;
        r->allocChannelForOverwrite(1);
        r->allocChannelForOverwrite(2);
        for (int ch = 0; ch < 2; ++ch) {
            const uint8_t* p = raw.data() + std::size_t(ch) * std::size_t(n) * elementBytes;
            float* out = ch == 0 ? r->dataI() : r->dataV();
            if (bitpix == -64)
                scaleSamples(p, 8, n, scale, zero, out, [](const uint8_t* q) { return getF64BE(q); });
            else if (bitpix == -32)
                scaleSamples(p, 4, n, scale, zero, out, [](const uint8_t* q) { return getF32BE(q); });
            else
                scaleSamples(p, 4, n, scale, zero, out, [](const uint8_t* q) { return int32_t(getU32BE(q)); });
        }
        r->copyDataToWorksheet();
        chain.push_back(std::move(r));
    }
    // The records are linked at the head of the chain as they are made.
    std::reverse(chain.begin(), chain.end());
    wb.deliverReport("Overflow data", report);
    return chain;
}

} // namespace

bool saveScanSet(Workbench& wb, const std::string& path)
{
    if (!wb.allMode) {
        wb.refuse("Must be option ALL");
        return false;
    }
    if (!wb.chkWrkI || !wb.chkWrkV) {
        wb.refuse("WORKSHEET is not checked");
        return false;
    }
    const std::vector<ScanRecord*> list = wb.targets();
    if (list.empty())
        return false;
    const ScanRecord& first = *list.front();
    for (const ScanRecord* r : list) {
        if (r->nPoints != first.nPoints || r->step != first.step) {
            wb.refuse("Data have different ephemerides");
            return false;
        }
    }
    // Points viewBegin..viewEnd, kept inside the scans.
    const int begin = std::max(wb.viewBegin, 0);
    const int end = std::min(wb.viewEnd, first.nPoints - 1);
    if (end < begin)
        return false;

    const auto date = observationDate(fieldText(first.dateObs));
    std::optional<SolarEphemeris> eph;
    std::optional<std::string> isoDate;
    if (date) {
        eph = solarEphemeris(date->year, date->month, date->day);
        isoDate = format("%04d-%02d-%02d", date->year, date->month, date->day);
    }
    if (writeSet(path, list, begin, end - begin + 1, eph, isoDate))
        return true;
    reportWriteFailure(wb, cannotWriteText(path));
    return false;
}

std::optional<ScanChain> readScanSet(Workbench& wb, const std::string& path)
{
    FileSource src;
    if (!src.open(path))
        return std::nullopt;
    return readSet(wb, src);
}

std::optional<ScanChain> readScanSet(Workbench& wb, const uint8_t* bytes, std::size_t size)
{
    MemorySource src(bytes, size);
    return readSet(wb, src);
}

void registerScanSetFormat()
{
    setFitsRouteReader(FitsRouteStage::ScanSet,
                       [](Workbench& wb, const std::string& path) { return readScanSet(wb, path); });
    fitsSaveWriters().scanSet = saveScanSet;
}

} // namespace qm
