#pragma once
// Spectral Line and Magnetic Field: searches for narrow peaks on the active
// scan and, at each, across every frequency of the set; the reports "Find
// Spectral Line" and "Find Magnetic Field" and the field table drawn on the
// plot.
#include <string>

namespace qm {

class CommandTable;
class Workbench;

// The Spectral Line dialog: the line scale as typed and its two boxes.
struct SpectralLineFields {
    std::string scale = "1.3"; // 301 "Input Line scale:"
    bool ta = false;           // 302 "Line in Ta or Intensity"
    bool minBaseline = false;  // 303 "Min Scale/Quite Ta"
};

struct SpectralLineParams {
    double scale = 1.3;       // K: a line stands out from both neighbours by this ratio; 0 lists peaks only
    bool ta = false;          // values in Ta, not multiplied by the flux coefficient
    bool minBaseline = false; // baseline = minimum of the shown part, not the quiet-Sun Ta
};

// The minimum polarisation the field search uses: a negative value is that
// multiple of the noise T, and anything below T becomes 2T.
double minimumPolarization(double typed, double noise);

// The searches with their parameters, after the checks; they clamp the
// shown part as the search needs and return the report text ("" when
// nothing was found). The field search also fills the field table.
std::string spectralLineReport(Workbench& wb, const SpectralLineParams& p);
std::string magneticFieldReport(Workbench& wb, double pmin);

// Spectral Line (189), Magnetic Field (190), Delete MagField (191).
void registerLineFieldCommands(CommandTable& t);

} // namespace qm
