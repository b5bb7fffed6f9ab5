#pragma once
// In-memory access to standard FITS files: a byte buffer with a read
// position (TMemStream), one header-and-data unit with its array in native
// numbers (TMemFits), an editable list of 80-character header cards that is
// parsed from and rendered to 2880-byte blocks (TFitsHdr), and row and column
// access to a BINTABLE extension (TBinExt). FITS numbers are big-endian on
// disk. Every failure is a return value; nothing reads past a buffer.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr std::size_t kFitsCard = 80;
inline constexpr std::size_t kFitsBlock = 2880;

// Bytes of `n` rounded up to whole 2880-byte blocks.
inline constexpr uint64_t fitsBlocks(uint64_t n) { return (n + kFitsBlock - 1) / kFitsBlock * kFitsBlock; }

// A file or block of bytes with a read position. The buffer keeps one spare
// zero byte after the data.
class TMemStream {
public:
    // Reads the whole file; 0 when it is missing, empty or unreadable.
    std::size_t load(const std::string& path);
    // Replaces the buffer by a copy of n bytes; position 0.
    void set(const void* bytes, std::size_t n);
    // Copies at most n bytes up to the end; the position advances by that many.
    std::size_t read(void* target, std::size_t n);
    // The (k+1)-th 80-byte card counted from the position; null when it
    // would pass the end.
    const uint8_t* card(std::size_t k) const;
    // Pointer at p, or null when p >= size (position unchanged).
    const uint8_t* seek(std::size_t p);
    // Moves the position on by n; null when position + n >= size.
    const uint8_t* advance(std::size_t n);
    const uint8_t* current() const;
    const uint8_t* data() const { return buf_.empty() ? nullptr : buf_.data(); }
    std::size_t size() const { return size_; }
    std::size_t position() const { return pos_; }
    std::size_t remaining() const { return size_ - pos_; }
    void clear();

private:
    std::vector<uint8_t> buf_;
    std::size_t size_ = 0, pos_ = 0;
};

// An editable, ordered list of at most 1024 header cards of 80 characters.
// Keywords are looked up upper-cased, and a card matches a keyword when it
// begins with it ("NAXIS" finds NAXIS1 when that card comes first).
class TFitsHdr {
public:
    static constexpr int kMaxCards = 1024;
    static constexpr int kCardsBeforeFull = 1021; // setters refuse above this
    static constexpr int kParseLimit = 1020;
    static constexpr int kRenderLimit = 1023;

    // Empty name: primary header (SIMPLE, BITPIX 0, EXTEND, NAXIS 0).
    // A name: extension header (XTENSION = 'name', BITPIX 8).
    void create(std::string_view extension = {});
    // Setters replace the first card that begins with the key, else append.
    // 1, or 0 when the list is full (or the value cannot be written).
    int setLogical(std::string_view key, bool value, std::string_view comment = {});
    int setInteger(std::string_view key, long long value, std::string_view comment = {});
    int setFloat(std::string_view key, double value, std::string_view comment = {});  // "%f"
    int setDouble(std::string_view key, double value, std::string_view comment = {}); // "%.12E"
    int setString(std::string_view key, std::string_view value, std::string_view comment = {});
    int addComment(std::string_view text);

    // 0 on success, 1 when the card (or its value) is missing.
    int getString(std::string_view key, std::string& out) const;
    int getInteger(std::string_view key, int& out) const;
    int getFloat(std::string_view key, float& out) const;
    int getDouble(std::string_view key, double& out) const;

    // Takes cards from `bytes` up to and including the END card (at most
    // kParseLimit cards); returns the header size in whole blocks, or 0 when
    // the bytes end before END or before the last of those blocks.
    std::size_t parse(const uint8_t* bytes, std::size_t n);
    // The cards and an END card laid into whole blocks, mandatory keywords
    // first in their standard order, the others in the order they were set.
    // Empty when the list is empty or too long.
    std::vector<uint8_t> render() const;
    // Bytes of the data part rounded up to whole blocks; -1 when the list is
    // empty or NAXIS (or an axis) is missing or invalid, 0 when NAXIS = 0.
    long long dataSize() const;
    void clear() { cards_.clear(); }

    int count() const { return static_cast<int>(cards_.size()); }
    const std::string& cardAt(int i) const { return cards_[static_cast<std::size_t>(i)]; }
    // Index of the first card that begins with the upper-cased key; -1 when none.
    int find(std::string_view key) const;

    // True when an 80-byte card begins with "SIMPLE  =" or "XTENSION=".
    static bool isHduStart(const uint8_t* card);
    static void swap2(uint8_t* p);
    static void reverse4(uint8_t* p);
    static void reverse8(uint8_t* p);

private:
    int put(std::string_view key, const std::string& card);
    std::vector<std::string> cards_;
};

