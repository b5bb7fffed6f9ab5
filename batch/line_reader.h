#pragma once
// Reads text files line by line with a bounded buffer, the way the packet
// and script readers see them: a line ends at '\n' and is cut at its first
// NUL; of a very long line only the first kLineKeep bytes are kept.
#include <cstdio>
#include <string>
#include <string_view>

namespace qm {

class LineReader {
public:
    static constexpr std::size_t kLineKeep = 4096;

    explicit LineReader(const std::string& path);      // a file
    explicit LineReader(std::string_view text);        // text in memory
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool ok() const { return file_ != nullptr || memory_; }
    // The next line without its '\n'; false at the end of the input.
    bool next(std::string& line);
    // True when the last line was longer than kLineKeep bytes.
    bool lastWasCut() const { return cut_; }

private:
    int get();
    std::FILE* file_ = nullptr;
    bool memory_ = false;
    std::string_view text_;
    std::size_t pos_ = 0;
    bool cut_ = false;
};

} // namespace qm
