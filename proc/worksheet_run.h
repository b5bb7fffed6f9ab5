#pragma once
// The common run that worksheet operations share: preconditions, the
// ALL-mode confirmation, the number prompt, and the walk over the target
// scans with the progress "Scan modification".
#include "app/scan_record.h"
#include "app/text_format.h"

#include <functional>
#include <optional>
#include <vector>

namespace qm {

class Workbench;

struct WorksheetRunSpec {
    const char* prompt = nullptr;   // number asked for; null when none
    bool pairedData = false;        // Data switch must equal the Worksheet switch per channel (1050)
    const char* question = nullptr; // extra OK/Cancel question ("Attention") after the ALL confirmation
};

// Steps 1 to 4: 1001 (and 1050), the ALL-mode confirmation, the extra
// question, the number. An operation that asks a number checks the switches
// in interactive use only. A cancelled or unparsable answer, or one that is
// not a finite number, stops silently. Returns the number (0 when none is
// asked), or nullopt when the operation must stop.
std::optional<float> prepareWorksheetRun(Workbench& wb, const WorksheetRunSpec& spec);

// Steps 5 to 7: applies `op` to every target scan, with the progress
// dialog "Scan modification" in ALL mode, then redraws.
void runOnTargets(Workbench& wb, const std::function<void(ScanRecord&)>& op);

// One channel of a scan as the operations see it.
struct ChannelArrays {
    float* wrk = nullptr;  // Worksheet array
    float* data = nullptr; // Data array of the same channel
    bool dataOn = false;   // the channel's Data switch
};

// The worksheets whose switch is on, channel 1 first; absent channels are
// left out.
std::vector<ChannelArrays> selectedWorksheets(const Workbench& wb, ScanRecord& scan);

// The selected part [begin, end) of the shown range, bounded to a scan of
// n points; empty (begin == end) when the range is reversed.
struct PointSpan {
    int begin = 0, end = 0;
};
PointSpan selectedSpan(const Workbench& wb, int n);

} // namespace qm
