#include "beam/beam_config.h"

#include "app/byte_order.h"
#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"

namespace qm {

namespace {

const char* const kSettingName = "BeamConfig";

// The nine float fields in storage order.
std::array<float*, 9> floatFields(BeamConfig& c)
{
    return {&c.aperture, &c.hourChange, &c.shiftL, &c.shiftR, &c.scanWidth,
            &c.shiftY, &c.noiseLevel, &c.verticalPoints, &c.elementSize};
}

} // namespace

std::vector<uint8_t> encodeBeamConfig(const BeamConfig& config)
{
    BeamConfig c = config;
    std::vector<uint8_t> out(kBeamConfigSize);
    const auto f = floatFields(c);
    for (std::size_t i = 0; i < f.size(); ++i)
        putF32LE(out.data() + 4 * i, *f[i]);
    putU32LE(out.data() + beam_offset::testOption, static_cast<uint32_t>(c.testOption));
    return out;
}

std::optional<BeamConfig> decodeBeamConfig(const std::vector<uint8_t>& bytes)
{
    if (bytes.size() != kBeamConfigSize)
        return std::nullopt;
    BeamConfig c;
    const auto f = floatFields(c);
    for (std::size_t i = 0; i < f.size(); ++i)
        *f[i] = getF32LE(bytes.data() + 4 * i);
    c.testOption = static_cast<int32_t>(getU32LE(bytes.data() + beam_offset::testOption));
    return c;
}

std::optional<BeamConfig> loadBeamConfig(const SettingsStore& store)
{
    const auto bytes = store.readBinary(kSettingName, kBeamConfigSize);
    return bytes ? decodeBeamConfig(*bytes) : std::nullopt;
}

bool storeBeamConfig(SettingsStore& store, const BeamConfig& c)
{
    return store.writeBinary(kSettingName, encodeBeamConfig(c));
}

BeamConfigFields beamDialogFields(const std::optional<BeamConfig>& stored)
{
    BeamConfigFields f;
    if (!stored) {
        f.values = {"45", "0", "-12.5", "12.5", "2.0", "0", "0.001", "41", "5500.0"};
        return f;
    }
    BeamConfig c = *stored;
    const auto v = floatFields(c);
    for (std::size_t i = 0; i < v.size(); ++i)
        f.values[i] = format(v[i] == &c.noiseLevel ? "%.5f" : "%.3f", static_cast<double>(*v[i]));
    f.testOption = c.testOption != 0;
    return f;
}

BeamConfig beamConfigFromFields(const BeamConfigFields& f)
{
    BeamConfig c;
    const auto v = floatFields(c);
    for (std::size_t i = 0; i < v.size(); ++i) {
        *v[i] = 0;
        scanFloat(f.values[i], *v[i]);
    }
    c.testOption = f.testOption ? 1 : 0;
    return c;
}

std::optional<BeamConfig> runBeamDialog(Workbench& wb)
{
    BeamConfigFields f = beamDialogFields(loadBeamConfig(wb.store()));
    if (!wb.ui().beamConfigDialog(f))
        return std::nullopt;
    const BeamConfig c = beamConfigFromFields(f);
    storeBeamConfig(wb.store(), c);
    return c;
}

} // namespace qm
