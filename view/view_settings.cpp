#include "view/view_settings.h"

#include "app/workbench.h"
#include "view/group_view.h"

namespace qm {

namespace {

std::string shownTitle(const std::string& t) { return t.empty() ? "%" : t; }

std::string cut(const std::string& t, std::size_t n) { return t.size() > n ? t.substr(0, n) : t; }

using F = ViewSettingsFields;

// Check boxes that mirror a view option one to one.
struct OptionBox {
    bool F::*field;
    bool ViewFlags::*option;
};
constexpr OptionBox kOptionBoxes[] = {
    {&F::colour, &ViewFlags::colour},         {&F::groupList, &ViewFlags::groupList},
    {&F::listOutside, &ViewFlags::listOutside}, {&F::residual, &ViewFlags::residual},
    {&F::viewScale, &ViewFlags::viewScale},   {&F::digFrame, &ViewFlags::digFrame},
    {&F::sunDisk, &ViewFlags::sunDisk},       {&F::sunCenter, &ViewFlags::sunCenter},
    {&F::fitsImage, &ViewFlags::fitsImage},   {&F::confirmAll, &ViewFlags::confirmAll},
};

// The title parts and the four array switches.
struct PartBox {
    bool F::*field;
    int bit;
};
constexpr PartBox kPartBoxes[] = {{&F::freq, kTitleFreq}, {&F::date, kTitleDate}, {&F::time, kTitleTime}};

struct ArrayBox {
    bool F::*field;
    bool Workbench::*flag;
    float* (ScanRecord::*array)();
};
constexpr ArrayBox kArrayBoxes[] = {{&F::dataI, &Workbench::chkDataI, &ScanRecord::dataI},
                                    {&F::wrkI, &Workbench::chkWrkI, &ScanRecord::wrkI},
                                    {&F::dataV, &Workbench::chkDataV, &ScanRecord::dataV},
                                    {&F::wrkV, &Workbench::chkWrkV, &ScanRecord::wrkV}};

} // namespace

ViewSettingsFields currentViewSettings(const Workbench& wb)
{
    const ViewFlags& v = wb.view;
    ViewSettingsFields f;
    for (const auto& b : kOptionBoxes)
        f.*b.field = v.*b.option;
    for (const auto& b : kPartBoxes)
        f.*b.field = (v.titleParts & b.bit) != 0;
    for (const auto& b : kArrayBoxes)
        f.*b.field = wb.*b.flag;
    f.mainTitle = shownTitle(v.mainTitle);
    f.rightAxisTitle = shownTitle(v.rightAxisTitle);
    f.leftAxisTitle = shownTitle(v.leftAxisTitle);
    return f;
}

void applyViewSettings(Workbench& wb, const ViewSettingsFields& f)
{
    ViewFlags& v = wb.view;
    for (const auto& b : kOptionBoxes)
        v.*b.option = f.*b.field;
    v.titleParts = 0;
    for (const auto& b : kPartBoxes)
        v.titleParts |= f.*b.field ? b.bit : 0;
    v.mainTitle = cut(f.mainTitle, kMainTitleChars);
    v.rightAxisTitle = cut(f.rightAxisTitle, kAxisTitleChars);
    v.leftAxisTitle = cut(f.leftAxisTitle, kAxisTitleChars);
    // Arrays the active scan lacks are switched off again.
    ScanRecord* a = wb.activeScan;
    for (const auto& b : kArrayBoxes)
        wb.*b.flag = f.*b.field && a && (a->*b.array)() != nullptr;
    wb.ui().stateChanged();
    wb.redraw();
}

void runViewSettingsDialog(Workbench& wb)
{
    if (!wb.interactiveMode)
        return;
    ViewSettingsFields f = currentViewSettings(wb);
    if (wb.ui().viewSettingsDialog(f))
        applyViewSettings(wb, f);
}

} // namespace qm
