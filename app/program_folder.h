#pragma once
// Where the program finds its own files and where it writes for the user.
#include <string>

namespace qm {

// The folder that holds the data tables, the command catalogue and the
// help page: $QUILLMAR_HOME when set; else <prefix>/share/quillmar when
// the running executable is installed in <prefix>/bin; else the folder of
// the executable (a build tree).
std::string programFolder();

// The folder the program writes its own files into (autosave backups,
// scripts): the program folder when it is writable, else the user's data
// folder $XDG_DATA_HOME/quillmar (~/.local/share/quillmar). Not created here.
std::string writableProgramFolder(const std::string& programDir);

// The user's home folder: $HOME, else the password database's entry.
std::string homeFolder();

} // namespace qm
