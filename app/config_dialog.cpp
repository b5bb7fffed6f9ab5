#include "app/config_dialog.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <algorithm>
#include <cmath>

namespace qm {

namespace {

// Longest text each kind of field hands back.
constexpr std::size_t kTextField = 152;
constexpr std::size_t kProgramOrNumberField = 132;
constexpr std::size_t kFluxUnitField = 19;

// Folder and file fields: where the field sits in the dialog and which
// setting it edits.
struct PathField {
    std::string ConfigDialogFields::*field;
    std::string Settings::*value;
    SettingId id;
};
constexpr PathField kPathFields[] = {
    {&ConfigDialogFields::jpFlux, &Settings::jpFlux, SettingId::JpFlux},
    {&ConfigDialogFields::pathScript, &Settings::pathScript, SettingId::PathScript},
    {&ConfigDialogFields::autoScript, &Settings::autoScript, SettingId::AutoScript},
    {&ConfigDialogFields::extProgram, &Settings::extProgram, SettingId::ExtProgram},
    {&ConfigDialogFields::corFile, &Settings::corFile, SettingId::CorFile},
    {&ConfigDialogFields::palette3d, &Settings::palette3d, SettingId::Palette3d},
    {&ConfigDialogFields::fitsPalette, &Settings::fitsPalette, SettingId::FitsPalette},
};

struct NumberField {
    std::string ConfigDialogFields::*field;
    float Settings::*value;
    const char* showFormat;
};
constexpr NumberField kNumberFields[] = {
    {&ConfigDialogFields::koefFlux, &Settings::koefFlux, "%.3e"},
    {&ConfigDialogFields::jpTime, &Settings::jpTime, "%.3f"},
    {&ConfigDialogFields::gaussNoise, &Settings::gaussNoise, "%.3f"},
    {&ConfigDialogFields::minYscaleI, &Settings::minYscaleI, "%.3f"},
    {&ConfigDialogFields::minYscaleV, &Settings::minYscaleV, "%.3f"},
    {&ConfigDialogFields::vrtBeam, &Settings::vrtBeam, "%.2f"},
    {&ConfigDialogFields::hrzBeam, &Settings::hrzBeam, "%.2f"},
};

// The texts the dialog shows before anything is filled in; the folders and
// the program are this system's defaults.
ConfigDialogFields templateFields(const Settings& defaults)
{
    ConfigDialogFields f;
    f.koefFlux = "1";
    f.gaussNoise = "10";
    f.minYscaleI = "100";
    f.minYscaleV = "100";
    f.vrtBeam = "150";
    f.hrzBeam = "-1";
    f.autoTime = "1";
    f.unitFlux = "[Jy]";
    f.unitAxisX = "\"";
    f.jpTime = "3.00";
    f.jpFlux = defaults.jpFlux;
    f.output = defaults.output;
    f.pathScript = defaults.pathScript;
    f.extProgram = defaults.extProgram;
    f.corFile = "CorLogTa.dat";
    return f;
}

ConfigDialogFields fillFields(const Settings& w, bool apply, const Settings& defaults)
{
    ConfigDialogFields f = templateFields(defaults);
    for (const auto& p : kPathFields) {
        const std::string& v = w.*p.value;
        if (!v.empty() && static_cast<unsigned char>(v[0]) > ' ')
            f.*p.field = v;
    }
    if (apply) {
        f.output = w.output;
        f.unitFlux = w.unitFlux;
        for (const auto& n : kNumberFields)
            f.*n.field = format(n.showFormat, static_cast<double>(w.*n.value));
        f.unitAxisX = std::string(1, w.unitAxisX);
        f.autoTime = format("%d", w.autoTime);
    }
    f.colours = w.colours;
    return f;
}

// A field as the dialog hands it back: a C string of at most `limit` bytes.
std::string fieldText(const std::string& text, std::size_t limit)
{
    return text.substr(0, std::min({text.size(), text.find('\0'), limit}));
}

// Which values the confirmed dialog writes; the rest of the order is fixed.
struct Confirmed {
    bool fitsPalette, palette3d, corFile, output, pathScript, jpFlux, extProgram, unitFlux;
};

// Takes the confirmed fields into the working copy `w`. Numbers that do not
// parse keep their working value; folder and file fields left empty keep
// the value they had, since nothing is written for them.
Confirmed takeFields(const ConfigDialogFields& f, Settings& w)
{
    auto takeText = [&w](const std::string& text, std::string Settings::*value, std::size_t limit) {
        const std::string t = fieldText(text, limit);
        if (!t.empty())
            w.*value = t;
        return !t.empty();
    };
    Confirmed c{};
    c.output = takeText(f.output, &Settings::output, kTextField);
    for (const auto& p : kPathFields) {
        const std::size_t limit = p.id == SettingId::ExtProgram ? kProgramOrNumberField : kTextField;
        const bool filled = takeText(f.*p.field, p.value, limit);
        switch (p.id) {
        case SettingId::JpFlux: c.jpFlux = filled; break;
        case SettingId::PathScript: c.pathScript = filled; break;
        case SettingId::AutoScript: w.autoScript = fieldText(f.autoScript, kTextField); break;
        case SettingId::ExtProgram: c.extProgram = filled; break;
        case SettingId::CorFile: c.corFile = filled; break;
        case SettingId::Palette3d: c.palette3d = filled; break;
        case SettingId::FitsPalette: c.fitsPalette = filled; break;
        default: break;
        }
    }
    for (const auto& n : kNumberFields)
        scanSettingFloat(fieldText(f.*n.field, kProgramOrNumberField), w.*n.value);
    scanInt(fieldText(f.autoTime, kProgramOrNumberField), w.autoTime);
    w.autoTime = std::max(w.autoTime, 1);
    w.gaussNoise = std::fabs(w.gaussNoise);
    w.minYscaleI = std::fabs(w.minYscaleI);
    w.minYscaleV = std::fabs(w.minYscaleV);

    const std::string unit = firstWord(fieldText(f.unitFlux, kFluxUnitField));
    c.unitFlux = !unit.empty();
    if (c.unitFlux)
        w.unitFlux = unit;
    const std::string axis = fieldText(f.unitAxisX, kProgramOrNumberField);
    w.unitAxisX = axis.empty() ? '"' : axis[0];
    w.colours = f.colours;
    return c;
}

void writeConfirmed(SettingsStore& store, const Settings& s, const Confirmed& c,
                    const std::array<uint32_t, kColourCount>& oldColours)
{
    const std::pair<SettingId, bool> order[] = {
        {SettingId::FitsPalette, c.fitsPalette}, {SettingId::Palette3d, c.palette3d},
        {SettingId::CorFile, c.corFile},         {SettingId::Output, c.output},
        {SettingId::PathScript, c.pathScript},   {SettingId::AutoScript, true},
        {SettingId::JpFlux, c.jpFlux},           {SettingId::ExtProgram, c.extProgram},
        {SettingId::JpTime, true},               {SettingId::AutoTime, true},
        {SettingId::KoefFlux, true},             {SettingId::GaussNoise, true},
        {SettingId::MinYscaleI, true},           {SettingId::MinYscaleV, true},
        {SettingId::VrtBeam, true},              {SettingId::HrzBeam, true},
        {SettingId::UnitFlux, c.unitFlux},       {SettingId::UnitAxisX, true},
    };
    for (const auto& [id, write] : order)
        if (write)
            writeSetting(store, s, id);
    for (int i = 0; i < kColourCount; ++i)
        if (s.colours[static_cast<std::size_t>(i)] != oldColours[static_cast<std::size_t>(i)])
            writeSetting(store, s, colourSetting(i));
}

} // namespace

void runConfigDialog(Workbench& wb, bool apply)
{
    if (!wb.interactiveMode)
        return;
    // Working copy; the program and log file come straight from the store.
    Settings w = wb.settings;
    const Settings defaults = defaultSettings(wb.programDir);
    readSetting(wb.store(), SettingId::ExtProgram, w, defaults);
    readSetting(wb.store(), SettingId::CorFile, w, defaults);

    ConfigDialogFields f = fillFields(w, apply, defaults);
    // At start-up the dialog cannot be cancelled: ask until it is confirmed.
    while (!wb.ui().configDialog(f, apply)) {
        if (apply)
            return;
    }

    const auto oldColours = w.colours;
    const Confirmed confirmed = takeFields(f, w);
    wb.settings = w;
    wb.autosaveTicks = w.autoTime;
    if (wb.setLoaded && wb.activeScan) {
        wb.toolBeamText = beamFieldText(wb.activeScan->beamHalfsize, w.unitAxisX);
        wb.toolStepText = stepFieldText(wb.activeScan->step, w.unitAxisX);
    }
    writeConfirmed(wb.store(), w, confirmed, oldColours);
    if (apply) {
        if (wb.settingsAppliedHook)
            wb.settingsAppliedHook(wb);
        wb.ui().stateChanged();
        wb.redraw();
    }
}

void runStartupCheck(Workbench& wb)
{
    if (!wb.interactiveMode || !startupNeedsConfig(wb.store()))
        return;
    runConfigDialog(wb, false);
    wb.settings = loadSettings(wb.store(), wb.programDir);
    wb.autosaveTicks = wb.settings.autoTime;
}

} // namespace qm
