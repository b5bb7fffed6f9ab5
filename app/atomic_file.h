#pragma once
// Writes a whole file so that the target holds either the complete new
// contents or its old contents: the bytes go to a temporary file beside the
// target, which is flushed and then renamed over it.
#include "app/bulk_memory.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

bool writeFileAtomically(const std::string& path, std::string_view bytes);

// Streaming form for large writers: write() appends, commit() renames into
// place; destroying a writer that was not committed removes the temporary.
class AtomicFile {
public:
    explicit AtomicFile(std::string path);
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    bool ok() const { return !temp_.empty() && good_; }
    bool write(const void* data, std::size_t size);
    bool write(std::string_view s) { return write(s.data(), s.size()); }
    // Flushes the temporary to the disk and closes it under its temporary
    // name, so a full disk shows here, before anything is replaced.
    bool finish();
    // finish(), then the rename into place.
    bool commit();
    const std::string& path() const { return path_; }

private:
    std::string path_, temp_; // temp_ is empty once renamed or removed
    std::FILE* file_ = nullptr;
    bool good_ = true;
};

// Reads a whole file; false when it cannot be opened or read.
bool readWholeFile(const std::string& path, std::vector<uint8_t>& out);
// The same into bulk memory, for files of a set's size.
bool readWholeFile(const std::string& path, BulkBytes& out);

} // namespace qm
