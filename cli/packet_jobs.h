#pragma once
// A packet run by several worker processes (`quillmar-batch --jobs N`).
// The run writes what a serial run of the packet writes: the log lists the
// files in packet order with the same lines, report texts are appended in
// file order and the "%d" title counter takes the values it takes there.
#include "batch/packet_run.h"

#include <functional>
#include <memory>
#include <string>

namespace qm {

class HeadlessWorkbench;

// Makes the workbench a process runs its files on (settings, working
// folder, plug-ins as for a serial run).
using WorkbenchMaker = std::function<std::unique_ptr<HeadlessWorkbench>()>;

// Runs the packet over `jobs` worker processes, each with its own
// workbench made by `make`; `parent` reads the packet and reports. A worker
// that dies leaves its file logged "-Bad:(" and the others go on.
PacketRun runPacketJobs(HeadlessWorkbench& parent, const std::string& packet, int jobs, const WorkbenchMaker& make);

// Test hook: a worker about to run the file of this name (the packet's
// list entry) kills itself with SIGKILL, so tests can check what a crash
// leaves.
inline constexpr const char* kJobFaultVariable = "QUILLMAR_JOB_FAULT";

} // namespace qm
