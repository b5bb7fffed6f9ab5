#pragma once
// The executor of command lists, shared by packets and scripts: internal
// commands 0..27 run here, every other number goes through the dispatcher
// with the command's arguments and title in the workbench's batch places.
#include "batch/command_line.h"

#include <string>
#include <vector>

namespace qm {

class Workbench;

inline constexpr int kLastInternalCommand = 27;
inline constexpr std::size_t kTitleBufferSize = 256;
inline constexpr int kSaveWorksheetId = 101;
inline constexpr int kSaveWorkspaceId = 185;
inline constexpr int kExportPageId = 141;
inline constexpr int kSurf3dId = 138;

// A command of a list that could not do its work, and why.
struct CommandFailure {
    std::string name; // the catalogue's name, else the command's number
    std::string reason;
};

// "!Name reason": the line a packet logs (after a tab) below its file and a
// script prints on the error stream.
std::string failureLine(const CommandFailure& f);

// Runs the list on the loaded set. `prefix` and `base` name the files of
// commands 101 and 185 given without a title (packets: OutPrefix and the
// input file's base name; scripts: "0-" and "Script"). Returns the failures
// the commands recorded, in order.
std::vector<CommandFailure> executeCommandList(Workbench& wb, const std::vector<BatchCommand>& list,
                                               const std::string& prefix, const std::string& base);

// Result of the most recent scan selection (internal commands 8 and 19).
enum class Selection { None, Found, NotFound };

// One internal command (0..27) with the arguments in `c`; the title is the
// expanded one.
void runInternalCommand(Workbench& wb, const BatchCommand& c, Selection& lastSelection);

// The shown part from a begin b and an end e in points: b = e moves b one
// point down, e moves one point up; the end stays below nPoints, the begin
// at 1 or above, and both inside the active scan.
void setViewRange(Workbench& wb, double b, double e);

// A batch argument as an integer: truncated, 0 when not finite, held to the
// int range.
int argInt(float a);

} // namespace qm
