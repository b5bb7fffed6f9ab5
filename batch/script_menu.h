#pragma once
// The Script menu: "Reload" (193) and the script files of the script
// folder, sub-folders as sub-menus, identifiers from 5002 upwards.
#include <optional>
#include <string>
#include <vector>

namespace qm {

inline constexpr int kReloadScriptsId = 193;
inline constexpr int kFirstScriptId = 5002;   // the counter starts at 5001 and counts before use
inline constexpr int kLastScriptId = 10000;
inline constexpr int kScriptsPerFolder = 10;  // a folder's later scripts are not listed
inline constexpr int kScriptFolderDepth = 16; // deeper folders are not listed

struct ScriptMenuItem {
    int id = 0;                        // 0 for a sub-menu
    std::string text;                  // a script's name without its last four characters, or a folder name
    std::string fileName;              // the script's own file name
    std::vector<ScriptMenuItem> items; // the entries of a sub-menu
    bool isSubMenu() const { return id == 0; }
};

struct ScriptMenu {
    std::string folder;                // the script folder it was built from
    std::vector<ScriptMenuItem> items; // after "Reload"
    int revision = 0;                  // counts rebuilds, for the menu bar
};

// Lists the folder: every entry whose name contains ".spt" or ".SPT" is a
// script, every sub-folder (not followed through symbolic links) a
// sub-menu filled the same way; entries in name order, at most ten scripts
// a folder.
ScriptMenu buildScriptMenu(const std::string& folder);

// The script of a menu identifier, relative to the script folder: the
// sub-menu names on the way and the script's file name, joined by "/".
std::optional<std::string> scriptRelativePath(const ScriptMenu& menu, int id);

} // namespace qm
