#pragma once
// Saving and loading workspace files ("WorkSpace" 185 and 186), the
// autosave backup in BACKUP of the writable program folder and its
// recovery at start-up.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class Workbench;

// Followed by the file's path when a workspace cannot be loaded.
inline const std::string kBadWorkspaceText = "Workspace file is BAD: ";
class CommandTable;

// Kind 1: the command. The target is `path` when given, else the save
// dialog interactively, else the batch title; the file is compressed.
// Kind 0: autosave, uncompressed, to a new BACKUP/wsfXXXXXX.tmp; the
// previous backup of this run is deleted once the new one is complete.
// Nothing happens without a loaded set. Every target is replaced atomically,
// so a failed save leaves the previous file; the command says why it failed
// (reportWriteFailure), autosave stays silent. True when a file was written.
bool saveWorkspace(Workbench& wb, int kind, const std::optional<std::string>& path = std::nullopt);

// Kind 1: the command or the batch loader. The file is `path` when given,
// else the open dialog interactively, else the batch title; its folder
// becomes "LastDir". Interactively a loaded set is replaced: after the file
// is chosen the close question is asked (a Cancel stops), and the set is
// closed only when the new workspace has been read in full; a chosen file
// that does not load is refused with a message. Kind 0: start-up recovery of the newest loadable
// BACKUP/wsf*.tmp, which becomes the run's temporary workspace.
// Returns 1 when a workspace was loaded, else 0 (without a message except
// as above); a file starting with neither magic returns 0 so callers can
// try other readers.
int loadWorkspace(Workbench& wb, int kind, const std::optional<std::string>& path = std::nullopt);

// Adds the workspace held in `bytes` (either file form) to the workbench
// and refreshes it as after a load. All or nothing: a damaged or truncated
// workspace adds nothing and leaves the set as it was.
bool restoreWorkspace(Workbench& wb, std::vector<uint8_t> bytes);

// Start-up without a file argument: loads the left-over backup, if any.
int recoverAutosave(Workbench& wb);

// Folder of the autosave backups.
std::string backupFolder(const Workbench& wb);
// A new backup name in that folder (created when missing); empty when none
// can be had. The file itself appears only when a backup is renamed there.
std::string newBackupFile(const Workbench& wb);
// A complete backup at `path` becomes the run's temporary workspace; the
// previous one is deleted.
void adoptBackup(Workbench& wb, const std::string& path);

// Registers 185 and 186.
void registerWorkspaceCommands(CommandTable& t);

} // namespace qm
