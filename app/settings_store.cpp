// PLACEHOLDER: replaced by the settings work.
#include "app/settings_store.h"
namespace qm {
std::optional<std::string> MemorySettingsStore::readText(const std::string& n) const { auto it = values.find(n); if (it == values.end()) return std::nullopt; return it->second; }
bool MemorySettingsStore::writeText(const std::string& n, const std::string& v) { values[n] = v; return true; }
std::optional<std::vector<uint8_t>> MemorySettingsStore::readBinary(const std::string&, std::size_t) const { return std::nullopt; }
bool MemorySettingsStore::writeBinary(const std::string&, const std::vector<uint8_t>&) { return true; }
}
