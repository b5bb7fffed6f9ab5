#include "app/file_set_writer.h"

#include "app/output_folder.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace qm {

namespace fs = std::filesystem;

FileSetWriter::~FileSetWriter() = default; // each AtomicFile removes its temporary

std::string cannotWriteText(const std::string& path) { return format("File %s cannot be written", path.c_str()); }

namespace {

// A folder (or anything but a file) in the way would only show at the
// rename, after the whole file was written.
bool blockedByNonFile(const std::string& path)
{
    std::error_code ec;
    return fs::exists(path, ec) && !fs::is_regular_file(path, ec);
}

} // namespace

std::string writeTargetError(const std::string& path)
{
    const std::string dir = fs::path(path).parent_path().string();
    const std::string folderError = prepareFolder(dir.empty() ? "." : dir);
    if (!folderError.empty())
        return folderError;
    return blockedByNonFile(path) ? cannotWriteText(path) : std::string();
}

void reportWriteFailure(Workbench& wb, const std::string& reason) { wb.refuse(reason, "Error", MsgIcon::Error); }

void FileSetWriter::fail(const std::string& path)
{
    error_ = cannotWriteText(path);
    entries_.clear();
}

bool FileSetWriter::add(const std::string& path, std::string_view bytes)
{
    if (!error_.empty())
        return false;
    // Refused here, before anything of the set is replaced.
    if (blockedByNonFile(path)) {
        fail(path);
        return false;
    }
    auto file = std::make_unique<AtomicFile>(path);
    if (!file->write(bytes) || !file->finish()) {
        fail(path);
        return false;
    }
    entries_.push_back({std::move(file), {}});
    return true;
}

// Renames an existing target to a fresh name beside it, so it can be put
// back. A missing target needs no backup.
bool FileSetWriter::moveAside(Entry& e)
{
    const std::string& target = e.file->path();
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(target, ec)))
        return true;
    std::string name = target + ".oldXXXXXX";
    const int fd = mkstemp(name.data());
    if (fd < 0)
        return false;
    ::close(fd);
    if (std::rename(target.c_str(), name.c_str()) != 0) {
        std::remove(name.c_str());
        return false;
    }
    e.backup = name;
    return true;
}

// Puts back what a placed entry replaced, or removes a target it created.
void FileSetWriter::undo(const Entry& e)
{
    if (!e.backup.empty())
        std::rename(e.backup.c_str(), e.file->path().c_str());
    else
        std::remove(e.file->path().c_str());
}

// Each target is renamed to a backup name and the temporary renamed into
// its place. Should a rename fail part-way (rare once every temporary is
// complete: a target changed meanwhile, a folder that became read-only),
// the entries already placed are undone in reverse order, backups renamed
// back over the new files, so the old set comes back whole; the backups
// are removed only once every file of the new set is in place. A crash
// between the two renames of one file leaves its old contents under the
// backup name rather than losing them.
bool FileSetWriter::commit()
{
    if (!error_.empty())
        return false;
    std::size_t placed = 0;
    for (; placed < entries_.size(); ++placed) {
        Entry& e = entries_[placed];
        if (!moveAside(e))
            break;
        if (!e.file->commit()) {
            if (!e.backup.empty())
                std::rename(e.backup.c_str(), e.file->path().c_str());
            break;
        }
    }
    if (placed < entries_.size()) {
        const std::string path = entries_[placed].file->path();
        while (placed-- > 0)
            undo(entries_[placed]);
        fail(path);
        return false;
    }
    for (const Entry& e : entries_)
        if (!e.backup.empty())
            std::remove(e.backup.c_str());
    entries_.clear();
    return true;
}

} // namespace qm
