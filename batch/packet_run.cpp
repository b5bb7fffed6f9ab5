#include "batch/packet_run.h"

#include "app/atomic_file.h"
#include "app/output_folder.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "batch/batch_executor.h"
#include "batch/batch_state.h"
#include "batch/command_catalogue.h"
#include "batch/packet_file.h"
#include "batch/section_reader.h"
#include "files/open_scans.h"
#include "files/workspace_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

namespace qm {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxPacketPath = 254;

// Loads one file of the list into the empty set: as a workspace first, then
// through the scan-file readers. True when scans were loaded; a load that
// runs out of memory loads nothing.
bool loadPacketFile(Workbench& wb, const std::string& path)
{
    bool loaded = false;
    wb.guardMemory([&] {
        if (loadWorkspace(wb, 1, path) && !wb.scans.empty()) {
            loaded = true;
            return;
        }
        openScans(wb, path);
        loaded = wb.setLoaded && !wb.scans.empty();
    });
    return loaded;
}

std::string fileNamePart(const std::string& name)
{
    const std::size_t cut = name.find_last_of("/\\");
    return cut == std::string::npos ? name : name.substr(cut + 1);
}

bool readableFile(const std::string& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return false;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fclose(f);
    return true;
}

// Holds the guard flag for the length of a run.
class RunningFlag {
public:
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    RunningFlag(const RunningFlag&) = delete;
    RunningFlag& operator=(const RunningFlag&) = delete;

private:
    bool& flag_;
};

} // namespace

std::string packetTip(int k, int n, double totalSeconds)
{
    // The estimate is kept in seconds so that whole minutes stay whole.
    double left = k > 0 ? (n - k) * totalSeconds / k : 0;
    if (!std::isfinite(left) || std::fabs(left) > 3.6e12)
        left = 0;
    const double hours = std::trunc(left / 3600);
    const double minutes = std::trunc((left - hours * 3600) / 60);
    const double seconds = left - hours * 3600 - minutes * 60;
    return format("File %d form %d:Left %2dh%2dm%.2fs", k, n, static_cast<int>(hours),
                  static_cast<int>(minutes), seconds);
}

std::optional<std::string> packetPathFromCommandLine(std::string_view line)
{
    const std::size_t pk = line.find("-pk");
    if (pk == std::string_view::npos)
        return std::nullopt;
    const std::string_view rest = line.substr(pk + 3);
    const std::size_t open = rest.find_first_of("\"'");
    if (open != std::string_view::npos) {
        const std::size_t close = rest.find(rest[open], open + 1);
        if (close != std::string_view::npos) {
            std::string_view quoted = rest.substr(open + 1, close - open - 1);
            while (!quoted.empty() && quoted.front() == ' ')
                quoted.remove_prefix(1);
            if (!quoted.empty())
                return std::string(quoted.substr(0, kMaxPacketPath));
        }
    }
    const std::string word = firstWord(rest);
    if (word.empty())
        return std::nullopt;
    return word.substr(0, kMaxPacketPath);
}

PacketPlan readPacketPlan(Workbench& wb, const std::string& path, const PacketInit& init)
{
    PacketPlan plan;
    plan.init = init;
    plan.files = packetFiles(path, init);
    const std::vector<std::string> lines = readSection(path, "[Commands]");
    if (!lines.empty())
        plan.list = buildCommandList(lines, CommandCatalogue::forWorkbench(wb));
    return plan;
}

bool packetFileLoads(Workbench& wb, const PacketInit& init, const std::string& name)
{
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    const bool loaded = loadPacketFile(wb, (fs::path(init.inDir) / relative).string());
    wb.takeFailures();
    if (wb.setLoaded || !wb.scans.empty())
        wb.closeSet(false);
    return loaded;
}

PacketEntryResult runPacketEntry(Workbench& wb, const PacketInit& init, const std::vector<BatchCommand>& list,
                                 const std::string& name, int k, int n, const std::function<void(bool)>& afterLoad)
{
    PacketEntryResult r;
    r.log = name;
    wb.currentFileLabel = name;
    std::string relative = name;
    std::replace(relative.begin(), relative.end(), '\\', '/');
    wb.takeFailures();
    r.loaded = loadPacketFile(wb, (fs::path(init.inDir) / relative).string());
    // Why a file did not load (or loaded only in part) goes to the
    // person, the log keeps its one line.
    std::vector<std::string> reasons = wb.takeFailures();
    if (!r.loaded && reasons.empty())
        reasons.emplace_back("not loaded");
    for (const std::string& reason : reasons)
        wb.ui().reportError(name + ": " + reason);
    wb.ui().packetProgress(k, n, name, r.loaded);
    if (afterLoad)
        afterLoad(r.loaded);
    if (!r.loaded) {
        if (wb.setLoaded || !wb.scans.empty()) // what a load that failed midway left
            wb.closeSet(false);
        r.log += kLogNotLoaded;
        return r;
    }
    r.log += kLogLoaded;
    for (const CommandFailure& f :
         executeCommandList(wb, list, init.outPrefix, packetBaseName(fileNamePart(relative)))) {
        r.log += kLogFailurePrefix + failureLine(f) + "\n";
        wb.ui().reportError(name + ": " + failureLine(f));
        ++r.failedCommands;
    }
    wb.allMode = false;
    wb.closeSet(false);
    return r;
}

