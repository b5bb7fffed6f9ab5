#include "app/workbench.h"

#include "app/text_format.h"

#include <filesystem>
#include <new>
#include <stdexcept>
#include <utility>

namespace qm {

Workbench::Workbench(UiPort& ui, SettingsStore& store, std::string dir)
    : programDir(std::move(dir)), ui_(ui), store_(store)
{
    settings = loadSettings(store_, programDir);
    autosaveTicks = settings.autoTime;
    enableDataCommands(false);
    markSaved();
}

Workbench::~Workbench()
{
    if (!tempWorkspace.empty()) {
        std::error_code ec;
        std::filesystem::remove(tempWorkspace, ec);
    }
}

bool Workbench::isEnabled(int id) const
{
    auto it = enabled_.find(id);
    return it == enabled_.end() ? true : it->second;
}

bool Workbench::isChecked(int id) const { return checked_.count(id) != 0; }

void Workbench::setEnabled(int id, bool on) { enabled_[id] = on; }

void Workbench::setChecked(int id, bool on)
{
    if (on)
        checked_.insert(id);
    else
        checked_.erase(id);
}

int Workbench::message(const std::string& text, const std::string& caption, MsgButtons buttons, MsgIcon icon)
{
    if (!interactiveMode) {
        ui_.suppressedMessage(text, buttons != MsgButtons::Ok);
        return kBatchAnswer;
    }
    return ui_.messageBox(text, caption, buttons, icon);
}

std::optional<float> Workbench::askNumber(const std::string& prompt, int argIndex)
{
    if (!interactiveMode)
        return batchArgs[static_cast<std::size_t>(argIndex & 3)];
    auto text = ui_.askText(prompt);
    float v;
    if (!text || !scanFloat(*text, v))
        return std::nullopt;
    lastAnswer_ = v;
    return v;
}

std::optional<int> Workbench::askInteger(const std::string& prompt, int argIndex)
{
    if (!interactiveMode)
        return truncToInt(batchArgs[static_cast<std::size_t>(argIndex & 3)]);
    auto text = ui_.askText(prompt);
    int v;
    if (!text || !scanInt(*text, v))
        return std::nullopt;
    lastAnswer_ = static_cast<float>(v);
    return v;
}

bool Workbench::requireWorksheetSelected()
{
    if (chkWrkI || chkWrkV)
        return true;
    refuse("WORKSHEET is not checked");
    return false;
}

bool Workbench::confirmAllMode()
{
    if (!allMode || !view.confirmAll || !interactiveMode)
        return true;
    return message("Do You want to work with ALL data?", "Attention", MsgButtons::OkCancel, MsgIcon::Warning) !=
           kCancel;
}

bool Workbench::requireNoOpenReport()
{
    if (!interactiveMode || !ui_.hasOpenReport())
        return true;
    message("You have the open EDITOR");
    ui_.raiseOpenReport(); // the user sees which window to close
    return false;
}

void Workbench::fail(const std::string& reason)
{
    failures_.push_back(reason);
    status(reason);
}

std::vector<std::string> Workbench::takeFailures() { return std::exchange(failures_, {}); }

void Workbench::refuse(const std::string& text, const std::string& caption, MsgIcon icon)
{
    // In batch mode the failure alone carries the text: a suppressed box
    // as well would tell it twice.
    if (interactiveMode)
        ui_.messageBox(text, caption, MsgButtons::Ok, icon);
    fail(text);
}

bool Workbench::guardMemory(const std::function<void()>& work)
{
    try {
        work();
        return true;
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    refuse(kNoMemoryText, "", MsgIcon::Error);
    return false;
}

void Workbench::status(const std::string& text)
{
    ++statusCount_;
    lastStatusId_ = -1;
    ui_.setStatus(text);
}

void Workbench::statusHint(int id)
{
    if (id == lastStatusId_)
        return;
    lastStatusId_ = id;
    if (id > 5000 && id <= 10000) {
        ui_.setStatus("Run selected script file");
        return;
    }
    const CommandInfo* c = commands_.info(id);
    ui_.setStatus(c ? c->hint : std::string());
}

void Workbench::redraw()
{
    if (interactiveMode)
        ui_.requestRedraw();
}

void Workbench::progressOpen(const std::string& title, int steps, bool withAbort)
{
    cancelFlag = kProgressRunning;
    if (interactiveMode)
        ui_.progressOpen(title, steps, withAbort);
}

bool Workbench::progressStep()
{
    if (interactiveMode && cancelFlag == kProgressRunning && ui_.progressStep())
        cancelFlag = kProgressAborted;
    return cancelFlag != kProgressAborted;
}

void Workbench::progressClose()
{
    if (interactiveMode)
        ui_.progressClose();
}

std::vector<ScanRecord*> Workbench::targets() const
{
    std::vector<ScanRecord*> t;
    if (!allMode) {
        if (activeScan)
            t.push_back(activeScan);
    } else if (groupMode != 0) {
        t = groupScans;
    } else {
        for (const auto& r : scans)
            t.push_back(r.get());
    }
    return t;
}

void Workbench::forEachTarget(const std::string& title, const std::function<bool(ScanRecord&)>& op,
                              bool withAbort)
{
    const auto list = targets();
    const bool progress = allMode;
    if (progress)
        progressOpen(title, static_cast<int>(list.size()), withAbort);
    for (ScanRecord* r : list) {
        if (!op(*r))
            break;
        if (progress && !progressStep())
            break;
    }
    if (progress)
        progressClose();
    redraw();
}

bool rlUnbalanced(const float* r, const float* l, int n)
{
    if (!r || !l || n < 5)
        return false;
    auto base = [n](const float* x) {
        long double s = 0;
        for (int i = 0; i < 5; ++i)
            s += x[i] + x[n - 1 - i];
        return s / 10;
    };
    const long double br = base(r), bl = base(l);
    long double sr = 0, sl = 0;
    for (int i = 0; i < n; ++i) {
        sr += r[i] - br;
        sl += l[i] - bl;
    }
    const long double a = sr < 0 ? -sr : sr, b = sl < 0 ? -sl : sl;
    if (a == 0 || b == 0)
        return false;
    long double q = a / b;
    if (q < 1)
        q = 1 / q;
    return q > 1.5L;
}

} // namespace qm
