#pragma once
// Surf3D: the loaded multi-frequency set as a map of position against
// frequency or wavelength, interpolated linearly between neighbouring
// scans, written as a text matrix, a 256 x 256 FITS image or an 8-bit
// bitmap.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class CommandTable;
class Workbench;

// "Surf3D Options".
struct Surf3dOptions {
    int kind = 0;              // 0 ASCII matrix, 1 FITS image, 2 bitmap
    bool frequency = false;    // scale: frequency [GHz], else wavelength [cm]
    bool header = false;       // bitmap: three text lines above the map
    bool scanPosition = false; // bitmap: each scan's row marked
};

struct Surf3dMap {
    int size = 0;              // N: N x N values
    std::vector<float> values; // row r (scale Ymin + r*dy) after row r-1
    double xBegin = 0, xEnd = 0; // shown part in X units from the first scan's centre
    double yMin = 0, yMax = 0, dx = 0, dy = 0;
    std::vector<double> scanScale; // scale value of each scan, group or list order
};

// The map of the current group or list on the given scale; nullopt (with
// the reason) when the sequence lacks two different scale values.
std::optional<Surf3dMap> surf3dMap(Workbench& wb, bool frequencyScale, int size, std::string& why);

// "Matrix of Surf3D": the header line and N lines of N values.
std::string surf3dMatrixText(const Surf3dMap& map);
// The FITS image: header blocks, the 16-bit data and the zero fill.
std::string surf3dFitsBytes(const Workbench& wb, const Surf3dMap& map, bool frequencyScale);
// The bitmap with its markers and, when asked, the header lines.
std::string surf3dBitmapBytes(const Workbench& wb, const Surf3dMap& map, const Surf3dOptions& o,
                              const std::vector<uint32_t>& palette);

// Surf3D (138).
void registerSurf3dCommands(CommandTable& t);

} // namespace qm
