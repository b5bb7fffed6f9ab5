// The command dispatcher: help and About always work, the interaction modes
// of the plot block everything else, script and plug-in ids go to their
// hooks, and the remaining ids run their handler from the command table.
#include "app/busy_cursor.h"
#include "app/set_fingerprint.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <unordered_map>

namespace qm {

namespace {

constexpr int kLastTableId = 202;   // 203..5000 are not commands
constexpr int kFirstScriptId = 5001;
constexpr int kNoPluginId = 10000;  // "Spec.Func: None" does nothing

// Commands that work only through a dialog or the mouse. In a packet or a
// script they would do nothing, so they are refused there.
constexpr int kInteractiveOnly[] = {99, 100, 117, 118, 139, 147, 148, 172, 183, 194};

bool interactiveOnly(int id)
{
    for (int i : kInteractiveOnly)
        if (i == id)
            return true;
    return false;
}

// Runs the handler of a table command, then the synchronisation and redraw
// its table entry asks for. A handler that runs out of memory is stopped
// there; the program goes on.
void runCommand(Workbench& wb, int id)
{
    const CommandInfo* info = wb.commands().info(id);
    const CommandHandler* handler = wb.commands().handler(id);
    if (!handler) {
        if (info)
            wb.fail("Not available yet");
        return;
    }
    const CommandHandler run = *handler; // the handler may re-register itself
    wb.guardMemory([&] { run(wb); });
    if (info && info->sync)
        wb.syncActive();
    if (info && info->redraw)
        wb.redraw();
}

const char* blockingMessage(InteractionMode m)
{
    switch (m) {
    case InteractionMode::Calibration:
        return "Calibration is ON";
    case InteractionMode::PointChoice:
    case InteractionMode::GaussChoice:
        return "Coice of points is ON";
    case InteractionMode::AmplifCorrection:
        return "Correction of Amplif is ON";
    case InteractionMode::SplinePoints:
        return "Coice of Spline points";
    case InteractionMode::None:
        break;
    }
    return nullptr;
}

} // namespace

void Workbench::runAndReport(int id)
{
    const CommandInfo* info = commands_.info(id);
    if (!interactiveMode || !setLoaded || !info || !info->dataCommand) {
        runCommand(*this, id);
        return;
    }
    std::unordered_map<const ScanRecord*, uint64_t> before;
    for (const auto& r : scans)
        before.emplace(r.get(), scanFingerprint(*r));
    const int said = statusCount_;
    lastAnswer_.reset();
    runCommand(*this, id);
    if (statusCount_ != said || !failures_.empty())
        return;
    int changed = 0;
    for (const auto& r : scans) {
        const auto it = before.find(r.get());
        changed += it == before.end() || it->second != scanFingerprint(*r);
    }
    if (changed == 0)
        return;
    std::string text = info->caption;
    if (lastAnswer_)
        text += format(" %g", double(*lastAnswer_));
    status(text + format(changed == 1 ? " on %d scan" : " on %d scans", changed));
}

int Workbench::dispatch(int id)
{
    // Loads, saves, operations, packets and scripts all arrive here: each
    // runs under the wait cursor.
    if (commandHolds_ > 0)
        return 0;
    const BusyCursor busy(ui_);
    // Interactive failures are shown on the spot; only batch runs collect
    // them for their logs.
    if (interactiveMode)
        failures_.clear();
    switch (id) {
    case 105: // "Main help"
    case 104: // "About..."
    case 140: // spline apply/end, sent by the "Koeff of spline" dialog
        runCommand(*this, id);
        return 0;
    case 5555: // a new shown range from the "Scale & Position" dialog
        redraw();
        return 0;
    default:
        break;
    }
    if (interaction == InteractionMode::SplinePoints) {
        refuse(blockingMessage(interaction));
        return 0;
    }
    if (id == 2) {
        runCommand(*this, id);
        return 0;
    }
    // Gauss Flux and Local spectrum reach their handlers, which do nothing
    // while positions are being picked.
    const bool picking = interaction == InteractionMode::GaussChoice && (id == 124 || id == 175);
    if (interaction != InteractionMode::None && !picking) {
        refuse(blockingMessage(interaction));
        return 0;
    }
    if (id > kNoPluginId) {
        if (pluginHook)
            guardMemory([&] { pluginHook(*this, id); });
        return 0;
    }
    if (id >= kFirstScriptId) {
        if (id < kNoPluginId && scriptHook)
            guardMemory([&] { scriptHook(*this, id); });
        return 0;
    }
    if (id < 9 || id > kLastTableId)
        return 0;
    if (id == 163 || id == 164) // read-only tool bar fields
        return 0;
    // Items that need data are greyed without a set; commands arriving from
    // packets and scripts are refused.
    if (isDataCommand(id) && !setLoaded) {
        fail("No data are loaded");
        return 0;
    }
    if (!interactiveMode && interactiveOnly(id)) {
        fail("Not available in batch mode");
        return 0;
    }
    runAndReport(id);
    return 0;
}

} // namespace qm
