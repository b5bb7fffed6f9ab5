#pragma once
// Running a script (*.spt): its [Commands] section runs through the batch
// executor on the scans in memory, with reports collected in one report
// window; every mode is restored afterwards.
#include <optional>
#include <string>

namespace qm {

class Workbench;

inline constexpr const char* kScriptPrefix = "0-";
inline constexpr const char* kScriptBaseName = "Script";

// The script folder: the setting "PathScript", or its default when it is
// empty.
std::string scriptFolder(const Workbench& wb);

// Each returns the number of commands that failed (each reported through
// UiPort::reportError as failureLine() gives it), or nullopt when the
// script was not found; nothing runs then.
// The script of a Script-menu identifier (5002..10000).
std::optional<int> runScriptById(Workbench& wb, int id);
// A script named relative to the script folder (AutoScript).
std::optional<int> runScriptByName(Workbench& wb, const std::string& name);
// A script file anywhere.
std::optional<int> runScriptFile(Workbench& wb, const std::string& path);

// Rebuilds the Script menu from the script folder (command 193).
void reloadScriptMenu(Workbench& wb);

} // namespace qm
