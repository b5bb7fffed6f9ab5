#include "cli/packet_shards.h"

#include "app/atomic_file.h"
#include "app/file_set_writer.h"
#include "app/text_format.h"
#include "batch/batch_state.h"
#include "cli/headless_workbench.h"
#include "cli/staged_entry.h"

#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>

namespace qm {

namespace fs = std::filesystem;

namespace {

constexpr const char* kShardHead = "QuillmarShard %d %d %d\n"; // I, N, files in the packet

std::string shardName(const std::string& path, int index) { return path + format(".shard%d", index); }

std::optional<std::string> readText(const std::string& path)
{
    std::vector<uint8_t> bytes;
    if (!readWholeFile(path, bytes))
        return std::nullopt;
    return std::string(bytes.begin(), bytes.end());
}

std::string logPathOf(const PacketPlan& plan) { return (fs::path(plan.init.outDir) / plan.init.outFile).string(); }

void count(PacketRun& run, const StagedEntry& e)
{
    ++(e.loaded ? run.loaded : run.notLoaded);
    run.failedCommands += e.failedCommands;
}

} // namespace

PacketRun runPacketShard(HeadlessWorkbench& h, const std::string& packet, ShardChoice shard)
{
    PacketRun run;
    PacketPlan plan;
    Workbench& wb = h.wb;
    if (!preparePacketPlan(wb, packet, plan, run))
        return run;
    run.status = PacketStatus::Completed;
    wb.interactiveMode = false;
    wb.settings.lastDir = plan.init.inDir;
    // A "%d" in a title counts on through the files of the other shards as
    // well: a file that loads moves it by a number the command list tells,
    // so those files are loaded here (quietly, without their commands) to
    // learn which do. Only where a conditional command holds the "%d" is a
    // file run elsewhere taken to move it as far as its unconditional ones.
    const int fixedSteps = std::max(counterStepsOfLoadedFile(plan), 0);
    HeadlessWorkbench probe(nullptr, nullptr);
    probe.wb.settings = wb.settings;
    probe.wb.interactiveMode = false;
    const auto stepsElsewhere = [&](int k) {
        return fixedSteps != 0 && packetFileLoads(probe.wb, plan.init, plan.files[std::size_t(k)]) ? fixedSteps : 0;
    };
    const int n = int(plan.files.size());
    std::string log = format(kShardHead, shard.index, shard.count, n);
    std::map<std::string, std::string> reports;
    int counter = 0;
    // A packet without commands logs nothing, as in a serial run.
    for (int k = 0; k < n && !plan.list.empty(); ++k) {
        if (k % shard.count != shard.index - 1) {
            counter += stepsElsewhere(k);
            continue;
        }
        const StagedEntry e = runStagedEntry(wb, plan, k, [&](bool) { return counter; });
        counter += e.counterSteps;
        log += encodeEntry(e, false);
        for (const ReportPiece& p : e.reports)
            reports[p.name] += p.bytes;
        count(run, e);
    }
    FileSetWriter out;
    out.add(shardName(logPathOf(plan), shard.index), log);
    for (const auto& [name, bytes] : reports)
        out.add(shardName((fs::path(plan.init.outDir) / name).string(), shard.index), bytes);
    if (out.commit())
        run.logPath = shardName(logPathOf(plan), shard.index);
    else
        h.ui.reportError(out.error());
    return run;
}

PacketRun mergePacketShards(HeadlessWorkbench& h, const std::string& packet)
{
    PacketRun run;
    PacketPlan plan;
    if (!preparePacketPlan(h.wb, packet, plan, run))
        return run;
    const std::string logPath = logPathOf(plan);
    const int n = int(plan.files.size());
    std::vector<std::optional<StagedEntry>> entries(static_cast<std::size_t>(n));
    std::map<std::string, std::map<int, std::string>> pieces; // report name -> file index -> text
    std::vector<std::string> shardFiles;
    const auto refuse = [&](const std::string& why) {
        run.status = PacketStatus::Unreadable;
        run.error = why;
        return run;
    };
    int shards = 1;
    for (int s = 1; s <= shards; ++s) {
        const std::string name = shardName(logPath, s);
        const auto text = readText(name);
        if (!text)
            return refuse(format("Shard file %s cannot be read", name.c_str()));
        int index = 0, total = 0, files = 0, headBytes = 0;
        if (std::sscanf(text->c_str(), "QuillmarShard %d %d %d\n%n", &index, &total, &files, &headBytes) != 3 ||
            headBytes <= 0 || index != s || total < 1 || (s > 1 && total != shards) || files != n)
            return refuse(format("Shard file %s does not belong to this packet", name.c_str()));
        shards = total;
        shardFiles.push_back(name);
        std::map<std::string, std::pair<std::string, std::size_t>> reportTexts; // name -> text, read position
        std::size_t at = std::size_t(headBytes);
        while (at < text->size()) {
            StagedEntry e;
            std::vector<std::size_t> sizes;
            if (!decodeEntry(*text, at, false, e, &sizes) || e.index >= n || e.index % shards != s - 1 ||
                entries[std::size_t(e.index)])
                return refuse(format("Shard file %s is damaged", name.c_str()));
            for (std::size_t i = 0; i < sizes.size(); ++i) {
                const std::string& report = e.reports[i].name;
                auto it = reportTexts.find(report);
                if (it == reportTexts.end()) {
                    const std::string file = shardName((fs::path(plan.init.outDir) / report).string(), s);
                    const auto t = readText(file);
                    if (!t)
                        return refuse(format("Shard file %s cannot be read", file.c_str()));
                    shardFiles.push_back(file);
                    it = reportTexts.emplace(report, std::make_pair(*t, std::size_t(0))).first;
                }
                auto& [t, pos] = it->second;
                if (sizes[i] > t.size() - pos)
                    return refuse(format("Shard file %s is damaged", name.c_str()));
                pieces[report][e.index] = t.substr(pos, sizes[i]);
                pos += sizes[i];
            }
            entries[std::size_t(e.index)] = std::move(e);
        }
    }
    std::string log;
    for (int k = 0; k < n; ++k) {
        if (!entries[std::size_t(k)]) {
            if (!plan.list.empty())
                return refuse(format("Shard file %s misses %s", shardName(logPath, k % shards + 1).c_str(),
                                     plan.files[std::size_t(k)].c_str()));
            continue;
        }
        log += entries[std::size_t(k)]->log;
        count(run, *entries[std::size_t(k)]);
    }
    // The reports continue what the folder held before the run, as a
    // serial run's appends do.
    FileSetWriter out;
    out.add(logPath, log);
    for (const auto& [report, byFile] : pieces) {
        const std::string path = (fs::path(plan.init.outDir) / report).string();
        std::string text = readText(path).value_or(std::string());
        for (const auto& [k, piece] : byFile)
            text += piece;
        out.add(path, text);
    }
    if (!out.commit()) {
        h.ui.reportError(out.error());
        run.status = PacketStatus::Completed;
        return run;
    }
    std::error_code ec;
    for (const std::string& f : shardFiles)
        fs::remove(f, ec);
    run.status = PacketStatus::Completed;
    run.logPath = logPath;
    return run;
}

} // namespace qm
