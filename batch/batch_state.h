#pragma once
// What the batch subsystem keeps for the life of a workbench: the title
// counter, the Script menu, the command line of a "-pk" start, guards
// against runs nested inside runs, and the clock of the progress estimate.
#include "batch/script_menu.h"

#include <functional>
#include <string>

namespace qm {

class Workbench;

struct BatchState {
    int titleCounter = 0;      // "%d" of command titles; never reset
    ScriptMenu scriptMenu;
    std::string commandLine;   // of a start with "-pk"
    bool packetRunning = false;
    int scriptDepth = 0;
    bool quickListRunning = false;
    // Local time of day in seconds; tests put in their own clock.
    std::function<double()> clockSeconds;
};

// The workbench's batch state, made on first use.
BatchState& batchState(Workbench& wb);

// Seconds since local midnight, milliseconds included.
double localSecondsOfDay();

} // namespace qm
