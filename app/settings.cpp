// PLACEHOLDER: replaced by the settings work.
#include "app/settings.h"
namespace qm {
const char* const kColourNames[kColourCount] = {"rgbDataI", "rgbDataV", "rgbWorkI", "rgbWorkV", "rgbSunC", "rgbSunD",
                                                "rgbGauss", "rgbSelG", "rgbGrp1", "rgbGrp2", "rgbGrp3"};
const uint32_t kColourDefaults[kColourCount] = {0x0000aa00, 0x00aa0000, 0x0000aa55, 0x00aa5500, 0x00202040, 0x003366bb,
                                                0x00444444, 0x001111ff, 0x00000080, 0x00008000, 0x00800000};
Settings::Settings() { for (int i = 0; i < kColourCount; ++i) colours[i] = kColourDefaults[i]; }
Settings loadSettings(const SettingsStore&, const std::string&) { return Settings(); }
bool startupNeedsConfig(const SettingsStore&) { return false; }
}
