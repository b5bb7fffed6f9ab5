#include "files/autosave_worker.h"

#include "app/atomic_file.h"
#include "app/workbench.h"
#include "files/workspace_file.h"
#include "files/workspace_image.h"

#include <algorithm>
#include <filesystem>

namespace qm {

namespace {

// The write goes out in pieces of this size so an abandon at exit takes
// effect within one of them.
constexpr std::size_t kWriteChunk = std::size_t(8) << 20;

} // namespace

AutosaveWorker::~AutosaveWorker() { abandon(); }

void AutosaveWorker::tick(Workbench& wb)
{
    collect(wb);
    if (++wb.autosaveCounter < std::max(wb.autosaveTicks, 1))
        return;
    wb.autosaveCounter = 0;
    if (busy_ || !wb.setLoaded)
        return;
    start(wb);
}

void AutosaveWorker::start(Workbench& wb)
{
    if (hooked_ != &wb) {
        closes_ = std::make_shared<std::atomic<int>>(0);
        wb.closeHooks.push_back([closes = closes_](Workbench&) { ++*closes; });
        hooked_ = &wb;
    }
    // The image is the worker's own copy: whatever the set does meanwhile
    // (an operation, Close, a new load) cannot reach the bytes being written.
    // It goes into the buffer of the previous backup, so the tick costs one
    // copy of the arrays and no fresh memory.
    wait();
    std::vector<uint8_t> image;
    {
        const std::lock_guard lock(m_);
        image.swap(spare_);
    }
    const std::string target = encodeWorkspace(wb, image) ? newBackupFile(wb) : std::string();
    if (target.empty())
        return;
    closesAtImage_ = *closes_;
    busy_ = true;
    thread_ = std::thread(&AutosaveWorker::write, this, std::move(image), target);
}

void AutosaveWorker::write(std::vector<uint8_t> image, std::string target)
{
    bool written = false;
    try {
        AtomicFile f(target);
        for (std::size_t at = 0; at < image.size() && !abandon_ && f.ok(); at += kWriteChunk)
            f.write(image.data() + at, std::min(kWriteChunk, image.size() - at));
        if (!abandon_ && f.finish()) {
            if (beforeRename)
                beforeRename();
            written = !abandon_ && f.commit();
        }
    } catch (...) {
        // Out of memory or the like: this backup is skipped, the last one
        // stays, as with a failed write.
    }
    {
        const std::lock_guard lock(m_);
        if (written)
            finished_ = target;
        writer_ = std::this_thread::get_id();
        spare_.swap(image);
    }
    busy_ = false;
    if (onFinished)
        onFinished();
}

void AutosaveWorker::collect(Workbench& wb)
{
    std::string done;
    {
        const std::lock_guard lock(m_);
        done.swap(finished_);
    }
    if (done.empty())
        return;
    if (closes_ && *closes_ != closesAtImage_) {
        std::error_code ec;
        std::filesystem::remove(done, ec);
        const std::lock_guard lock(m_);
        std::vector<uint8_t>().swap(spare_); // the set it was sized for is gone
        return;
    }
    adoptBackup(wb, done);
}

void AutosaveWorker::wait()
{
    if (thread_.joinable())
        thread_.join();
}

void AutosaveWorker::abandon()
{
    abandon_ = true;
    wait();
    abandon_ = false;
    // A write that got past its last check before the rename still lands;
    // at exit that backup goes like the run's own.
    std::string done;
    {
        const std::lock_guard lock(m_);
        done.swap(finished_);
    }
    if (!done.empty()) {
        std::error_code ec;
        std::filesystem::remove(done, ec);
    }
}

std::thread::id AutosaveWorker::writerThread() const
{
    const std::lock_guard lock(m_);
    return writer_;
}

std::string AutosaveWorker::finishedFile() const
{
    const std::lock_guard lock(m_);
    return finished_;
}

} // namespace qm
