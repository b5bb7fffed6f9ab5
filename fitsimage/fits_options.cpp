#include "fitsimage/fits_options.h"

#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"

#include <algorithm>
#include <cstring>

namespace qm {

namespace {

const char* const kSettingName = "FitsConfig";

// Text of a zero-padded character field, cut at its first zero and at `chars`.
std::string fieldText(const uint8_t* p, std::size_t width, std::size_t chars)
{
    std::size_t n = 0;
    while (n < width && n < chars && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

void putField(uint8_t* p, std::size_t width, const std::string& text, std::size_t chars)
{
    std::memset(p, 0, width);
    std::memcpy(p, text.data(), std::min({text.size(), chars, width - 1}));
}

float levelOf(const std::string& text)
{
    float v = 0;
    return scanFloat(text, v) ? v : 0.0f;
}

std::string levelText(float v) { return format("%g", static_cast<double>(v)); }

int validMode(int m) { return m >= 0 && m < kFitsModeCount ? m : kFitsNone; }

} // namespace

const char* const kFitsModeNames[kFitsModeCount] = {
    "None",          "Null points",  "New null points", "Maxium limit", "Minimum limit",
    "Min-max limit", "Abs min-max", "Normalization",   "Log.scale",    "Power scale"};

std::vector<uint8_t> encodeFitsOptions(const FitsOptions& o)
{
    namespace f = fits_offset;
    std::vector<uint8_t> out(kFitsOptionsSize);
    uint8_t* p = out.data();
    putU32LE(p + f::mode, static_cast<uint32_t>(o.mode));
    putU32LE(p + f::beamConvolution, static_cast<uint32_t>(o.beamConvolution));
    putU32LE(p + f::arcSeconds, static_cast<uint32_t>(o.arcSeconds));
    putU32LE(p + f::inversion, static_cast<uint32_t>(o.inversion));
    putU32LE(p + f::applyToData, static_cast<uint32_t>(o.applyToData));
    putF32LE(p + f::minLevel, o.minLevel);
    putF32LE(p + f::maxLevel, o.maxLevel);
    putF32LE(p + f::zeroLevel, o.zeroLevel);
    putField(p + f::radiusKeyword, f::radiusKeywordWidth, o.radiusKeyword, kRadiusKeywordChars);
    putField(p + f::newLevel, f::newLevelWidth, o.newLevel, kNewLevelChars);
    return out;
}

std::optional<FitsOptions> decodeFitsOptions(const std::vector<uint8_t>& bytes)
{
    namespace f = fits_offset;
    if (bytes.size() != kFitsOptionsSize)
        return std::nullopt;
    const uint8_t* p = bytes.data();
    FitsOptions o;
    o.mode = static_cast<int32_t>(getU32LE(p + f::mode));
    o.beamConvolution = static_cast<int32_t>(getU32LE(p + f::beamConvolution));
    o.arcSeconds = static_cast<int32_t>(getU32LE(p + f::arcSeconds));
    o.inversion = static_cast<int32_t>(getU32LE(p + f::inversion));
    o.applyToData = static_cast<int32_t>(getU32LE(p + f::applyToData));
    o.minLevel = getF32LE(p + f::minLevel);
    o.maxLevel = getF32LE(p + f::maxLevel);
    o.zeroLevel = getF32LE(p + f::zeroLevel);
    o.radiusKeyword = fieldText(p + f::radiusKeyword, f::radiusKeywordWidth, kRadiusKeywordChars);
    o.newLevel = fieldText(p + f::newLevel, f::newLevelWidth, kNewLevelChars);
    return o;
}

FitsOptions loadFitsOptions(const SettingsStore& store)
{
    const auto bytes = store.readBinary(kSettingName, kFitsOptionsSize);
    const auto o = bytes ? decodeFitsOptions(*bytes) : std::nullopt;
    return o ? *o : FitsOptions{};
}

bool storeFitsOptions(SettingsStore& store, const FitsOptions& o)
{
    return store.writeBinary(kSettingName, encodeFitsOptions(o));
}

FitsLoadingFields fitsLoadingFields(const FitsOptions& o)
{
    FitsLoadingFields f;
    f.mode = validMode(o.mode);
    f.beamConvolution = o.beamConvolution != 0;
    f.arcSeconds = o.arcSeconds != 0;
    f.inversion = o.inversion != 0;
    f.applyToData = o.applyToData != 0;
    f.minLevel = levelText(o.minLevel);
    f.maxLevel = levelText(o.maxLevel);
    f.zeroLevel = levelText(o.zeroLevel);
    f.radiusKeyword = o.radiusKeyword;
    f.newLevel = o.newLevel;
    return f;
}

FitsViewFields fitsViewFields(const FitsOptions& o)
{
    return {validMode(o.mode), levelText(o.minLevel), levelText(o.maxLevel), levelText(o.zeroLevel)};
}

FitsLoadingChoice fitsLoadingChoice(const FitsLoadingFields& f)
{
    FitsLoadingChoice c;
    FitsOptions& o = c.options;
    o.mode = validMode(f.mode);
    o.beamConvolution = f.beamConvolution;
    o.arcSeconds = f.arcSeconds;
    o.inversion = f.inversion;
    o.applyToData = f.applyToData;
    o.minLevel = levelOf(f.minLevel);
    o.maxLevel = levelOf(f.maxLevel);
    o.zeroLevel = levelOf(f.zeroLevel);
    o.radiusKeyword = f.radiusKeyword.substr(0, kRadiusKeywordChars);
    o.newLevel = f.newLevel.substr(0, kNewLevelChars);
    c.quietSun = levelOf(f.quietSun);
    int sign = 0;
    c.angleSign = scanInt(f.angleSign, sign) ? sign : 0;
    return c;
}

FitsOptions applyFitsViewFields(FitsOptions o, const FitsViewFields& f)
{
    o.mode = validMode(f.mode);
    o.minLevel = levelOf(f.minLevel);
    o.maxLevel = levelOf(f.maxLevel);
    o.zeroLevel = levelOf(f.zeroLevel);
    return o;
}

} // namespace qm
