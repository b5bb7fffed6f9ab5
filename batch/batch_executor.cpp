#include "batch/batch_executor.h"

#include "app/output_folder.h"
#include "app/page_types.h"
#include "app/settings.h"
#include "app/workbench.h"
#include "batch/batch_state.h"
#include "batch/title_template.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>

namespace qm {

namespace {

constexpr float kDefaultNoise = 10.0f;
constexpr float kDefaultMinYscale = 100.0f;

// Truncates v toward zero after holding it to [lo, hi]; NaN gives lo.
int truncHeld(double v, int lo, int hi)
{
    if (std::isnan(v))
        return lo;
    return static_cast<int>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
}

std::string joinFolder(const std::string& folder, const std::string& name)
{
    return (std::filesystem::path(folder) / name).string();
}

// The file of 101 and 185: the title in the output folder, else prefix and
// base name with the command's extension.
std::string outputPath(const Workbench& wb, const std::string& title, const std::string& prefix,
                       const std::string& base, const char* extension)
{
    if (!title.empty())
        return joinFolder(wb.settings.output, title);
    return joinFolder(wb.settings.output, prefix + base + extension);
}

// The title with its first "%s" replaced by the base name.
std::string firstPlaceholderFilled(std::string title, const std::string& base)
{
    if (const std::size_t at = title.find("%s"); at != std::string::npos)
        title.replace(at, 2, base);
    return title;
}

// The file of 141: the title with its first "%s" replaced by the base name,
// else prefix and base name with the extension of the page type.
std::string pagePath(const Workbench& wb, const BatchCommand& c, const std::string& prefix, const std::string& base)
{
    const PageType* type = pageType(argInt(c.args[2]));
    return outputPath(wb, firstPlaceholderFilled(c.title, base), prefix, base, type ? type->extension : "");
}

void selectScan(Workbench& wb, ScanRecord* r, Selection& last)
{
    last = r ? Selection::Found : Selection::NotFound;
    if (r)
        wb.setActive(r);
}

} // namespace

int argInt(float a)
{
    if (!std::isfinite(a))
        return 0;
    return truncHeld(a, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
}

void setViewRange(Workbench& wb, double b, double e)
{
    const ScanRecord* a = wb.activeScan;
    if (!a || !std::isfinite(b) || !std::isfinite(e))
        return;
    if (b == e)
        b -= 1;
    e += 1;
    const int last = std::max(0, a->nPoints - 1);
    wb.viewEnd = e < a->nPoints ? truncHeld(e, 0, last) : last;
    wb.viewBegin = b > 0 ? truncHeld(b, 0, wb.viewEnd) : std::min(1, wb.viewEnd);
    wb.ui().stateChanged();
}

void runInternalCommand(Workbench& wb, const BatchCommand& c, Selection& lastSelection)
{
    const float a1 = c.args[0], a2 = c.args[1], a3 = c.args[2];
    const bool on = argInt(a1) != 0;
    ScanRecord* active = wb.activeScan;
    switch (c.number) {
    case 0:
        break;
    case 1:
        if (!wb.mixedSet)
            wb.allMode = on;
        else if (on) // the commands that follow would work on one scan only
            wb.fail("ALL mode is not available for scans of different lengths");
        break;
    case 2: wb.chkDataI = on; break;
    case 3: wb.chkDataV = on; break;
    case 4: wb.chkWrkI = on; break;
    case 5: wb.chkWrkV = on; break;
    case 6: // range in solar radii around the disk centre
        if (active && active->step != 0)
            setViewRange(wb, static_cast<double>(active->radius) * a1 / active->step + active->centerPoint,
                         static_cast<double>(active->radius) * a2 / active->step + active->centerPoint);
        break;
    case 7: // range in points; a negative end counts from the last point
        if (active)
            setViewRange(wb, a1, a2 < 0 ? active->nPoints + static_cast<double>(a2) : a2);
        break;
    case 8: selectScan(wb, wb.scans.findExact(a1), lastSelection); break;
    case 19: selectScan(wb, wb.scans.findAtOrAbove(a1), lastSelection); break;
    case 9: wb.view.digFrame = on; break;
    case 10:
        wb.view.equalScale = on;
        wb.setChecked(152, on);
        break;
    case 11: wb.view.sunCenter = on; break;
    case 12: wb.view.titleParts = argInt(a1); break;
    case 13: wb.view.colour = on; break;
    case 14: wb.view.residual = on; break;
    case 15: wb.view.groupList = on; break;
    case 16: wb.view.listOutside = on; break;
    case 17: {
        const int mode = argInt(a1);
        wb.setGroupView(mode);
        if (mode == 0)
            wb.groupScans.clear();
        break;
    }
    case 18: wb.setGroupView(wb.selectGroupByList(c.title, a1, a2)); break;
    case 20: wb.settings.gaussNoise = a1 > 0 ? a1 : kDefaultNoise; break;
    case 21: {
        // The folders of the running packet or script hold for the whole run.
        Settings reread = loadSettings(wb.store(), wb.programDir);
        reread.output = wb.settings.output;
        reread.lastDir = wb.settings.lastDir;
        wb.settings = std::move(reread);
        wb.autosaveTicks = wb.settings.autoTime;
        break;
    }
    case 22: wb.setGroupView(wb.selectGroupByRange(a1, a2, a3)); break;
    case 23: wb.view.sunDisk = on; break;
    case 24: wb.settings.minYscaleV = a1 > 0 ? a1 : kDefaultMinYscale; break;
    case 25: wb.settings.minYscaleI = a1 > 0 ? a1 : kDefaultMinYscale; break;
    case 26: // a folder that cannot be used keeps the old one, and says why
        if (const std::string why = prepareFolder(c.title); why.empty())
            wb.settings.output = c.title;
        else
            wb.fail(why);
        break;
    case 27: wb.view.fitsImage = on; break;
    default:
        return;
    }
    wb.ui().stateChanged();
}

std::string failureLine(const CommandFailure& f) { return "!" + f.name + " " + f.reason; }

std::vector<CommandFailure> executeCommandList(Workbench& wb, const std::vector<BatchCommand>& list,
                                               const std::string& prefix, const std::string& base)
{
    std::vector<CommandFailure> failures;
    wb.chkWrkI = wb.chkWrkV = true;
    wb.view.confirmAll = false;
    wb.ui().stateChanged();
    Selection lastSelection = Selection::None;
    int& counter = batchState(wb).titleCounter;

    for (const BatchCommand& entry : list) {
        wb.ui().stateChanged();
        wb.batchArgs = entry.args;
        wb.batchTitle = entry.title;
        BatchCommand c = entry;
        if (c.number < 0) {
            if (lastSelection != Selection::Found)
                continue;
            c.number = -c.number;
        }
        c.title = expandTitle(c.title, counter, wb.activeScan).substr(0, kTitleBufferSize - 1);
        wb.batchTitle = c.title;
        if (c.number == kSaveWorksheetId)
            wb.batchTitle = outputPath(wb, c.title, prefix, base, c.args[1] != 0 ? ".fit" : ".0hd");
        else if (c.number == kSaveWorkspaceId)
            wb.batchTitle = outputPath(wb, c.title, prefix, base, ".wsf");
        else if (c.number == kExportPageId)
            wb.batchTitle = pagePath(wb, c, prefix, base);
        else if (c.number == kSurf3dId)
            wb.batchTitle = outputPath(wb, firstPlaceholderFilled(c.title, base), prefix, base,
                                       argInt(c.args[0]) == 1 ? ".fit" : ".bmp");
        wb.batchTitle = wb.batchTitle.substr(0, kTitleBufferSize - 1);

        wb.takeFailures(); // anything recorded before this command is not its own
        if (c.number <= kLastInternalCommand)
            runInternalCommand(wb, c, lastSelection);
        else
            wb.dispatch(c.number);
        for (std::string& reason : wb.takeFailures())
            failures.push_back({c.name.empty() ? std::to_string(c.number) : c.name, std::move(reason)});
    }
    return failures;
}

} // namespace qm
