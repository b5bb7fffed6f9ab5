#pragma once
// The example scripts a first start puts into the script folder, so that
// the Script menu of a new user is not empty.
#include <string>

namespace qm {

class Workbench;

// The folder beside the programs that holds the example scripts.
inline constexpr const char* kExampleScriptsFolder = "ExampleScripts";

// When the script folder does not exist yet, creates it and copies the
// example scripts into it. A folder that exists is the user's and is left
// alone, even when empty. True when scripts were copied.
bool provideExampleScripts(Workbench& wb);

} // namespace qm
