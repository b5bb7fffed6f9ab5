#pragma once
// The "Ephemerides setting" dialog's values and rules: filled from the
// active scan with "%f", applied to every target on OK.
#include <string>

namespace qm {

class Workbench;
struct ScanRecord;

struct EphemeridesParams {
    std::string step, azimuth, altitude, angleP, centre; // "%f" texts
    std::string object;                                  // at most 14 characters
};
inline constexpr std::size_t kEphemeridesObjectChars = 14;

EphemeridesParams ephemeridesOf(const ScanRecord& scan);

// Applies the dialog's values to every target. A field that does not read as
// a finite number leaves that value as it was; a step of 0 is not taken.
void applyEphemerides(Workbench& wb, const EphemeridesParams& p);

// Command 158: the dialog in interactive use; a batch run does nothing.
void editEphemerides(Workbench& wb);

} // namespace qm
