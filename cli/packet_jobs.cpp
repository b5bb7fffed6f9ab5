#include "cli/packet_jobs.h"

#include "app/atomic_file.h"
#include "app/text_format.h"
#include "cli/headless_workbench.h"
#include "cli/staged_entry.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>

namespace qm {

namespace fs = std::filesystem;

namespace {

bool writeAll(int fd, const std::string& s)
{
    std::size_t at = 0;
    while (at < s.size()) {
        const ssize_t n = ::write(fd, s.data() + at, s.size() - at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        at += std::size_t(n);
    }
    return true;
}

// Lines from the parent, read one byte at a time: they are a few
// characters each and must not be read past.
std::optional<std::string> readLine(int fd)
{
    std::string line;
    char c;
    for (;;) {
        const ssize_t n = ::read(fd, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return std::nullopt;
        if (c == '\n')
            return line;
        line += c;
    }
}

// The worker process: runs the files it is given until told to stop. To
// the parent it says "L <loaded>" after each load, and waits for
// "C <counter>" before running the commands; then it sends the entry.
[[noreturn]] void workerMain(int in, int out, const PacketPlan& plan, const WorkbenchMaker& make)
{
    std::unique_ptr<HeadlessWorkbench> h = make();
    h->wb.interactiveMode = false;
    h->wb.settings.lastDir = plan.init.inDir;
    const char* fault = std::getenv(kJobFaultVariable);
    while (const auto line = readLine(in)) {
        int index = -1;
        if (std::sscanf(line->c_str(), "F %d", &index) != 1 || index < 0 || index >= int(plan.files.size()))
            break;
        if (fault && plan.files[std::size_t(index)] == fault)
            ::raise(SIGKILL);
        bool talking = true;
        const StagedEntry e = runStagedEntry(h->wb, plan, index, [&](bool loaded) {
            int counter = 0;
            talking = talking && writeAll(out, format("L %d\n", int(loaded)));
            const auto reply = talking ? readLine(in) : std::nullopt;
            talking = reply && std::sscanf(reply->c_str(), "C %d", &counter) == 1;
            return counter;
        });
        const std::string payload = encodeEntry(e, true);
        if (!talking || !writeAll(out, format("R %zu\n", payload.size()) + payload))
            break;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(0);
}

struct Worker {
    pid_t pid = -1;
    int toFd = -1, fromFd = -1;
    int file = -1;          // the file it runs, -1 when idle
    bool awaitsCounter = false;
    std::string inbox;
};

class JobRunner {
public:
    JobRunner(HeadlessWorkbench& parent, const PacketPlan& plan, AtomicFile& log, PacketRun& run)
        : parent_(parent), plan_(plan), log_(log), run_(run), n_(int(plan.files.size())), loaded_(std::size_t(n_)),
          steps_(std::size_t(n_)), results_(std::size_t(n_)),
          fixedSteps_(counterStepsOfLoadedFile(plan))
    {
    }

    void run(int jobs, const WorkbenchMaker& make)
    {
        ::signal(SIGPIPE, SIG_IGN); // a dead worker shows as a failed write and an end of its pipe
        for (int i = 0; i < std::min(jobs, n_); ++i)
            spawn(make);
        while (merged_ < n_) {
            std::vector<pollfd> fds;
            for (const Worker& w : workers_)
                fds.push_back({w.fromFd, POLLIN, 0});
            if (fds.empty())
                break; // cannot happen: a dead worker is replaced while files remain
            if (::poll(fds.data(), fds.size(), -1) < 0 && errno != EINTR)
                break;
            for (std::size_t i = 0; i < fds.size(); ++i)
                if (fds[i].revents != 0)
                    receive(workers_[i]);
            reapDead(make);
            assignCounters();
            mergeReady();
        }
        for (Worker& w : workers_)
            stop(w);
    }

private:
    void spawn(const WorkbenchMaker& make)
    {
        int down[2], up[2];
        if (::pipe(down) != 0)
            return;
        if (::pipe(up) != 0) {
            ::close(down[0]);
            ::close(down[1]);
            return;
        }
        std::fflush(stdout);
        std::fflush(stderr);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(down[1]);
            ::close(up[0]);
            for (const Worker& w : workers_) {
                ::close(w.toFd);
                ::close(w.fromFd);
            }
            workerMain(down[0], up[1], plan_, make);
        }
        ::close(down[0]);
        ::close(up[1]);
        if (pid < 0) {
            ::close(down[1]);
            ::close(up[0]);
            return;
        }
        Worker w;
        w.pid = pid;
        w.toFd = down[1];
        w.fromFd = up[0];
        workers_.push_back(std::move(w));
        giveWork(workers_.back());
    }

    void giveWork(Worker& w)
    {
        w.file = -1;
        if (next_ >= n_)
            return;
        w.file = next_++;
        writeAll(w.toFd, format("F %d\n", w.file));
    }

    void receive(Worker& w)
    {
        char buf[65536];
        const ssize_t n = ::read(w.fromFd, buf, sizeof buf);
        if (n <= 0) {
            if (n < 0 && errno == EINTR)
                return;
            w.inbox.clear();
            closeWorker(w);
            return;
        }
        w.inbox.append(buf, std::size_t(n));
        for (;;) {
            const std::size_t eol = w.inbox.find('\n');
            if (eol == std::string::npos)
                return;
            const std::string head = w.inbox.substr(0, eol);
            int loaded = 0;
            std::size_t bytes = 0;
            if (std::sscanf(head.c_str(), "L %d", &loaded) == 1 && w.file >= 0) {
                loaded_[std::size_t(w.file)] = loaded != 0;
                w.awaitsCounter = true;
                w.inbox.erase(0, eol + 1);
                continue;
            }
            if (std::sscanf(head.c_str(), "R %zu", &bytes) != 1 || w.file < 0) {
                closeWorker(w); // talks nonsense: treated as a crash
                return;
            }
            if (w.inbox.size() - eol - 1 < bytes)
                return; // the rest is still on its way
            const std::string payload = w.inbox.substr(eol + 1, bytes);
            w.inbox.erase(0, eol + 1 + bytes);
            StagedEntry e;
            std::size_t at = 0;
            if (!decodeEntry(payload, at, true, e) || e.index != w.file) {
                closeWorker(w);
                return;
            }
            steps_[std::size_t(w.file)] = e.counterSteps;
            results_[std::size_t(w.file)] = std::move(e);
            w.awaitsCounter = false;
            giveWork(w);
            if (w.file < 0) {
                stop(w);
                return;
            }
        }
    }

    // A worker whose pipe ended: its file, if any, did not complete.
    void closeWorker(Worker& w)
    {
        if (w.fromFd < 0)
            return;
        ::close(w.fromFd);
        ::close(w.toFd);
        w.fromFd = w.toFd = -1;
        int status = 0;
        while (::waitpid(w.pid, &status, 0) < 0 && errno == EINTR) {
        }
        if (w.file < 0)
            return;
        const std::string& name = plan_.files[std::size_t(w.file)];
        const std::string why = WIFSIGNALED(status) ? format("worker ended by signal %d", WTERMSIG(status))
                                                    : format("worker ended with status %d", WEXITSTATUS(status));
        parent_.ui.reportError(name + ": " + why);
        std::error_code ec;
        fs::remove_all(stagingFolder(plan_, long(w.pid), w.file), ec);
        StagedEntry e;
        e.index = w.file;
        e.log = name + kLogNotLoaded;
        // A file whose commands had begun moved the counter as a loaded file.
        e.counterSteps = loaded_[std::size_t(w.file)].value_or(false) ? std::max(fixedSteps_, 0) : 0;
        steps_[std::size_t(w.file)] = e.counterSteps;
        results_[std::size_t(w.file)] = std::move(e);
        w.file = -1;
    }

    void reapDead(const WorkbenchMaker& make)
    {
        std::size_t alive = 0;
        for (Worker& w : workers_)
            if (w.fromFd >= 0)
                workers_[alive++] = std::move(w);
        const std::size_t lost = workers_.size() - alive;
        workers_.resize(alive);
        for (std::size_t i = 0; i < lost && next_ < n_; ++i)
            spawn(make);
    }

    void stop(Worker& w)
    {
        if (w.fromFd < 0)
            return;
        writeAll(w.toFd, "Q\n");
        w.file = -1;
        closeWorker(w);
    }

    // The counter value at file k of a serial run is known once every file
    // before it has loaded or not and, where the command list alone does not
    // tell how far a loaded file moves it, has completed.
    std::optional<int> stepsOf(int k) const
    {
        if (steps_[std::size_t(k)])
            return steps_[std::size_t(k)];
        const auto& loaded = loaded_[std::size_t(k)];
        if (!loaded)
            return std::nullopt;
        if (!*loaded)
            return 0;
        if (fixedSteps_ >= 0)
            return fixedSteps_;
        return std::nullopt;
    }

    void assignCounters()
    {
        int counter = 0;
        for (int k = 0; k < n_; ++k) {
            for (Worker& w : workers_) {
                if (w.file == k && w.awaitsCounter) {
                    w.awaitsCounter = false;
                    writeAll(w.toFd, format("C %d\n", counter));
                }
            }
            if (fixedSteps_ == 0)
                continue; // no title moves the counter
            const auto steps = stepsOf(k);
            if (!steps)
                return;
            counter += *steps;
        }
    }

    void mergeReady()
    {
        while (merged_ < n_ && results_[std::size_t(merged_)]) {
            const StagedEntry& e = *results_[std::size_t(merged_)];
            log_.write(e.log);
            ++(e.loaded ? run_.loaded : run_.notLoaded);
            run_.failedCommands += e.failedCommands;
            for (const ReportPiece& p : e.reports)
                if (!appendReport(plan_.init.outDir, p))
                    parent_.ui.reportError(format("Report file %s cannot be written", p.name.c_str()));
            ++merged_;
        }
    }

    HeadlessWorkbench& parent_;
    const PacketPlan& plan_;
    AtomicFile& log_;
    PacketRun& run_;
    int n_;
    std::vector<std::optional<bool>> loaded_;
    std::vector<std::optional<int>> steps_;
    std::vector<std::optional<StagedEntry>> results_;
    int fixedSteps_;
    std::vector<Worker> workers_;
    int next_ = 0, merged_ = 0;
};

} // namespace

PacketRun runPacketJobs(HeadlessWorkbench& parent, const std::string& packet, int jobs, const WorkbenchMaker& make)
{
    PacketRun run;
    PacketPlan plan;
    if (!preparePacketPlan(parent.wb, packet, plan, run))
        return run;
    // One process does as well for a list that runs nothing or one file.
    if (jobs <= 1 || plan.list.empty() || plan.files.size() < 2)
        return runPacketFile(parent.wb, packet);
    const std::string logPath = (fs::path(plan.init.outDir) / plan.init.outFile).string();
    AtomicFile log(logPath);
    if (!log.ok()) {
        run.status = PacketStatus::NoLog;
        run.error = format("Log file %s cannot be created", logPath.c_str());
        return run;
    }
    run.status = PacketStatus::Completed;
    JobRunner(parent, plan, log, run).run(jobs, make);
    if (log.commit())
        run.logPath = logPath;
    else
        parent.ui.reportError(format("Log file %s cannot be written", logPath.c_str()));
    return run;
}

} // namespace qm
