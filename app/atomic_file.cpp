#include "app/atomic_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <filesystem>
#include <unistd.h>

namespace qm {

AtomicFile::AtomicFile(std::string path) : path_(std::move(path))
{
    // mkstemp gives a unique name in the target's folder, so the rename
    // below stays on one file system.
    std::string templ = path_ + ".tmpXXXXXX";
    const int fd = mkstemp(templ.data());
    if (fd < 0)
        return;
    file_ = fdopen(fd, "wb");
    if (!file_) {
        ::close(fd);
        std::remove(templ.c_str());
        return;
    }
    temp_ = templ;
}

AtomicFile::~AtomicFile()
{
    if (file_)
        std::fclose(file_);
    if (!temp_.empty())
        std::remove(temp_.c_str());
}

bool AtomicFile::write(const void* data, std::size_t size)
{
    if (!file_ || !good_)
        return false;
    if (size != 0 && std::fwrite(data, 1, size, file_) != size)
        good_ = false;
    return good_;
}

bool AtomicFile::finish()
{
    if (!file_)
        return ok();
    good_ = good_ && std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    good_ = std::fclose(file_) == 0 && good_;
    file_ = nullptr;
    if (good_) {
        // mkstemp makes the file 0600; give the result ordinary permissions.
        std::error_code ec;
        std::filesystem::permissions(temp_,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                                         std::filesystem::perms::group_read | std::filesystem::perms::others_read,
                                     ec);
    }
    return ok();
}

bool AtomicFile::commit()
{
    const bool renamed = finish() && std::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!renamed && !temp_.empty())
        std::remove(temp_.c_str());
    temp_.clear();
    return renamed;
}

bool writeFileAtomically(const std::string& path, std::string_view bytes)
{
    AtomicFile f(path);
    return f.write(bytes) && f.commit();
}

namespace {

template <class Bytes>
bool readWhole(const std::string& path, Bytes& out)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // Sized from the file and read straight into place: no staging buffer
    // and no regrowth. A file that grows while it is read is still read to
    // its end.
    struct stat st {};
    Bytes data;
    bool ok = ::fstat(fd, &st) == 0;
    if (ok && S_ISREG(st.st_mode))
        data.resize(static_cast<std::size_t>(st.st_size) + 1);
    std::size_t used = 0;
    while (ok) {
        if (used == data.size())
            data.resize(std::max<std::size_t>(2 * data.size(), 65536));
        const ssize_t n = ::read(fd, data.data() + used, data.size() - used);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        used += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (!ok)
        return false;
    data.resize(used);
    out = std::move(data);
    return true;
}

} // namespace

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out) { return readWhole(path, out); }
bool readWholeFile(const std::string& path, BulkBytes& out) { return readWhole(path, out); }

} // namespace qm