// Row and column access to a BINTABLE described by a TFitsHdr.
class TBinExt {
public:
    static constexpr int kMaxFields = 100;
    struct Field {
        std::string name;       // TTYPEn upper-cased, at most 16 characters
        char type = 0;          // TFORMn letter
        long long repeat = 0;   // TFORMn repeat count
        std::size_t offset = 0; // byte offset in the row
        std::size_t width = 0;  // bytes in the row
    };

    // Number of fields, or 0 when TFIELDS, NAXIS (2), NAXIS2 (>= 1), NAXIS1,
    // a TFORMn is missing or invalid, or the fields do not fit in a row.
    int init(const TFitsHdr& header);
    // The table bytes; false (nothing attached) when they hold fewer than
    // NAXIS1 x NAXIS2 bytes. The data must outlive the attachment.
    bool attach(const uint8_t* data, std::size_t size);
    // Copies the current row into the row buffer and advances; the new row
    // count, 0 at the end.
    long long nextRow();
    // Copies row r into the row buffer; false when r is not a row.
    bool copyRow(long long r);
    // Value of the first field whose name begins with `name` in the row
    // buffer: for type A with a target the characters (cut at the first
    // zero); a field with a repeat count above 1 gives its raw big-endian
    // bytes; a scalar B, I, J, K, E or D comes byte-reversed in an 8-byte
    // scratch. Null for an unknown field.
    const uint8_t* field(std::string_view name, std::string* text = nullptr);
    // Element k of a numeric field as a double (no TSCAL/TZERO); nullopt for
    // an unknown or non-numeric field or an index out of range.
    std::optional<double> number(std::string_view name, long long k = 0) const;
    const Field* find(std::string_view name) const;

    int fields() const { return static_cast<int>(fields_.size()); }
    const Field& fieldAt(int i) const { return fields_[static_cast<std::size_t>(i)]; }
    long long rows() const { return rows_; }
    std::size_t rowSize() const { return rowSize_; }
    long long currentRow() const { return current_; }

    // Bytes of one element of a TFORM type; 0 for an unknown letter.
    static std::size_t elementSize(char type);
    // Reads a TFORM value ("1024I", "E", "16A"); false when it is invalid.
    static bool parseForm(std::string_view form, long long& repeat, char& type);
    // Element k of a field in a row (big-endian) as a double.
    static std::optional<double> decode(const Field& f, const uint8_t* row, long long k);

private:
    std::vector<Field> fields_;
    long long rows_ = 0, current_ = -1;
    std::size_t rowSize_ = 0;
    std::vector<uint8_t> row_;
    const uint8_t* data_ = nullptr;
    alignas(8) uint8_t scratch_[8]{};
};

// One header-and-data unit of a FITS file with its array in native numbers.
class TMemFits {
public:
    static constexpr int kMaxAxes = 9;

    // Loads HDU `hdu` (0 = primary) of a file / of bytes in memory. False
    // when the file is not FITS (first card not SIMPLE = T), the HDU is not
    // there, its header or data are damaged or cut short, or it holds no data.
    bool load(const std::string& path, int hdu = 0);
    bool load(const uint8_t* bytes, std::size_t n, int hdu = 0);

    // 1-based number of the first card whose keyword ("%8s") equals `key`
    // exactly, 0 when absent (the search stops at END). `value` receives the
    // first word after column 9, or for a quoted value the text between the
    // quotes.
    int findKeyword(std::string_view key, std::string& value) const;
    std::optional<int> getInteger(std::string_view key) const;
    std::optional<double> getDouble(std::string_view key) const;

    // Element i + j*NAXIS1 + k*NAXIS1*NAXIS2 as a double; an index beyond
    // the array reads element 0.
    double element(long long i, long long j = 0, long long k = 0) const;
    // Replaces the array by doubles value*BSCALE+BZERO (a BINTABLE: field by
    // field with TSCALn/TZEROn, giving NAXIS1 values per row). Runs once.
    bool convertToDoubles();

    // Day number counted from 1858-11-17 (the Fliegel-Van Flandern Julian
    // Day Number minus 2400001).
    static long long modifiedJulianDay(long long year, long long month, long long day);

    int sizeCode() const { return sizeCode_; } // BITPIX / 8
    int axes() const { return static_cast<int>(naxis_.size()); }
    long long axis(int n) const { return n >= 1 && n <= axes() ? naxis_[std::size_t(n - 1)] : 0; }
    std::size_t count() const { return count_; }
    int hduIndex() const { return hdu_; }
    bool converted() const { return converted_; }
    const TMemStream& header() const { return header_; }

private:
    void reset();
    bool isBinTable() const;
    TMemStream header_;
    std::vector<uint8_t> data_; // native byte order
    int sizeCode_ = 0;
    std::size_t count_ = 0;
    std::vector<long long> naxis_;
    int hdu_ = 0;
    bool converted_ = false;
};

} // namespace qm
