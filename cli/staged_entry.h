#pragma once
// One file of a packet run apart from the others, as the parallel and the
// sharded runs need it: its outputs are written into a staging folder of
// its own inside OutDir, then the saved files move into OutDir and the
// report texts (the "<title>.dat" files a packet appends to) are handed
// back, so whoever runs the files can append them in packet order.
#include "batch/packet_run.h"

#include <functional>
#include <string>
#include <vector>

namespace qm {

class Workbench;

// What one file appended to one report file.
struct ReportPiece {
    std::string name;  // the report file, relative to OutDir
    std::string bytes; // appended text
};

struct StagedEntry {
    int index = 0; // in the packet's file list, from 0
    bool loaded = false;
    std::string log; // the file's lines of the packet log
    int failedCommands = 0;
    int counterSteps = 0; // how far the title counter ("%d") moved
    std::vector<ReportPiece> reports; // by report name
};

// Reads the packet into `plan` and checks its output folder, as a serial
// run does before it changes anything; false, with the status and the
// reason in `run`, when the run cannot start. Counts files and commands.
bool preparePacketPlan(Workbench& wb, const std::string& packet, PacketPlan& plan, PacketRun& run);

// Runs file `index` of the plan on the empty set. `counterStart(loaded)` is
// asked between the load and the commands for the value the title counter
// has at that point of a serial run.
StagedEntry runStagedEntry(Workbench& wb, const PacketPlan& plan, int index,
                           const std::function<int(bool loaded)>& counterStart);

// The staging folder of file `index` in the process `pid`; a parent removes
// it when the process died before it could.
std::string stagingFolder(const PacketPlan& plan, long pid, int index);

// How far one file moves the title counter when that follows from the
// command list alone: the commands whose title holds "%d" move it once per
// loaded file. -1 when a conditional command (run only after a successful
// selection) has such a title, so only the run itself tells.
int counterStepsOfLoadedFile(const PacketPlan& plan);

// Appends a report piece to its file in `outDir`, as a serial run's
// reports are appended; false when the file cannot be written.
bool appendReport(const std::string& outDir, const ReportPiece& piece);

// The text form of an entry, for a pipe or a shard log: a header line, the
// log text, and a line per report piece followed by its bytes when
// `withReportBytes`.
std::string encodeEntry(const StagedEntry& e, bool withReportBytes);
// Reads an entry at `at` of `data` and moves `at` past it; false for damaged
// text. Without report bytes the pieces come back with empty bytes and
// their sizes in `sizes`, one value per piece.
bool decodeEntry(const std::string& data, std::size_t& at, bool withReportBytes, StagedEntry& e,
                 std::vector<std::size_t>* sizes = nullptr);

} // namespace qm
