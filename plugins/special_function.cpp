// The run of a plug-in item: one call per checked channel of every target
// scan with a record describing the scan. Every call sits behind a copy of
// the channel, so a plug-in that throws leaves that channel as it was.
#include "app/text_format.h"
#include "app/workbench.h"
#include "files/workspace_file.h"
#include "plugins/plugin_host.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <vector>

namespace qm {

namespace {

// The fixed text fields of a scan need not end in a zero byte.
std::string fieldText(const char* s, std::size_t size) { return std::string(s, strnlen(s, size)); }

} // namespace

bool PluginHost::callPlugin(const PluginModule& m, QmHostServices* host, SpecFuncBlock& b, std::string& error)
{
    const std::vector<float> before(b.data, b.data + b.nPoints);
    try {
        m.select(host, &b); // its result is not looked at
        return true;
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unknown exception";
    }
    std::copy(before.begin(), before.end(), b.data);
    return false;
}

const char* PluginHost::resultOf(const SpecFuncBlock& b) const
{
    for (const auto& [text, size] : texts_)
        if (text.get() == b.resultText && strnlen(text.get(), size + 1) <= size)
            return text.get();
    return nullptr;
}

void PluginHost::run(int id)
{
    Workbench& wb = wb_;
    if (!wb.requireWorksheetSelected()) {
        wb.fail("WORKSHEET is not checked");
        return;
    }
    const auto [k, local] = pluginSlot(id);
    if (k < 0 || k >= static_cast<int>(modules_.size()) || !wb.activeScan)
        return; // an identifier no plug-in registered (batch lists may name any)
    const PluginModule& m = modules_[static_cast<std::size_t>(k)];
    if (!m.select) {
        const std::string text = "Error locating procedures in module\n" + m.path;
        wb.refuse(text);
        return;
    }
    if (!wb.confirmAllMode())
        return;

    const std::vector<ScanRecord*> targets = wb.targets();
    wb.progressOpen("Special function", wb.allMode ? static_cast<int>(targets.size()) : 2, true);
    if (wb.interactiveMode)
        saveWorkspace(wb, 0); // a crashing plug-in cannot be caught: the set is kept as the timer keeps it
    const CrashNote crashNote(m.path, "SelectDllFunction");

    HostServicesHandle services = makeHostServices(*this, wb.interactiveMode);
    SpecFuncBlock b;
    std::memset(&b, 0, sizeof b);
    b.firstPoint = wb.viewBegin;
    b.lastPoint = wb.viewEnd;
    b.funcId = local;
    b.firstCall = 1;
    b.noiseLevel = wb.settings.gaussNoise;
    b.mainWindow = &services.api;

    // Between calls the progress dialog gets its turn; Abort ends the run.
    auto aborted = [&wb] {
        if (wb.interactiveMode && wb.ui().pump())
            wb.cancelFlag = kProgressAborted;
        return wb.cancelFlag == kProgressAborted;
    };
    bool complete = true;
    std::string error;
    for (ScanRecord* r : targets) {
        const std::string object = fieldText(r->object, sizeof r->object);
        const std::string dateObs = fieldText(r->dateObs, sizeof r->dateObs);
        const std::string timeObs = fieldText(r->timeObs, sizeof r->timeObs);
        b.nPoints = r->nPoints;
        b.object = object.c_str();
        b.dateObs = dateObs.c_str();
        b.timeObs = timeObs.c_str();
        b.frequency = r->frequency;
        b.step = r->step;
        b.scan = r;
        for (const bool channelV : {false, true}) {
            b.data = channelV ? r->wrkV() : r->wrkI();
            if ((channelV ? wb.chkWrkV : wb.chkWrkI) && b.data && !callPlugin(m, &services.api, b, error)) {
                const std::string text = "Error in plug-in module\n" + m.path + "\n" + error;
                wb.refuse(text, "Information", MsgIcon::Error);
                complete = false;
            }
            if (!complete || aborted() || (!wb.allMode && !wb.progressStep())) {
                complete = false;
                break;
            }
        }
        if (!complete)
            break;
        if (wb.allMode) {
            wb.status(format("Special function of scan %.2f[GHz] is end", static_cast<double>(r->frequency)));
            if (!wb.progressStep())
                break;
        }
    }
    if (complete)
        if (const char* text = resultOf(b))
            wb.deliverReport(fieldText(b.resultTitle, sizeof b.resultTitle), text);
    texts_.clear();
    wb.progressClose();
    wb.redraw();
}

} // namespace qm
