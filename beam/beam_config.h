#pragma once
// The stored parameters of the FFT beam correction: the 40-byte binary
// setting "BeamConfig" (little-endian, f32 fields and one int32) and the
// field logic of its dialog "FFT Beam convolution".
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class SettingsStore;
class Workbench;

struct BeamConfig {
    float aperture = 45;      // working aperture of the sector, degrees
    float hourChange = 0;     // hour change of right ascension, time s per hour
    float shiftL = -12.5f;    // L feed shift, mm
    float shiftR = 12.5f;     // R feed shift, mm
    float scanWidth = 2.0f;   // solar radii; 0 centres on the strongest point
    float shiftY = 0;         // feed shift from the focus along Y, mm
    float noiseLevel = 0.001f; // spectral magnitude of the cut-off
    float verticalPoints = 41; // integration points along an element
    float elementSize = 5500.0f; // vertical size of an element, mm
    int32_t testOption = 0;   // 1: show the beams and spectra
};

inline constexpr std::size_t kBeamConfigSize = 40;
namespace beam_offset {
inline constexpr std::size_t aperture = 0, hourChange = 4, shiftL = 8, shiftR = 12, scanWidth = 16, shiftY = 20,
                             noiseLevel = 24, verticalPoints = 28, elementSize = 32, testOption = 36;
}

std::vector<uint8_t> encodeBeamConfig(const BeamConfig& c);
// nullopt unless the value is exactly 40 bytes.
std::optional<BeamConfig> decodeBeamConfig(const std::vector<uint8_t>& bytes);

std::optional<BeamConfig> loadBeamConfig(const SettingsStore& store);
bool storeBeamConfig(SettingsStore& store, const BeamConfig& c);

// The dialog's fields as the person sees them, in the record's order.
struct BeamConfigFields {
    std::array<std::string, 9> values;
    bool testOption = false;
};

// The template texts, or the stored record as "%.3f" (noise level "%.5f").
BeamConfigFields beamDialogFields(const std::optional<BeamConfig>& stored);
// Each field read like "%f"; an unreadable field gives 0.
BeamConfig beamConfigFromFields(const BeamConfigFields& f);

// Shows the dialog with the stored record; OK stores the confirmed record
// and returns it, Cancel returns nullopt.
std::optional<BeamConfig> runBeamDialog(Workbench& wb);

} // namespace qm
