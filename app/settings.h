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
    std::string output = "c:\\tmp";
    std::string pathScript;       // default: programDir/Script
    std::string autoScript;
    std::string extProgram = "notepad.exe";
    std::string corFile = "CorLogTa.dat";
    std::string palette3d = "Bitmap3d.pal";
    std::string fitsPalette = "FitsBmp.pal";
    std::string lastDir = "c:\\tmp";
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
// Reads every value in the order of the settings loader; missing, unparsable
// or wrong-length values give their defaults silently.
Settings loadSettings(const SettingsStore& store, const std::string& programDir);
// True when a stored "KoefFlux" of zero forces the configuration dialog.
bool startupNeedsConfig(const SettingsStore& store);
} // namespace qm
