#pragma once
// Writes a set of files that belong together (a header file and its data
// files, an export of several files) all or nothing: every file goes to a
// temporary beside its target first, and only when all of them are complete
// are they renamed over the targets.
#include "app/atomic_file.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Workbench;

class FileSetWriter {
public:
    FileSetWriter() = default;
    // Removes the temporaries of a set that was not committed.
    ~FileSetWriter();
    FileSetWriter(const FileSetWriter&) = delete;
    FileSetWriter& operator=(const FileSetWriter&) = delete;

    // Writes `bytes` completely to a temporary beside `path`. After the
    // first failure the set is dropped and every later call fails.
    bool add(const std::string& path, std::string_view bytes);
    // Renames every temporary over its target; false, with every target as
    // it was, when one of them cannot be put in place.
    bool commit();
    // Why the set was not written, naming the file; empty while all is well.
    const std::string& error() const { return error_; }

private:
    struct Entry {
        std::unique_ptr<AtomicFile> file;
        std::string backup; // the replaced target, kept until all are in place
    };
    void fail(const std::string& path);
    static bool moveAside(Entry& e);
    static void undo(const Entry& e);

    std::vector<Entry> entries_;
    std::string error_;
};

// "File %s cannot be written": the one text for a file a writer could not
// write.
std::string cannotWriteText(const std::string& path);

// Why a single file cannot be written at `path`, empty when it can: its
// folder gets the check of every writer's folder (created when missing),
// and a folder or anything but a file in the way is refused before
// anything is written.
std::string writeTargetError(const std::string& path);

// Says why a writer wrote nothing: a message box in interactive use, and the
// failure record (status line, packet log, error stream of batch runs).
void reportWriteFailure(Workbench& wb, const std::string& reason);

} // namespace qm
