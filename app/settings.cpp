#include "app/settings.h"

#include "app/program_folder.h"
#include "app/text_format.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>

namespace qm {

const char* const kColourNames[kColourCount] = {"rgbDataI", "rgbDataV", "rgbWorkI", "rgbWorkV",
                                                "rgbSunC",  "rgbSunD",  "rgbGauss", "rgbSelG",
                                                "rgbGrp1",  "rgbGrp2",  "rgbGrp3"};
const uint32_t kColourDefaults[kColourCount] = {0x0000aa00, 0x00aa0000, 0x0000aa55, 0x00aa5500,
                                                0x00202040, 0x003366bb, 0x00444444, 0x001111ff,
                                                0x00000080, 0x00008000, 0x00800000};

Settings::Settings()
{
    for (int i = 0; i < kColourCount; ++i)
        colours[static_cast<std::size_t>(i)] = kColourDefaults[i];
}

namespace {

// Longest stored text accepted per kind of value; a longer one is treated
// like a value that does not fit the reader's buffer and gives the default.
constexpr std::size_t kMaxPathText = 259;
constexpr std::size_t kMaxNumberText = 131;
constexpr std::size_t kMaxUnitText = 19;

struct FloatValue {
    SettingId id;
    float Settings::*member;
    const char* writeFormat;
    bool absolute; // written as the absolute value
};
constexpr FloatValue kFloatValues[] = {
    {SettingId::KoefFlux, &Settings::koefFlux, "%10.3e", false},
    {SettingId::GaussNoise, &Settings::gaussNoise, "%.3f", true},
    {SettingId::MinYscaleI, &Settings::minYscaleI, "%.3f", true},
    {SettingId::MinYscaleV, &Settings::minYscaleV, "%.3f", true},
    {SettingId::VrtBeam, &Settings::vrtBeam, "%.2f", false},
    {SettingId::HrzBeam, &Settings::hrzBeam, "%.2f", false},
    {SettingId::JpTime, &Settings::jpTime, "%.3f", false},
};

struct TextValue {
    SettingId id;
    std::string Settings::*member;
};
constexpr TextValue kTextValues[] = {
    {SettingId::UnitFlux, &Settings::unitFlux},       {SettingId::JpFlux, &Settings::jpFlux},
    {SettingId::Output, &Settings::output},           {SettingId::PathScript, &Settings::pathScript},
    {SettingId::AutoScript, &Settings::autoScript},   {SettingId::ExtProgram, &Settings::extProgram},
    {SettingId::CorFile, &Settings::corFile},         {SettingId::Palette3d, &Settings::palette3d},
    {SettingId::FitsPalette, &Settings::fitsPalette}, {SettingId::LastDir, &Settings::lastDir},
};

const FloatValue* floatValue(SettingId id)
{
    for (const auto& v : kFloatValues)
        if (v.id == id)
            return &v;
    return nullptr;
}

const TextValue* textValue(SettingId id)
{
    for (const auto& v : kTextValues)
        if (v.id == id)
            return &v;
    return nullptr;
}

bool isColour(SettingId id) { return id >= SettingId::RgbDataI && id <= SettingId::RgbGrp3; }
std::size_t colourIndex(SettingId id)
{
    return static_cast<std::size_t>(static_cast<int>(id) - static_cast<int>(SettingId::RgbDataI));
}

std::vector<int> Settings::*idListMember(SettingId id)
{
    return id == SettingId::PopUpMenu ? &Settings::popUpMenu : &Settings::commandList;
}

// The stored text as a C string would see it, or nullopt when it is absent
// or longer than `maxLen`.
std::optional<std::string> storedText(const SettingsStore& store, SettingId id, std::size_t maxLen)
{
    auto text = store.readText(settingName(id));
    if (!text)
        return std::nullopt;
    text->resize(std::min(text->size(), text->find('\0')));
    if (text->size() > maxLen)
        return std::nullopt;
    return text;
}

// A Windows path or program ("c:\tmp", "notepad.exe"), as settings carried
// over from Windows hold, that names nothing on this system: its default
// serves instead.
bool unusableWindowsPath(const std::string& text)
{
    const bool drive = text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
    const bool exe = text.size() > 4 && upper(text.substr(text.size() - 4)) == ".EXE";
    if (!drive && !exe && text.find('\\') == std::string::npos)
        return false;
    std::error_code ec;
    return !std::filesystem::exists(text, ec);
}

bool scanHex(const std::string& text, uint32_t& out)
{
    unsigned int v;
    if (std::sscanf(text.c_str(), "%x", &v) != 1)
        return false;
    out = v;
    return true;
}

std::string joinPath(const std::string& dir, const char* name)
{
    return (std::filesystem::path(dir) / name).string();
}

} // namespace

const char* settingName(SettingId id)
{
    switch (id) {
    case SettingId::KoefFlux: return "KoefFlux";
    case SettingId::GaussNoise: return "GaussNoise";
    case SettingId::MinYscaleI: return "MinYscaleI";
    case SettingId::MinYscaleV: return "MinYscaleV";
    case SettingId::VrtBeam: return "VrtBeam";
    case SettingId::HrzBeam: return "HrzBeam";
    case SettingId::AutoTime: return "AutoTime";
    case SettingId::UnitFlux: return "UnitFlux";
    case SettingId::UnitAxisX: return "UnitAxisX";
    case SettingId::JpTime: return "JpTime";
    case SettingId::JpFlux: return "JpFlux";
    case SettingId::Output: return "Output";
    case SettingId::PathScript: return "PathScript";
    case SettingId::AutoScript: return "AutoScript";
    case SettingId::ExtProgram: return "ExtProgram";
    case SettingId::CorFile: return "CorFile";
    case SettingId::Palette3d: return "3DPalette";
    case SettingId::FitsPalette: return "FitsPalette";
    case SettingId::LastDir: return "LastDir";
    case SettingId::PopUpMenu: return "PopUpMenu";
    case SettingId::CommandList: return "CommandList";
    default: break;
    }
    return isColour(id) ? kColourNames[colourIndex(id)] : "";
}

Settings defaultSettings(const std::string& programDir)
{
    Settings s;
    s.jpFlux = joinPath(programDir, "SunFlux");
    s.pathScript = joinPath(writableProgramFolder(programDir), "Script");
    s.lastDir = homeFolder();
    s.output = joinPath(s.lastDir, "Quillmar");
    return s;
}

bool scanSettingFloat(const std::string& text, float& out)
{
    float v;
    if (!scanFloat(text, v) || !std::isfinite(v))
        return false;
    out = v;
    return true;
}

void readSetting(const SettingsStore& store, SettingId id, Settings& s, const Settings& defaults)
{
    if (const FloatValue* f = floatValue(id)) {
        const auto text = storedText(store, id, kMaxNumberText);
        float v;
        s.*f->member = text && scanSettingFloat(*text, v) ? v : defaults.*f->member;
        return;
    }
    if (const TextValue* t = textValue(id)) {
        const bool unit = id == SettingId::UnitFlux;
        const auto text = storedText(store, id, unit ? kMaxUnitText : kMaxPathText);
        s.*t->member = text && (unit || !unusableWindowsPath(*text)) ? *text : defaults.*t->member;
        return;
    }
    if (isColour(id)) {
        const auto text = storedText(store, id, kMaxNumberText);
        uint32_t v;
        s.colours[colourIndex(id)] = text && scanHex(*text, v) ? v : defaults.colours[colourIndex(id)];
        return;
    }
    switch (id) {
    case SettingId::AutoTime: {
        // A period below one tick would stop the autosave for good.
        const auto text = storedText(store, id, kMaxNumberText);
        int v;
        s.autoTime = text && scanInt(*text, v) ? std::max(v, 1) : defaults.autoTime;
        break;
    }
    case SettingId::UnitAxisX: {
        const auto text = storedText(store, id, kMaxNumberText);
        s.unitAxisX = text && !text->empty() ? (*text)[0] : defaults.unitAxisX;
        break;
    }
    case SettingId::PopUpMenu:
    case SettingId::CommandList: {
        const auto text = storedText(store, id, kMaxNumberText);
        s.*idListMember(id) = text ? parseCommandIds(*text) : defaults.*idListMember(id);
        break;
    }
    default: break;
    }
}

std::string settingText(const Settings& s, SettingId id)
{
    if (const FloatValue* f = floatValue(id)) {
        const double v = s.*f->member;
        return format(f->writeFormat, f->absolute ? std::fabs(v) : v);
    }
    if (const TextValue* t = textValue(id))
        return s.*t->member;
    if (isColour(id))
        return format("0x%08x", static_cast<unsigned>(s.colours[colourIndex(id)]));
    switch (id) {
    case SettingId::AutoTime: return format("%d", std::max(s.autoTime, 1));
    case SettingId::UnitAxisX: return std::string(1, s.unitAxisX);
    case SettingId::PopUpMenu:
    case SettingId::CommandList: return formatCommandIds(s.*idListMember(id));
    default: break;
    }
    return {};
}

bool writeSetting(SettingsStore& store, const Settings& s, SettingId id)
{
    return store.writeText(settingName(id), settingText(s, id));
}

Settings loadSettings(const SettingsStore& store, const std::string& programDir)
{
    static constexpr SettingId kLoadOrder[] = {
        SettingId::PopUpMenu,  SettingId::CommandList, SettingId::PathScript, SettingId::AutoScript,
        SettingId::Output,     SettingId::JpFlux,      SettingId::CorFile,    SettingId::LastDir,
        SettingId::JpTime,     SettingId::Palette3d,   SettingId::FitsPalette, SettingId::KoefFlux,
        SettingId::GaussNoise, SettingId::MinYscaleI,  SettingId::MinYscaleV, SettingId::VrtBeam,
        SettingId::HrzBeam,    SettingId::AutoTime,    SettingId::UnitFlux,   SettingId::UnitAxisX,
        SettingId::ExtProgram,
    };
    const Settings defaults = defaultSettings(programDir);
    Settings s = defaults;
    for (SettingId id : kLoadOrder)
        readSetting(store, id, s, defaults);
    for (int i = 0; i < kColourCount; ++i)
        readSetting(store, colourSetting(i), s, defaults);
    return s;
}

bool startupNeedsConfig(const SettingsStore& store)
{
    const Settings defaults;
    Settings s;
    readSetting(store, SettingId::KoefFlux, s, defaults);
    return s.koefFlux == 0.0f;
}

std::vector<int> parseCommandIds(const std::string& text)
{
    int n[kCommandIdSlots + 1];
    const int got = std::sscanf(text.c_str(), "%d %d %d %d %d %d %d %d %d %d %d", &n[0], &n[1], &n[2], &n[3],
                                &n[4], &n[5], &n[6], &n[7], &n[8], &n[9], &n[10]);
    // A count outside 0..10 would name slots that do not exist.
    if (got != kCommandIdSlots + 1 || n[0] < 0 || n[0] > kCommandIdSlots)
        return {};
    return std::vector<int>(n + 1, n + 1 + n[0]);
}

std::string formatCommandIds(const std::vector<int>& ids)
{
    const std::size_t count = std::min<std::size_t>(ids.size(), kCommandIdSlots);
    std::string text = format("%d", static_cast<int>(count));
    for (std::size_t i = 0; i < kCommandIdSlots; ++i)
        text += format(" %d", i < count ? ids[i] : 0);
    return text;
}

std::string extProgramMenuText(const std::string& extProgram)
{
    const std::size_t cut = extProgram.find_last_of("\\/");
    return "Run " + (cut == std::string::npos ? extProgram : extProgram.substr(cut + 1));
}

std::string beamFieldText(float beamHalfsize, char unitAxisX)
{
    return beamHalfsize == 0 ? std::string() : format("D=%.2f%c", static_cast<double>(beamHalfsize), unitAxisX);
}

std::string stepFieldText(float step, char unitAxisX)
{
    return step == 0 ? std::string() : format("Sh=%.3f%c", static_cast<double>(step), unitAxisX);
}

} // namespace qm
