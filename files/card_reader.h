#pragma once
// Small readers shared by the scan-file loaders: sequential byte input, the
// line reader, header-card fields (keyword token, numbers from column 10,
// quoted values), 8-byte text samples and the observation-date rule.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

// Line limits of the readers.
inline constexpr std::size_t kListLineLimit = 77;     // a line of a header file
inline constexpr std::size_t kCardLimit = 80;         // a header card of a data file
inline constexpr std::size_t kChannelLineLimit = 127; // a channel-header line (shape F)
inline constexpr std::size_t kTextSampleBytes = 8;

// Sequential input from a regular file or from a memory buffer (which must
// outlive the source). Reads never go past the end.
class ByteSource {
public:
    ByteSource() = default;
    ByteSource(const uint8_t* data, std::size_t size) : mem_(data), memSize_(size) {}
    // Opens a regular file for reading; false for anything else (missing
    // files, folders, devices, pipes). A file of up to kWholeFileBytes is
    // read whole with one read and served from memory (a scan file is
    // read to its end anyway); a larger one is read as it is consumed.
    bool open(const std::string& path);
    static constexpr std::size_t kWholeFileBytes = std::size_t(1) << 20;
    bool isOpen() const { return file_ != nullptr || mem_ != nullptr; }
    // Next byte, or -1 at the end.
    int get()
    {
        if (mem_)
            return memPos_ < memSize_ ? mem_[memPos_++] : -1;
        return getFromFile();
    }
    // Reads up to n bytes; returns how many were read.
    std::size_t read(uint8_t* out, std::size_t n);
    // Skips up to n bytes; returns how many were skipped.
    std::size_t skip(std::size_t n);
    // The next n bytes in place, when the source is in memory and holds
    // them all (they count as read); nullptr otherwise, with nothing read.
    const uint8_t* view(std::size_t n);
    // Appends bytes to `line` until an LF has been appended or `limit`
    // bytes were taken; returns how many were taken.
    std::size_t appendLine(std::string& line, std::size_t limit);

private:
    int getFromFile();
    struct Closer {
        void operator()(std::FILE* f) const { std::fclose(f); }
    };
    std::unique_ptr<std::FILE, Closer> file_;
    std::unique_ptr<uint8_t[]> owned_; // a small file read whole
    const uint8_t* mem_ = nullptr;
    std::size_t memSize_ = 0, memPos_ = 0;
};

// Reads byte by byte until an LF has been read or `limit` bytes were taken.
// Returns the number of bytes taken, 0 at the end of the input. With
// keepEnd clear a trailing CR LF or LF is removed from `line` (a line cut at
// the limit keeps all its bytes).
std::size_t readLine(ByteSource& in, std::string& line, std::size_t limit, bool keepEnd);

// First whitespace-delimited word of a card: an 8-character keyword written
// with "=" in column 9 keeps its "=" ("TELESCOP="), shorter padded keywords
// do not ("OBJECT").
std::string keywordToken(std::string_view card);
// The text after the first 9 characters, where numeric values are parsed.
std::string_view cardValueText(std::string_view card);
// "%d" / "%f" of the value text; false (out untouched) when nothing parses.
bool cardInt(std::string_view card, int& out);
bool cardFloat(std::string_view card, float& out);

// Value between quotes, taken from the first apostrophe or double quote of
// the card: blanks after the opening quote are skipped, then characters are
// copied up to the next quote, the end of the line or `maxChars`
// characters. Trailing blanks inside the quotes stay. "" without a quote.
std::string quotedValue(std::string_view card, std::size_t maxChars);

// One 8-byte text sample: parsed with "%f" and truncated toward zero to a
// signed 16-bit integer (0 when the field holds no number). Returns false,
// with `sample` 0, when fewer than 8 bytes were left.
bool readTextSample(ByteSource& in, int16_t& sample);

// Binary samples of `stride` bytes each at `p`, read as numbers by `get`,
// into floats as value * scale + offset in double precision. Eight at a
// time through a local array: the stores into `out` then cannot touch bytes
// still to be read, so the loops vectorise.
template <class Get>
void scaleSamples(const uint8_t* p, std::size_t stride, int n, double scale, double offset, float* out, Get get)
{
    int k = 0;
    for (; k + 8 <= n; k += 8) {
        double v[8];
        for (int j = 0; j < 8; ++j)
            v[j] = double(get(p + stride * std::size_t(k + j)));
        for (int j = 0; j < 8; ++j)
            out[k + j] = static_cast<float>(v[j] * scale + offset);
    }
    for (; k < n; ++k)
        out[k] = static_cast<float>(double(get(p + stride * std::size_t(k))) * scale + offset);
}

// Observation date: three integers separated by single characters
// ("%d%c%d%c%d"); a first integer above 1000 is the year (year/month/day
// order), otherwise the third is (day/month/year). Written "%04d/%02d/%02d".
// Text that does not hold three integers is returned unchanged.
std::string normaliseDate(std::string_view text);

// The observation date as the FITS writers put it in DATE-OBS and the
// ephemeris takes it: `dateObs` normalised as above. nullopt when the text
// holds no calendar date.
struct CalendarDate {
    int year = 0, month = 0, day = 0;
};
std::optional<CalendarDate> observationDate(const std::string& dateObs);

} // namespace qm
