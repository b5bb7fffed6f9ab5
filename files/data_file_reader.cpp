#include "files/data_file_reader.h"


#include "app/byte_order.h"
#include "app/scan_record.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/card_reader.h"

#include <algorithm>
#include <vector>

namespace qm {

namespace {

constexpr int kCardsPerBlock = 36; // 36 cards of 80 bytes = 2880 bytes

// What the header says about the stored channels.
struct StoredChannels {
    int count = 0;      // NAXIS / N_POLAR
    int points = 0;     // NAXIS1
    bool shapeF = false;
    // Shape T: placement (channel 1 or 2), scale and offset of the first and
    // second stored channel. They start at 0, not 1: without "POLARSET="
    // every stored channel goes to channel 2, without "BSCALEk" the stored
    // channel is constant (its offset).
    int placement[2] = {2, 2};
    float scale[2] = {0, 0};
    float offset[2] = {0, 0};
};

// Keywords whose "%f" value goes straight into a header field.
struct FloatKeyword {
    const char* key;
    float ScanRecord::*field;
};
constexpr FloatKeyword kFloatKeywords[] = {
    {"ALTITUDE=", &ScanRecord::altitude},     {"ANGLE", &ScanRecord::angleP},
    {"AZIMUTH", &ScanRecord::azimuth},        {"RADIUS", &ScanRecord::radius},
    {"PMCSUN", &ScanRecord::centerPoint},     {"CDELT1", &ScanRecord::step},
    {"THETA-DG=", &ScanRecord::beamHalfsize}, {"OBS-FREQ=", &ScanRecord::frequency},
    {"FLUX_L", &ScanRecord::fluxCoef},
};

// Interprets one header card; false when the card refuses the file.
bool interpretCard(LoadErrors& errors, const std::string& card, ScanRecord& r, StoredChannels& h)
{
    const std::string key = keywordToken(card);
    for (const auto& k : kFloatKeywords) {
        if (key == k.key) {
            cardFloat(card, r.*k.field);
            return true;
        }
    }
    int i = 0;
    float f = 0;
    if (key == "BITPIX") {
        if (!cardInt(card, i))
            return true;
        if (i == 16)
            r.sampleFormat = 0;
        else if (i == 64)
            r.sampleFormat = 1;
        else
            return false;
    } else if (key == "NAXIS" || key == "N_POLAR") {
        cardInt(card, h.count);
    } else if (key == "NAXIS1") {
        if (cardInt(card, i)) {
            if (i > kMaxPoints) {
                errors.push_back("Set of data is very large");
                return false;
            }
            h.points = i;
        }
    } else if (key == "OBJECT") {
        copyField(r.object, quotedValue(card, 39));
    } else if (key == "ORIGIN") {
        copyField(r.origin, quotedValue(card, 39));
    } else if (key == "TELESCOP=") {
        copyField(r.telescop, quotedValue(card, 39));
    } else if (key == "DATE-OBS=") {
        copyField(r.dateObs, normaliseDate(quotedValue(card, 25)));
    } else if (key == "TIME-OBS=") {
        copyField(r.timeObs, quotedValue(card, 15));
    } else if (key == "TQSUN") {
        if (cardInt(card, i))
            r.tqSun = static_cast<int16_t>(i);
    } else if (key == "CALIBR") {
        if (cardInt(card, i))
            r.calibData = r.calibWrk = static_cast<int16_t>(i);
    } else if (key == "FLAG_IV") {
        if (cardInt(card, i))
            r.flagIvData = r.flagIvWrk = static_cast<int16_t>(i);
    } else if (key == "POLARSET=") {
        if (cardInt(card, i)) {
            h.placement[0] = i != 0 ? 1 : 2;
            h.placement[1] = i != 0 ? 2 : 1;
        }
    } else if (key == "BSCALE1" || key == "BSCALE2") {
        if (cardFloat(card, f))
            h.scale[key.back() - '1'] = f;
    } else if (key == "BZERO1" || key == "BZERO2") {
        if (cardFloat(card, f))
            h.offset[key.back() - '1'] = f;
    }
    return true;
}

// Shape T: cards in groups of 36 up to END; the rest of the group is read
// too, so the samples start on a 2880-byte boundary. False when the file
// ends before END or a card refuses it.
bool readHeaderT(LoadErrors& errors, ByteSource& in, ScanRecord& r, StoredChannels& h)
{
    std::string card;
    int cards = 1; // the SIMPLE card
    for (;;) {
        if (readLine(in, card, kCardLimit, true) == 0)
            return false;
        ++cards;
        if (keywordToken(card) == "END")
            break;
        if (!interpretCard(errors, card, r, h))
            return false;
    }
    while (cards % kCardsPerBlock != 0 && readLine(in, card, kCardLimit, true) != 0)
        ++cards;
    return true;
}

// Shape F: cards up to the second END.
bool readHeaderF(LoadErrors& errors, ByteSource& in, ScanRecord& r, StoredChannels& h)
{
    std::string card;
    int ends = 0;
    for (;;) {
        if (readLine(in, card, kCardLimit, true) == 0)
            return false;
        if (keywordToken(card) == "END") {
            if (++ends == 2)
                return true;
            continue;
        }
        if (!interpretCard(errors, card, r, h))
            return false;
    }
}

struct ChannelSetup {
    int channel;
    float scale, offset;
};

// Shape F channel header: lines up to one whose first word is END. A header
// without POLARIZ places the k-th stored channel in channel k, so two such
// channels do not overwrite each other; without BSCALE the samples keep
// their own values (scale 1); BZERO defaults to 0.
bool readChannelHeaderF(ByteSource& in, int stored, ChannelSetup& c)
{
    c = {stored + 1, 1.0f, 0.0f};
    std::string line;
    for (;;) {
        if (readLine(in, line, kChannelLineLimit, true) == 0)
            return false;
        const std::string key = keywordToken(line);
        int i = 0;
        if (key == "END")
            return true;
        if (key == "POLARIZ") {
            if (cardInt(line, i))
                c.channel = i != 0 ? 1 : 2;
        } else if (key == "BSCALE") {
            cardFloat(line, c.scale);
        } else if (key == "BZERO") {
            cardFloat(line, c.offset);
        }
    }
}

// Reads the `n` samples of one channel into `data`. False when the input
// ends before every sample is there: a file cut short is refused rather
// than loaded with a flat tail that looks like real data.
bool readSamples(ByteSource& in, const ScanRecord& r, bool shapeF, const ChannelSetup& c, float* data)
{
    const int n = r.nPoints;
    const double scale = c.scale, offset = c.offset;
    if (r.sampleFormat == 1) {
        for (int k = 0; k < n; ++k) {
            int16_t v;
            if (!readTextSample(in, v))
                return false;
            data[k] = static_cast<float>(double(v) * scale + offset);
        }
        return true;
    }
    const std::size_t size = 2 * static_cast<std::size_t>(n);
    std::vector<uint8_t> copy;
    const uint8_t* p = in.view(size);
    if (!p) {
        copy.resize(size);
        if (in.read(copy.data(), size) != size)
            return false;
        p = copy.data();
    }
    if (shapeF) {
        scaleSamples(p, 2, n, scale, offset, data, [](const uint8_t* q) { return getI16LE(q); });
        in.skip(2); // the line end after the samples
    } else {
        scaleSamples(p, 2, n, scale, offset, data, [](const uint8_t* q) { return getI16BE(q); });
    }
    return true;
}

} // namespace

void showLoadError(Workbench& wb, const std::string& text)
{
    wb.refuse(text, "", MsgIcon::Error);
}

void showLoadErrors(Workbench& wb, const LoadErrors& errors)
{
    for (const std::string& text : errors)
        showLoadError(wb, text);
}

bool readDataStream(LoadErrors& errors, ByteSource& in, ScanRecord& r)
{
    std::string card;
    if (readLine(in, card, kCardLimit, true) == 0 || keywordToken(card) != "SIMPLE")
        return false;
    const std::string shape = firstWord(cardValueText(card));
    if (shape.empty() || (shape[0] != 'T' && shape[0] != 'F'))
        return false;

    StoredChannels h;
    h.shapeF = shape[0] == 'F';
    if (!(h.shapeF ? readHeaderF(errors, in, r, h) : readHeaderT(errors, in, r, h)))
        return false;
    // A scan has one or two channels and at least one point.
    if (h.points <= 0 || h.count < 1 || h.count > 2)
        return false;
    r.nPoints = static_cast<int16_t>(h.points);

    for (int k = 0; k < h.count; ++k) {
        ChannelSetup c{h.placement[k], h.scale[k], h.offset[k]};
        if (h.shapeF && !readChannelHeaderF(in, k, c))
            return false;
        // A second stored channel placed like the first replaces it.
        // Every sample is read into Data and copied to the Worksheet below.
        r.allocChannelForOverwrite(c.channel);
        if (!readSamples(in, r, h.shapeF, c, c.channel == 1 ? r.dataI() : r.dataV()))
            return false;
    }
    r.copyDataToWorksheet();
    return true;
}

bool readDataFile(LoadErrors& errors, const std::string& path, ScanRecord& r)
{
    ByteSource in;
    if (!in.open(path))
        return false;
    // A path that does not fit is not stored cut short: a later save of the
    // Data arrays would otherwise write to a different file.
    copyField(r.dataFile, path.size() < sizeof r.dataFile ? path : std::string());
    return readDataStream(errors, in, r);
}

bool readDataFile(Workbench& wb, const std::string& path, ScanRecord& r)
{
    LoadErrors errors;
    const bool read = readDataFile(errors, path, r);
    showLoadErrors(wb, errors);
    return read;
}

} // namespace qm
