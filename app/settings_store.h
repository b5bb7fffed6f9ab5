#pragma once
// Where the settings live: a key/value store of text and binary values.
// IniSettingsStore is the file on disk; MemorySettingsStore serves tests.
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual std::optional<std::string> readText(const std::string& name) const = 0;
    virtual bool writeText(const std::string& name, const std::string& value) = 0;
    // Binary values (stored as hex in the file). A stored value whose length
    // differs from `size` reads as absent.
    virtual std::optional<std::vector<uint8_t>> readBinary(const std::string& name, std::size_t size) const = 0;
    virtual bool writeBinary(const std::string& name, const std::vector<uint8_t>& value) = 0;
};

class MemorySettingsStore : public SettingsStore {
public:
    std::optional<std::string> readText(const std::string& name) const override;
    bool writeText(const std::string& name, const std::string& value) override;
    std::optional<std::vector<uint8_t>> readBinary(const std::string& name, std::size_t size) const override;
    bool writeBinary(const std::string& name, const std::vector<uint8_t>& value) override;
    std::map<std::string, std::string> values; // binary values held as hex text
};

// INI-style file: one "[Quillmar]" section of name=value lines. Every write
// rewrites the whole file through a temporary file and a rename.
class IniSettingsStore : public SettingsStore {
public:
    explicit IniSettingsStore(std::string path);
    // $QUILLMAR_CONFIG, else $XDG_CONFIG_HOME/quillmar/settings.ini,
    // else ~/.config/quillmar/settings.ini.
    static std::string defaultPath();
    const std::string& path() const { return path_; }

    std::optional<std::string> readText(const std::string& name) const override;
    bool writeText(const std::string& name, const std::string& value) override;
    std::optional<std::vector<uint8_t>> readBinary(const std::string& name, std::size_t size) const override;
    bool writeBinary(const std::string& name, const std::vector<uint8_t>& value) override;

private:
    void load();
    bool flush() const;
    std::string path_;
    std::map<std::string, std::string> values_;
};

} // namespace qm
