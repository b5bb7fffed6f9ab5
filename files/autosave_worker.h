#pragma once
// The autosave backup written off the interface thread. A timer tick takes
// the workspace image of the set as it stands (one copy of the arrays) and
// hands it to a worker thread that writes it to a new BACKUP/wsfXXXXXX.tmp;
// the interface only ever waits for that copy.
#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qm {

class Workbench;

class AutosaveWorker {
public:
    AutosaveWorker() = default;
    // Abandons a running write (see abandon()).
    ~AutosaveWorker();
    AutosaveWorker(const AutosaveWorker&) = delete;
    AutosaveWorker& operator=(const AutosaveWorker&) = delete;

    // One tick of the autosave timer: every wb.autosaveTicks ticks a backup
    // is started, unless one is still being written (that tick is skipped)
    // or no set is loaded. A finished backup is taken up first (collect).
    void tick(Workbench& wb);
    // On the interface thread: a finished backup becomes the run's temporary
    // workspace and the previous one is deleted. A backup of a set that was
    // closed after its image was taken is deleted instead, as Close deletes
    // the backup of the set it closes.
    void collect(Workbench& wb);
    // Waits for the running write to end (renamed into place or failed).
    void wait();
    // At exit: stops the running write before its rename and deletes its
    // temporary file, so no half-written backup is ever left behind.
    void abandon();
    bool running() const { return busy_; }

    // Called on the worker thread when a write has ended; the front end
    // posts collect() to its own thread from here.
    std::function<void()> onFinished;
    // Tests: called on the worker thread once the temporary file is
    // complete, just before the rename.
    std::function<void()> beforeRename;
    // The thread that wrote the last backup, and the backup itself before
    // collect() takes it up.
    std::thread::id writerThread() const;
    std::string finishedFile() const;

private:
    void start(Workbench& wb);
    void write(std::vector<uint8_t> image, std::string target);

    std::thread thread_;
    std::atomic<bool> busy_{false}, abandon_{false};
    mutable std::mutex m_;
    std::string finished_;      // written, not yet collected
    std::vector<uint8_t> spare_; // the last image's buffer, for the next one
    std::thread::id writer_;
    // Count of Closes of the workbench, advanced by its close hook; the hook
    // holds its own reference so it outlives this object safely.
    std::shared_ptr<std::atomic<int>> closes_;
    const Workbench* hooked_ = nullptr;
    int closesAtImage_ = 0;
};

} // namespace qm
