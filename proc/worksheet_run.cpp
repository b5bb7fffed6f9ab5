#include "proc/worksheet_run.h"

#include "app/workbench.h"

#include <algorithm>
#include <cmath>

namespace qm {

std::optional<float> prepareWorksheetRun(Workbench& wb, const WorksheetRunSpec& spec)
{
    const bool checkSwitches = wb.interactiveMode || !spec.prompt;
    if (checkSwitches) {
        if (!wb.requireWorksheetSelected())
            return std::nullopt;
        if (spec.pairedData && (wb.chkDataI != wb.chkWrkI || wb.chkDataV != wb.chkWrkV)) {
            wb.refuse("Must to check Data and Wrksh (I or V)");
            return std::nullopt;
        }
    }
    if (!wb.confirmAllMode())
        return std::nullopt;
    if (spec.question &&
        wb.message(spec.question, "Attention", MsgButtons::OkCancel, MsgIcon::Warning) == kCancel)
        return std::nullopt;
    if (!spec.prompt)
        return 0.0f;
    const auto n = wb.askNumber(spec.prompt);
    if (!n || !std::isfinite(*n))
        return std::nullopt;
    return n;
}

void runOnTargets(Workbench& wb, const std::function<void(ScanRecord&)>& op)
{
    wb.forEachTarget("Scan modification", [&](ScanRecord& scan) {
        op(scan);
        return true;
    });
}

std::vector<ChannelArrays> selectedWorksheets(const Workbench& wb, ScanRecord& scan)
{
    std::vector<ChannelArrays> out;
    if (wb.chkWrkI && scan.wrkI())
        out.push_back({scan.wrkI(), scan.dataI(), wb.chkDataI});
    if (wb.chkWrkV && scan.wrkV())
        out.push_back({scan.wrkV(), scan.dataV(), wb.chkDataV});
    return out;
}

PointSpan selectedSpan(const Workbench& wb, int n)
{
    const int last = std::max(n, 0);
    PointSpan s;
    s.begin = std::clamp(wb.viewBegin, 0, last);
    s.end = std::clamp(wb.viewEnd, s.begin, last);
    return s;
}

} // namespace qm
