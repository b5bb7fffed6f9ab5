// State of the loaded scan set: what happens after a load, the mixed-set
// check, the active-scan synchronisation, Close, groups and removal.
#include "app/workbench.h"

#include "app/set_fingerprint.h"
#include "app/text_format.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

constexpr int kAppendLimit = 250; // above this "Append..." and dropping stop
constexpr int kMaxListFrequencies = 15;

// Directory part of a path: everything before the last separator.
std::string directoryPart(const std::string& path)
{
    const std::size_t cut = path.find_last_of("/\\");
    if (cut == std::string::npos)
        return {};
    return path.substr(0, cut == 0 ? 1 : cut);
}

// A float group mode as the integer the batch commands pass on.
int truncMode(float mode)
{
    if (!(mode > -2147483648.0f && mode < 2147483648.0f))
        return 0;
    return static_cast<int>(mode);
}

} // namespace

void Workbench::afterLoad(const std::string& loadedPath, const FreshFingerprints& fresh)
{
    if (scans.empty())
        return;
    if (!setLoaded && !loadedPath.empty())
        nameSet(loadedPath);
    scans.sort();
    setLoaded = true;
    activeScan = scans.head();
    magField.clear(); // the field positions belong to the set they were found on
    viewBegin = 1;
    viewEnd = activeScan->nPoints - 2;
    enableDataCommands(true);
    setEnabled(161, false);
    setEnabled(108, false); // the head has no lower neighbour
    setEnabled(149, !settings.commandList.empty());
    const bool roomy = scans.count() <= kAppendLimit;
    setEnabled(172, roomy);
    acceptDrops = roomy;
    checkMixedSet();
    syncActive();
    const std::string dir = directoryPart(loadedPath);
    if (!dir.empty()) {
        settings.lastDir = dir;
        store().writeText("LastDir", dir);
    }
    markSaved(fresh);
    ui().stateChanged();
}

void Workbench::nameSet(const std::string& path)
{
    const std::size_t cut = path.find_last_of("/\\");
    setName_ = cut == std::string::npos ? path : path.substr(cut + 1);
}

bool Workbench::unsavedChanges() const
{
    return unsavedMark_ || setFingerprint(scans) != savedFingerprint_;
}

void Workbench::markSaved(const FreshFingerprints& fresh)
{
    savedFingerprint_ = setFingerprint(scans, fresh);
    unsavedMark_ = false;
}

void Workbench::markUnsaved() { unsavedMark_ = true; }

bool Workbench::confirmDiscard(bool reportsToo)
{
    if (!interactiveMode)
        return true;
    const bool setUnsaved = !scans.empty() && unsavedChanges();
    if (!setUnsaved && !(reportsToo && ui_.unsavedReports()))
        return true;
    const int answer = ui_.messageBox(kDeleteAllText, "Information", MsgButtons::SaveDiscardCancel,
                                      MsgIcon::Information);
    if (answer == kCancel)
        return false;
    if (answer != kYes || !setUnsaved)
        return true;
    // "Save": the workspace command with its dialog; the set goes only when
    // the save went through.
    if (const CommandHandler* save = commands_.handler(185)) {
        const CommandHandler run = *save;
        guardMemory([&] { run(*this); });
    }
    return !unsavedChanges();
}

void Workbench::checkMixedSet()
{
    bool mixed = false;
    if (const ScanRecord* h = scans.head()) {
        for (const auto& r : scans) {
            if (r->nPoints != h->nPoints || r->step != h->step || r->hasI() != h->hasI() || r->hasV() != h->hasV()) {
                mixed = true;
                break;
            }
        }
    }
    mixedSet = mixed;
    setEnabled(135, !mixed && setLoaded);
    setEnabled(144, !mixed && setLoaded);
    setEnabled(106, !mixed && setLoaded);
    setEnabled(177, !mixed);
    if (mixed) {
        // One shown range cannot serve scans of different lengths, so ALL
        // mode would walk past the end of the shorter ones.
        allMode = false;
        if (view.localGraph) {
            if (const CommandHandler* h = commands().handler(177))
                (*h)(*this);
            view.localGraph = false;
            setChecked(177, false);
        }
    }
    ui().stateChanged();
}

void Workbench::syncActive()
{
    if (activeScan && !scans.contains(activeScan))
        activeScan = nullptr;
    if (!activeScan)
        activeScan = scans.head();
    ScanRecord* a = activeScan;
    if (!a) {
        toolBeamText.clear();
        toolStepText.clear();
        setEnabled(107, false);
        setEnabled(108, false);
        updateRlIndicator();
        ui().stateChanged();
        return;
    }
    if (mixedSet) {
        viewBegin = 1;
        viewEnd = a->nPoints - 2;
        if (a->hasI() != a->hasV()) {
            if (chkWrkI || chkWrkV)
                chkWrkI = chkWrkV = true;
            if (chkDataI || chkDataV)
                chkDataI = chkDataV = true;
        }
    }
    // The shown range always lies inside the active scan.
    const int last = std::max(0, a->nPoints - 1);
    viewEnd = std::clamp(viewEnd, 0, last);
    viewBegin = std::clamp(viewBegin, 0, viewEnd);
    if (!a->wrkI())
        chkWrkI = false;
    if (!a->wrkV())
        chkWrkV = false;
    if (!a->dataI())
        chkDataI = false;
    if (!a->dataV())
        chkDataV = false;
    toolBeamText = beamFieldText(a->beamHalfsize, settings.unitAxisX);
    toolStepText = stepFieldText(a->step, settings.unitAxisX);
    setEnabled(107, scans.next(a) != nullptr);
    setEnabled(108, scans.prev(a) != nullptr);
    updateRlIndicator();
    ui().stateChanged();
}