PacketRun runPacketFile(Workbench& wb, const std::string& path, bool fromMenu)
{
    PacketRun run;
    BatchState& state = batchState(wb);
    wb.ui().batchTip(kTipInit);
    const auto refuse = [&](PacketStatus status, const std::string& why) {
        run.status = status;
        run.error = why;
        wb.refuse(why);
        wb.ui().batchTipEnd();
        return run;
    };
    if (!readableFile(path))
        return refuse(PacketStatus::Unreadable, format("Packet file %s cannot be read", path.c_str()));

    const PacketInit init = readPacketInit(path, wb.settings);
    // The log and every result go to OutDir: a run that could write nothing
    // is refused before it changes anything.
    const std::string logPath = (fs::path(init.outDir) / init.outFile).string();
    if (const std::string why = prepareFolder(init.outDir); !why.empty())
        return refuse(PacketStatus::NoLog, why);
    AtomicFile log(logPath);
    if (!log.ok())
        return refuse(PacketStatus::NoLog, format("Log file %s cannot be created", logPath.c_str()));
    // The run replaces the set: work the user has not saved is offered for
    // saving first, and Cancel leaves everything as it was.
    if (fromMenu && wb.setLoaded && !wb.confirmDiscard(false)) {
        run.status = PacketStatus::Declined;
        wb.ui().batchTipEnd();
        return run;
    }

    RunningFlag running(state.packetRunning);
    run.status = PacketStatus::Completed;
    wb.settings.output = init.outDir;
    wb.settings.lastDir = init.inDir;
    const PacketPlan plan = readPacketPlan(wb, path, init);
    const std::vector<std::string>& files = plan.files;
    const std::vector<BatchCommand>& list = plan.list;
    run.files = static_cast<int>(files.size());
    run.commands = static_cast<int>(list.size());

    wb.interactiveMode = false;
    if (wb.setLoaded)
        wb.closeSet(false);
    if (init.appHide != 0)
        wb.ui().showMainWindow(false);

    const auto writeLog = [&log](const std::string& text) { log.write(text); };

    wb.ui().setAutosavePeriod(0);
    wb.ui().batchTip(kTipBegin);

    if (!list.empty()) {
        double total = 0;
        int k = 0;
        for (const std::string& name : files) {
            ++k;
            const double t0 = state.clockSeconds();
            const PacketEntryResult r = runPacketEntry(wb, init, list, name, k, run.files);
            writeLog(r.log);
            ++(r.loaded ? run.loaded : run.notLoaded);
            run.failedCommands += r.failedCommands;
            if (!r.loaded)
                continue;
            total += state.clockSeconds() - t0;
            wb.ui().batchTip(packetTip(k, run.files, total));
        }
    }
    wb.currentFileLabel.clear();
    if (log.commit())
        run.logPath = logPath;
    else
        wb.fail(format("Log file %s cannot be written", logPath.c_str()));

    if (init.appExit != 0 && !fromMenu) {
        run.exitRequested = true;
        wb.ui().exitProgram(); // interactiveMode stays 0: no question on the way out
    } else {
        wb.ui().showMainWindow(true);
        wb.allMode = false;
        wb.closeSet(false);
        wb.ui().setAutosavePeriod(kAutosaveAfterPacketMs);
        wb.interactiveMode = true;
        wb.view.confirmAll = true;
        wb.ui().setTitle("Quillmar");
        wb.ui().stateChanged();
        // What the run did, where the user sees it without looking for the file.
        std::vector<uint8_t> logBytes;
        if (fromMenu && !run.logPath.empty() && readWholeFile(run.logPath, logBytes))
            wb.deliverReport(init.outFile, logBytes.empty() ? std::string("\n")
                                                            : std::string(logBytes.begin(), logBytes.end()));
    }
    wb.ui().batchTipEnd();
    return run;
}

PacketRun runPacketCommand(Workbench& wb)
{
    BatchState& state = batchState(wb);
    const bool fromCommandLine = wb.batchArgs[3] != 0;
    wb.batchArgs[3] = 0;
    // A packet or script is running: a nested packet would replace its set.
    if (state.packetRunning || state.scriptDepth > 0 || !wb.interactiveMode)
        return {};
    std::optional<std::string> path;
    if (fromCommandLine) {
        path = packetPathFromCommandLine(state.commandLine);
    } else {
        FileDialogSpec spec;
        spec.title = "Open";
        spec.filters = {{"Packet Files", "*.pkf"}, {"Any Files", "*.*"}};
        spec.initialDir = wb.settings.lastDir;
        spec.mustExist = true;
        path = wb.ui().openFile(spec);
    }
    if (!path || path->empty())
        return {};
    return runPacketFile(wb, *path, !fromCommandLine);
}

void startPacketFromCommandLine(Workbench& wb, const std::string& commandLine)
{
    batchState(wb).commandLine = commandLine;
    wb.batchArgs[3] = 1.0f;
    wb.dispatch(99);
}

} // namespace qm
