#include "app/atomic_file.h"

#include <cstdio>
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

bool readWholeFile(const std::string& path, std::vector<uint8_t>& out)
{
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::vector<uint8_t> data;
    uint8_t buf[65536];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        data.insert(data.end(), buf, buf + n);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    if (ok)
        out = std::move(data);
    return ok;
}

} // namespace qm
