#pragma once
// Running a batch packet: every file of the packet is loaded in turn, the
// command list runs on it, a log line records whether it loaded, and the
// notification tip shows the estimated time left.
#include "batch/command_line.h"
#include "batch/packet_file.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Workbench;

inline constexpr int kAutosaveAfterPacketMs = 60000; // the autosave period after a packet
inline constexpr const char* kLogLoaded = "-OK:)\n";
inline constexpr const char* kLogNotLoaded = "-Bad:(\n";
// A command that failed on the file above: a tab, then failureLine().
inline constexpr const char* kLogFailurePrefix = "\t";
inline constexpr const char* kTipInit = "Init Batch Packet";
inline constexpr const char* kTipBegin = "Begin Calculations";

enum class PacketStatus {
    NoPath,     // nothing chosen: the run did not start
    Unreadable, // the packet file cannot be read: nothing changed
    NoLog,      // OutDir or the log in it cannot be created: nothing changed
    Declined,   // the user kept the loaded set at the close question
    Completed,  // the run went through the file list
};

struct PacketRun {
    PacketStatus status = PacketStatus::NoPath;
    int files = 0;          // in the list
    int loaded = 0;         // logged "-OK:)"
    int notLoaded = 0;      // logged "-Bad:("
    int failedCommands = 0; // failure lines logged, over all files
    int commands = 0;       // entries of the command list
    std::string logPath;    // empty when the log could not be completed
    std::string error;      // why a run did not start
    bool exitRequested = false; // AppExit was set
};

// Runs the packet file. interactiveMode is 0 for the whole run; afterwards
// the program ends (AppExit) or returns to interactive use with the
// autosave timer at kAutosaveAfterPacketMs and the ALL confirmation on.
// A run the user started from the menu (fromMenu) first asks the close
// question when the set holds unsaved work, never ends the program, and
// shows its log in a report window.
PacketRun runPacketFile(Workbench& wb, const std::string& path, bool fromMenu = false);

// What a packet asks for: its [Init] values, the files and the command list.
struct PacketPlan {
    PacketInit init;
    std::vector<std::string> files;
    std::vector<BatchCommand> list;
};
// Reads the files and the command list of the packet at `path` (the [Init]
// values already read into `init`).
PacketPlan readPacketPlan(Workbench& wb, const std::string& path, const PacketInit& init);

// One file of a packet's list, run on the empty set: its log text (the
// name, "-OK:)" or "-Bad:(", a line per failed command) and counts.
struct PacketEntryResult {
    bool loaded = false;
    std::string log;
    int failedCommands = 0;
};

// Loads file k of n (its name as the list gives it, relative to InDir), runs
// the command list on it and closes the set again. `afterLoad`, when given,
// runs between the load and the commands.
PacketEntryResult runPacketEntry(Workbench& wb, const PacketInit& init, const std::vector<BatchCommand>& list,
                                 const std::string& name, int k, int n,
                                 const std::function<void(bool loaded)>& afterLoad = {});

// True when the file of the list loads as runPacketEntry loads it; the set
// is closed again and nothing is reported.
bool packetFileLoads(Workbench& wb, const PacketInit& init, const std::string& name);

// Command 99: the packet named after "-pk" in the stored command line when
// the start flag (fourth batch argument) is set, else the one chosen in the
// open dialog. Never runs inside another packet or script.
PacketRun runPacketCommand(Workbench& wb);

// A start with "-pk": keeps the command line, sets the start flag and runs
// command 99.
void startPacketFromCommandLine(Workbench& wb, const std::string& commandLine);

// The packet path of a command line: the first text in single or double
// quotes after "-pk" (leading blanks skipped), else the first word after it;
// at most 254 characters; nullopt without "-pk" or a name.
std::optional<std::string> packetPathFromCommandLine(std::string_view commandLine);

// "File %d form %d:Left %2dh%2dm%.2fs" after file k of n, the loaded files
// having taken `totalSeconds` so far.
std::string packetTip(int k, int n, double totalSeconds);

} // namespace qm
