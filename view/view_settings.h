#pragma once
// Logic of the "Setting view of picture" dialog (command 118): its fields
// with their defaults, filling them from the current state, and applying
// them on OK.
#include <cstddef>
#include <string>

namespace qm {

class Workbench;

struct ViewSettingsFields {
    bool colour = true;        // "Color"
    bool groupList = true;     // "View list"
    bool listOutside = false;  // "List(in/out)"
    bool residual = false;     // "View wrk-gauss"
    bool freq = true;          // "Freq"  (title part 1)
    bool date = false;         // "Date"  (title part 2)
    bool time = false;         // "Time"  (title part 4)
    bool viewScale = true;     // "View scale"
    bool digFrame = false;     // "Dig.frame"
    bool sunDisk = false;      // "Sun Disk"
    bool sunCenter = false;    // "Center Sun"
    bool fitsImage = false;    // "Fits Image"
    bool confirmAll = true;    // "View <All> Message"
    bool dataI = true;         // "Intensity Data"
    bool wrkI = false;         // "Intensity worksheet"
    bool dataV = true;         // "Polarization Data"
    bool wrkV = false;         // "Polarization worksheet"
    std::string mainTitle = "%";      // "Main title of picture [30]  (%-auto)"
    std::string rightAxisTitle = "%"; // "Right Scale[14]"
    std::string leftAxisTitle = "%";  // "Left Scale[14]"
};

inline constexpr std::size_t kMainTitleChars = 31, kAxisTitleChars = 15;

// The fields as the dialog opens: the current options (an empty title
// shows as "%", automatic).
ViewSettingsFields currentViewSettings(const Workbench& wb);

// OK: stores every field (titles cut to 31 and 15 characters), clears the
// selection flags of arrays the active scan lacks, and redraws.
void applyViewSettings(Workbench& wb, const ViewSettingsFields& f);

// Command 118: the dialog, interactive only; Cancel changes nothing.
void runViewSettingsDialog(Workbench& wb);

} // namespace qm
