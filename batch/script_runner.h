#pragma once
// Running a script (*.spt): its [Commands] section runs through the batch
// executor on the scans in memory, with reports collected in one report
// window; every mode is restored afterwards.
#include <string>

namespace qm {

class Workbench;

inline constexpr const char* kScriptPrefix = "0-";
inline constexpr const char* kScriptBaseName = "Script";

// The script folder: the setting "PathScript", or its default when it is
// empty.
std::string scriptFolder(const Workbench& wb);

// The script of a Script-menu identifier (5002..10000). False when the
// identifier names no script or the file is gone; nothing runs then.
bool runScriptById(Workbench& wb, int id);
// A script named relative to the script folder (AutoScript).
bool runScriptByName(Workbench& wb, const std::string& name);
// A script file anywhere.
bool runScriptFile(Workbench& wb, const std::string& path);

// Rebuilds the Script menu from the script folder (command 193).
void reloadScriptMenu(Workbench& wb);

} // namespace qm
