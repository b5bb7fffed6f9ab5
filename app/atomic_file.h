#pragma once
// Writes a whole file so that the target holds either the complete new
// contents or its old contents: the bytes go to a temporary file beside the
// target, which is flushed and then renamed over it.
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Streaming form for large writers: write() appends, commit() renames into
// place; destroying an uncommitted writer removes the temporary file.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    bool ok() const { return file_ != nullptr && good_; }
    bool write(const void* data, std::size_t size);
    bool write(std::string_view s) { return write(s.data(), s.size()); }
    bool commit();

private:
    std::string path_, temp_;
    std::FILE* file_ = nullptr;
    bool good_ = true;
};

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out);

} // namespace qm