void Workbench::setActive(ScanRecord* r)
{
    if (r && !scans.contains(r))
        return;
    activeScan = r;
    syncActive();
}

void Workbench::stepActive(int id)
{
    if (!activeScan)
        return;
    ScanRecord* to = id == 107 ? scans.next(activeScan) : id == 108 ? scans.prev(activeScan) : nullptr;
    if (to)
        setActive(to);
}

void Workbench::closeSet(bool ask)
{
    if (ask && !scans.empty() && !confirmDiscard(false))
        return;
    setLoaded = false;
    mixedSet = false;
    chkDataI = chkDataV = true;
    chkWrkI = chkWrkV = false;
    view.equalScale = false;
    setChecked(152, false);
    view.fullScanWindow = false;
    setChecked(169, false);
    view.localGraph = false;
    setChecked(177, false);
    setEnabled(177, true); // greyed only while a mixed set is loaded
    allMode = false;
    view.sunDisk = view.digFrame = view.fitsImage = false;
    interaction = InteractionMode::None;
    for (const auto& forget : closeHooks)
        forget(*this);
    toolBeamText.clear();
    toolStepText.clear();
    rlIndicatorEnabled = rlIndicatorSet = false;
    activeScan = nullptr;
    groupScans.clear();
    int remaining = scans.count();
    while (ScanRecord* h = scans.head()) {
        scans.remove(h);
        --remaining;
    }
    if (remaining != 0)
        message("Number != 0");
    setGroupView(0);
    enableDataCommands(false);
    acceptDrops = true;
    if (!tempWorkspace.empty()) {
        std::error_code ec;
        std::filesystem::remove(tempWorkspace, ec);
        tempWorkspace.clear();
    }
    viewBegin = viewEnd = 0;
    setName_.clear();
    markSaved();
    redraw();
    ui().stateChanged();
}

void Workbench::enableDataCommands(bool on)
{
    for (const CommandInfo& c : commands().all())
        if (isDataCommand(c.id))
            setEnabled(c.id, on);
    setEnabled(100, !on);
    dataMenusEnabled = on;
    ui().stateChanged();
}

void Workbench::setGroupView(int mode)
{
    const bool on = mode >= 1 && mode <= 3 && groupScans.size() >= 2;
    if (on && mode == 1 && groupCount() > kMaxArrayView)
        mode = 3;
    groupMode = on ? mode : 0;
    ui().setTitle(on ? "Quillmar : group of scans" : "Quillmar");
    setChecked(135, on);
    setEnabled(111, !on && setLoaded);
    setEnabled(172, !on && setLoaded && scans.count() <= kAppendLimit);
    setEnabled(161, on);
    if (on) {
        if (!chkWrkI && !chkWrkV)
            chkWrkI = chkWrkV = true;
        syncActive();
    }
    ui().stateChanged();
}

int Workbench::selectGroupByRange(float mode, float f1, float f2)
{
    std::vector<ScanRecord*> taken;
    for (const auto& r : scans) {
        if (r->frequency < f1)
            continue;
        if (!(r->frequency < f2) || static_cast<int>(taken.size()) == kMaxGroup)
            break;
        taken.push_back(r.get());
    }
    if (taken.size() < 2)
        return 0;
    groupScans = std::move(taken);
    ui().stateChanged();
    return truncMode(mode);
}

int Workbench::selectGroupByList(const std::string& text, float mode, float exactness)
{
    float f[kMaxListFrequencies];
    const std::string terminated = text.substr(0, text.find('\0'));
    const int n = std::sscanf(terminated.c_str(), "%f %f %f %f %f %f %f %f %f %f %f %f %f %f %f", &f[0], &f[1],
                              &f[2], &f[3], &f[4], &f[5], &f[6], &f[7], &f[8], &f[9], &f[10], &f[11], &f[12],
                              &f[13], &f[14]);
    if (n < 2)
        return 0;
    std::vector<float> freqs(f, f + std::min(n, kMaxListFrequencies));
    std::sort(freqs.begin(), freqs.end());
    std::vector<ScanRecord*> found;
    for (float freq : freqs) {
        ScanRecord* r = exactness != 0 ? scans.findExact(freq) : scans.findAtOrAbove(freq);
        // A scan named twice is taken once, or ALL-mode operations would
        // process it twice.
        if (r && std::find(found.begin(), found.end(), r) == found.end())
            found.push_back(r);
    }
    if (found.size() < 2)
        return 0;
    groupScans = std::move(found);
    ui().stateChanged();
    return truncMode(mode);
}

void Workbench::removeScan(ScanRecord* r)
{
    if (!r || !scans.contains(r))
        return;
    const auto inGroup = std::find(groupScans.begin(), groupScans.end(), r);
    if (groupMode != 0) {
        groupScans.erase(std::remove(groupScans.begin(), groupScans.end(), r), groupScans.end());
        if (groupScans.size() < 2)
            setGroupView(0);
    } else if (inGroup != groupScans.end()) {
        groupScans.clear();
    }
    if (activeScan == r) {
        ScanRecord* before = scans.prev(r);
        activeScan = before ? before : scans.next(r);
    }
    scans.remove(r);
    if (scans.empty()) {
        closeSet(false);
        return;
    }
    const bool roomy = scans.count() <= kAppendLimit;
    setEnabled(172, roomy && groupMode == 0 && setLoaded);
    acceptDrops = roomy;
    checkMixedSet();
    syncActive();
}

void Workbench::updateRlIndicator()
{
    const ScanRecord* a = activeScan;
    rlIndicatorEnabled = setLoaded && a != nullptr;
    rlIndicatorSet = rlIndicatorEnabled && a->flagIvWrk != 0 && rlUnbalanced(a->wrkI(), a->wrkV(), a->nPoints);
}

} // namespace qm
