#pragma once
#include <string>

namespace qm {

// The folder beside the programs that holds the data tables, BACKUP and the
// scripts: $QUILLMAR_HOME when set, else the folder of the running executable.
std::string programFolder();

} // namespace qm
