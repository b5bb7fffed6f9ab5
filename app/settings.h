#pragma once
// The program's configuration values, their defaults, and how each is read
// from and written to the SettingsStore.
#include "app/settings_store.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qm {

enum ColourIndex {
    kRgbDataI, kRgbDataV, kRgbWorkI, kRgbWorkV, kRgbSunC, kRgbSunD,
    kRgbGauss, kRgbSelG, kRgbGrp1, kRgbGrp2, kRgbGrp3, kColourCount
};

struct Settings {
    float koefFlux = 1.0f;
    float gaussNoise = 10.0f;
    float minYscaleI = 100.0f;
    float minYscaleV = 100.0f;
    float vrtBeam = 190.0f;
    float hrzBeam = 0.0f;
    int autoTime = 5;             // autosave period in timer ticks, at least 1
    std::string unitFlux = "[Jy]";
    char unitAxisX = '"';
    float jpTime = 0.0f;
    std::string jpFlux;           // default: programDir/SunFlux
    std::string output;           // default: <home>/Quillmar
    std::string pathScript;       // default: Script in the writable program folder
    std::string autoScript;
    std::string extProgram = "xdg-open";
    std::string corFile = "CorLogTa.dat";
    std::string palette3d = "Bitmap3d.pal";
    std::string fitsPalette = "FitsBmp.pal";
    std::string lastDir;          // default: the home folder
    std::vector<int> popUpMenu;   // empty: none
    std::vector<int> commandList; // empty: none
    std::array<uint32_t, kColourCount> colours{};

    Settings(); // colours at their defaults
};

// Names and default texts of the eleven colours, in ColourIndex order.
extern const char* const kColourNames[kColourCount];
extern const uint32_t kColourDefaults[kColourCount];

} // namespace qm

namespace qm {

// Every stored value of the Settings struct; the eleven colours follow
// kRgbDataI in ColourIndex order.
enum class SettingId {
    KoefFlux, GaussNoise, MinYscaleI, MinYscaleV, VrtBeam, HrzBeam, AutoTime, UnitFlux, UnitAxisX,
    JpTime, JpFlux, Output, PathScript, AutoScript, ExtProgram, CorFile, Palette3d, FitsPalette,
    LastDir, PopUpMenu, CommandList,
    RgbDataI, RgbDataV, RgbWorkI, RgbWorkV, RgbSunC, RgbSunD, RgbGauss, RgbSelG, RgbGrp1, RgbGrp2, RgbGrp3
};
constexpr SettingId colourSetting(int colourIndex)
{
    return static_cast<SettingId>(static_cast<int>(SettingId::RgbDataI) + colourIndex);
}

// Stored name of a value ("KoefFlux", "3DPalette", "rgbGrp3", ...).
const char* settingName(SettingId id);

// The defaults of every value: the sun-flux tables under the program
// folder, the scripts under the writable program folder, the output folder
// "Quillmar" and the last folder in the user's home.
Settings defaultSettings(const std::string& programDir);

// "%f" of a stored or typed number; false for no number or a non-finite one.
bool scanSettingFloat(const std::string& text, float& out);

// Reads one value into `s`; a missing, over-long or unparsable value leaves
// the default of `defaults` instead, and so does a Windows path or program
// ("c:\\tmp", "notepad.exe") that names nothing on this system.
void readSetting(const SettingsStore& store, SettingId id, Settings& s, const Settings& defaults);
// The text a value is stored as ("KoefFlux" "%10.3e", colours "0x%08x", ...).
std::string settingText(const Settings& s, SettingId id);
bool writeSetting(SettingsStore& store, const Settings& s, SettingId id);

// Reads every value in the order of the settings loader; missing, unparsable
// or wrong-length values give their defaults silently.
Settings loadSettings(const SettingsStore& store, const std::string& programDir);
// True when a stored "KoefFlux" of zero forces the configuration dialog.
bool startupNeedsConfig(const SettingsStore& store);

// Command-id lists ("PopUpMenu", "CommandList"): a count 0..10 and ten ids.
inline constexpr int kCommandIdSlots = 10;
std::vector<int> parseCommandIds(const std::string& text); // anything but 11 numbers: empty
std::string formatCommandIds(const std::vector<int>& ids); // "%d" then " %d" per slot, 0 when unused

// Text of menu item 157: "Run %s" with the program's file name.
std::string extProgramMenuText(const std::string& extProgram);
// Tool bar fields of the active scan: "D=%.2f%c" / "Sh=%.3f%c" with the
// X-axis unit; empty for a zero value.
std::string beamFieldText(float beamHalfsize, char unitAxisX);
std::string stepFieldText(float step, char unitAxisX);

} // namespace qm
