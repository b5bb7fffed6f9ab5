#include "cli/staged_entry.h"

#include "app/atomic_file.h"
#include "app/output_folder.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "batch/batch_state.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace qm {

namespace fs = std::filesystem;

namespace {

void replaceAll(std::string& s, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; !from.empty() && (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
}

// Moves what the file wrote into OutDir and keeps the report texts.
void collectStage(const fs::path& stage, const fs::path& out, StagedEntry& e)
{
    std::vector<fs::path> written;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(stage, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            written.push_back(it->path());
    std::sort(written.begin(), written.end());
    for (const fs::path& p : written) {
        const fs::path rel = p.lexically_relative(stage);
        if (p.extension() == ".dat") {
            std::vector<uint8_t> bytes;
            if (readWholeFile(p.string(), bytes))
                e.reports.push_back({rel.generic_string(), std::string(bytes.begin(), bytes.end())});
            continue;
        }
        fs::create_directories((out / rel).parent_path(), ec);
        fs::rename(p, out / rel, ec);
    }
    fs::remove_all(stage, ec);
}

bool readLine(const std::string& data, std::size_t& at, std::string& line)
{
    const std::size_t end = data.find('\n', at);
    if (end == std::string::npos)
        return false;
    line = data.substr(at, end - at);
    at = end + 1;
    return true;
}

bool takeBytes(const std::string& data, std::size_t& at, std::size_t n, std::string* out)
{
    if (n > data.size() - at)
        return false;
    if (out)
        *out = data.substr(at, n);
    at += n;
    return true;
}

} // namespace

bool preparePacketPlan(Workbench& wb, const std::string& packet, PacketPlan& plan, PacketRun& run)
{
    std::error_code ec;
    if (!fs::is_regular_file(packet, ec)) {
        run.status = PacketStatus::Unreadable;
        run.error = format("Packet file %s cannot be read", packet.c_str());
        return false;
    }
    plan = readPacketPlan(wb, packet, readPacketInit(packet, wb.settings));
    if (const std::string why = prepareFolder(plan.init.outDir); !why.empty()) {
        run.status = PacketStatus::NoLog;
        run.error = why;
        return false;
    }
    run.files = int(plan.files.size());
    run.commands = int(plan.list.size());
    return true;
}

std::string stagingFolder(const PacketPlan& plan, long pid, int index)
{
    return (fs::path(plan.init.outDir) / format(".quillmar-stage-%ld-%d", pid, index)).string();
}

int counterStepsOfLoadedFile(const PacketPlan& plan)
{
    int steps = 0;
    for (const BatchCommand& c : plan.list) {
        if (c.title.find("%d") == std::string::npos)
            continue;
        if (c.number < 0)
            return -1;
        ++steps;
    }
    return steps;
}

StagedEntry runStagedEntry(Workbench& wb, const PacketPlan& plan, int index,
                           const std::function<int(bool loaded)>& counterStart)
{
    StagedEntry e;
    e.index = index;
    const fs::path out = plan.init.outDir;
    const fs::path stage = stagingFolder(plan, long(getpid()), index);
    std::error_code ec;
    fs::create_directories(stage, ec);
    wb.settings.output = stage.string();
    int& counter = batchState(wb).titleCounter;
    int start = counter;
    const PacketEntryResult r =
        runPacketEntry(wb, plan.init, plan.list, plan.files[std::size_t(index)], index + 1,
                       int(plan.files.size()), [&](bool loaded) { start = counter = counterStart(loaded); });
    e.loaded = r.loaded;
    e.log = r.log;
    e.failedCommands = r.failedCommands;
    e.counterSteps = counter - start;
    collectStage(stage, out, e);
    // Failure texts name the files the commands wrote: they name OutDir as
    // in a serial run.
    replaceAll(e.log, stage.string(), out.string());
    wb.settings.output = out.string();
    return e;
}

bool appendReport(const std::string& outDir, const ReportPiece& piece)
{
    const std::string path = (fs::path(outDir) / piece.name).string();
    std::FILE* f = std::fopen(path.c_str(), "ab");
    bool written = f && std::fwrite(piece.bytes.data(), 1, piece.bytes.size(), f) == piece.bytes.size();
    if (f)
        written = std::fclose(f) == 0 && written;
    return written;
}

std::string encodeEntry(const StagedEntry& e, bool withReportBytes)
{
    std::string s = format("entry %d %d %d %d %zu %zu\n", e.index, int(e.loaded), e.counterSteps, e.failedCommands,
                           e.log.size(), e.reports.size());
    s += e.log;
    for (const ReportPiece& p : e.reports) {
        s += format("report %zu ", p.bytes.size()) + p.name + "\n";
        if (withReportBytes)
            s += p.bytes;
    }
    return s;
}

bool decodeEntry(const std::string& data, std::size_t& at, bool withReportBytes, StagedEntry& e,
                 std::vector<std::size_t>* sizes)
{
    e = StagedEntry{};
    std::string line;
    int loaded = 0;
    std::size_t logBytes = 0, pieces = 0;
    if (!readLine(data, at, line) ||
        std::sscanf(line.c_str(), "entry %d %d %d %d %zu %zu", &e.index, &loaded, &e.counterSteps,
                    &e.failedCommands, &logBytes, &pieces) != 6 ||
        e.index < 0 || !takeBytes(data, at, logBytes, &e.log))
        return false;
    e.loaded = loaded != 0;
    for (std::size_t i = 0; i < pieces; ++i) {
        std::size_t n = 0;
        int nameAt = 0;
        if (!readLine(data, at, line) || std::sscanf(line.c_str(), "report %zu %n", &n, &nameAt) != 1 ||
            nameAt <= 0 || std::size_t(nameAt) >= line.size())
            return false;
        ReportPiece p;
        p.name = line.substr(std::size_t(nameAt));
        if (withReportBytes && !takeBytes(data, at, n, &p.bytes))
            return false;
        if (sizes)
            sizes->push_back(n);
        e.reports.push_back(std::move(p));
    }
    return true;
}

} // namespace qm
