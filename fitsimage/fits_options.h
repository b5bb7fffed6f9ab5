#pragma once
// The options of the FITS image: the 60-byte binary setting "FitsConfig"
// (little-endian) and the field logic of the "FITS loading options" and
// "FITS view options" dialogs.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class SettingsStore;

// Display normalisation modes, in the order of the dialog's buttons.
enum FitsMode : int32_t {
    kFitsNone = 0,
    kFitsNullPoints,
    kFitsNewNullPoints,
    kFitsMaxLimit,
    kFitsMinLimit,
    kFitsMinMaxLimit,
    kFitsAbsMinMax,
    kFitsNormalization,
    kFitsLogScale,
    kFitsPowerScale,
    kFitsModeCount
};

// Captions of the mode buttons, in mode order.
extern const char* const kFitsModeNames[kFitsModeCount];

struct FitsOptions {
    int32_t mode = kFitsNone;
    int32_t beamConvolution = 1; // simulate scans after loading
    int32_t arcSeconds = 0;      // the radius keyword holds arc seconds
    int32_t inversion = 0;       // negate the normalised values
    int32_t applyToData = 0;     // the normalised values replace the image (modes below 7)
    float minLevel = 0, maxLevel = 1, zeroLevel = 0;
    std::string radiusKeyword = "RADIUS"; // at most 9 characters
    std::string newLevel = "0";           // at most 11 characters
};

inline constexpr std::size_t kFitsOptionsSize = 60;
inline constexpr std::size_t kRadiusKeywordChars = 9, kNewLevelChars = 11;
namespace fits_offset {
inline constexpr std::size_t mode = 0, beamConvolution = 4, arcSeconds = 8, inversion = 12, applyToData = 16,
                             minLevel = 20, maxLevel = 24, zeroLevel = 28, radiusKeyword = 32, newLevel = 42;
inline constexpr std::size_t radiusKeywordWidth = 10, newLevelWidth = 18;
} // namespace fits_offset

std::vector<uint8_t> encodeFitsOptions(const FitsOptions& o);
// nullopt unless the value is exactly 60 bytes.
std::optional<FitsOptions> decodeFitsOptions(const std::vector<uint8_t>& bytes);
// The stored record, or the defaults when it is absent or not 60 bytes.
FitsOptions loadFitsOptions(const SettingsStore& store);
bool storeFitsOptions(SettingsStore& store, const FitsOptions& o);

// "FITS loading options" as the person sees it.
struct FitsLoadingFields {
    int mode = kFitsNone;
    bool beamConvolution = false, arcSeconds = false, inversion = false, applyToData = false;
    std::string minLevel, maxLevel, zeroLevel, radiusKeyword, newLevel;
    std::string angleSign = "1"; // "Angle P sign [-1;0;1]"
    std::string quietSun = "0";  // "Quiet Sun level"
};

// "FITS view options": the mode buttons and the three levels.
struct FitsViewFields {
    int mode = kFitsNone;
    std::string minLevel, maxLevel, zeroLevel;
};

FitsLoadingFields fitsLoadingFields(const FitsOptions& o);
FitsViewFields fitsViewFields(const FitsOptions& o);

// What the loading dialog gives back: the record, and the two values that
// are not stored in it.
struct FitsLoadingChoice {
    FitsOptions options;
    float quietSun = 0;
    int angleSign = 1;
};

// Levels read like "%f" (an unreadable field gives 0), the sign like "%d"
// (unreadable: 0), texts cut to their widths, a mode outside 0..9 gives 0.
FitsLoadingChoice fitsLoadingChoice(const FitsLoadingFields& f);
FitsOptions applyFitsViewFields(FitsOptions o, const FitsViewFields& f);

} // namespace qm
