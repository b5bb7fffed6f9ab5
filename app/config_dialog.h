#pragma once
// The configuration dialog "Initial Setting for Quillmar": the core fills the
// fields, the UiPort shows them, and the confirmed texts are parsed, applied
// to the settings and written to the store.
#include "app/settings.h"

#include <array>
#include <cstdint>
#include <string>

namespace qm {

class Workbench;

// Every field of the dialog as the person sees it: numbers and folders as
// text, the eleven colours as 0x00bbggrr values.
struct ConfigDialogFields {
    std::string koefFlux;    // 126 "Flux Koef: "
    std::string gaussNoise;  // 152 "Noise Level: "
    std::string minYscaleI;  // 150 "Min Yaxis scale I: "
    std::string minYscaleV;  // 151 "Min Yaxis scale V: "
    std::string vrtBeam;     // 112 "Vert.Beam Coef.: "
    std::string hrzBeam;     // 110 "Horiz.Beam Coef.: "
    std::string autoTime;    // 164 "Autosave time[min]: "
    std::string unitFlux;    // 125 "Flux Units: "
    std::string unitAxisX;   // 124 "X axis Units: "
    std::string jpTime;      // 128 "Sun flux time: "
    std::string jpFlux;      // 123 "Sun flux Folder: "
    std::string output;      // 122 "Output Folder: "
    std::string pathScript;  // 167 "Script Folder: "
    std::string autoScript;  // 169 "Auto Script File: "
    std::string extProgram;  // 127 "Ext program File: "
    std::string corFile;     // 102 "Log corr. File: "
    std::string palette3d;   // 194 "3D Palette File: "
    std::string fitsPalette; // 196 "Fits Palette File: "
    std::array<uint32_t, kColourCount> colours{}; // ColourIndex order
};

// Opens the dialog. With `apply` set (command 117) the current values are
// shown and Cancel is allowed; with it clear (the start-up check) the numeric
// fields keep their template texts and the dialog is repeated until it is
// confirmed. Never opens while interactiveMode is false.
void runConfigDialog(Workbench& wb, bool apply);

// Start-up check, run by the front end right after the Workbench exists and
// before anything else: a stored "KoefFlux" of zero forces the dialog (no
// Cancel), after which the settings are read again. Skipped in batch mode.
void runStartupCheck(Workbench& wb);

} // namespace qm
