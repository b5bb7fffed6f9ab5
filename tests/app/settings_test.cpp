#include "app/settings.h"
#include "app/settings_store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <tuple>

using namespace qm;
using qm::test::readTextFile;
using qm::test::TempDir;
using qm::test::writeFile;
namespace fs = std::filesystem;

namespace {

// Sets an environment variable for the length of a test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(Settings, EmptyStoreGivesTheDefaults)
{
    const ScopedEnv home("HOME", "/home/obs");
    const ScopedEnv data("XDG_DATA_HOME", "/home/obs/data");
    MemorySettingsStore store;
    EXPECT_FALSE(startupNeedsConfig(store));
    const Settings s = loadSettings(store, "/opt/quillmar");
    EXPECT_EQ((std::vector<float>{s.koefFlux, s.minYscaleI, s.vrtBeam}), (std::vector<float>{1, 100, 190}));
    EXPECT_EQ(std::pair(s.autoTime, s.unitAxisX), std::pair(5, '"'));
    using Texts = std::vector<std::string>;
    EXPECT_EQ((Texts{s.unitFlux, s.jpFlux, s.output, s.lastDir, s.extProgram}),
              (Texts{"[Jy]", "/opt/quillmar/SunFlux", "/home/obs/Quillmar", "/home/obs", "xdg-open"}));
    // Scripts are written beside the program only when its folder is writable.
    EXPECT_EQ(s.pathScript, "/home/obs/data/quillmar/Script");
    TempDir writable;
    EXPECT_EQ(defaultSettings(writable.path().string()).pathScript, writable.file("Script"));
    EXPECT_EQ(s.colours[kRgbDataI], 0x0000aa00u);
    EXPECT_EQ(s.colours[kRgbGrp3], 0x00800000u);
    EXPECT_TRUE(store.values.empty()) << "loading writes nothing";
}

TEST(Settings, StoredValuesParseOrFallBackSilently)
{
    MemorySettingsStore store;
    store.values = {{"KoefFlux", " 2.500e-03"},
                    {"GaussNoise", "abc"},              // unparsable
                    {"MinYscaleV", "-40.5xyz"},         // "%f" stops at the junk
                    {"VrtBeam", std::string(140, '1')}, // longer than any number field
                    {"AutoTime", "0"},
                    {"UnitFlux", "[s.f.u.]-but-too-long!"},
                    {"UnitAxisX", "km"},
                    {"rgbWorkI", "zz"}};
    const Settings s = loadSettings(store, "/p");
    EXPECT_FLOAT_EQ(s.koefFlux, 0.0025f);
    EXPECT_EQ((std::vector<float>{s.gaussNoise, s.minYscaleV, s.vrtBeam}), (std::vector<float>{10, -40.5f, 190}));
    EXPECT_EQ(std::tuple(s.autoTime, s.unitFlux, s.unitAxisX, s.colours[kRgbWorkI]),
              std::tuple(1, std::string("[Jy]"), 'k', 0x0000aa55u));

    store.values = {{"AutoTime", "-3"}, {"UnitAxisX", ""}};
    const Settings t = loadSettings(store, "/p");
    EXPECT_EQ(t.autoTime, 1);
    EXPECT_EQ(t.unitAxisX, '"');

    for (const char* zero : {"0", " 0.000e+00", "-0"}) {
        store.values["KoefFlux"] = zero;
        EXPECT_TRUE(startupNeedsConfig(store)) << zero;
    }
    for (const char* other : {"abc", "", " 1.000e-03"}) {
        store.values["KoefFlux"] = other;
        EXPECT_FALSE(startupNeedsConfig(store)) << other;
    }
}

TEST(Settings, WindowsPathsAreKeptOnlyWhenTheyNameSomething)
{
    const ScopedEnv home("HOME", "/home/obs");
    TempDir tmp;
    const std::string existing = tmp.file("flux\\2004"); // a Linux folder with a backslash in its name
    fs::create_directories(existing);
    MemorySettingsStore store;
    store.values = {{"Output", "c:\\tmp"},           {"LastDir", "/no/such/folder"},
                    {"ExtProgram", "NOTEPAD.EXE"},     {"JpFlux", existing},
                    {"AutoScript", "C:\\s\\auto.spt"}, {"CorFile", "CorLog.dat"}};
    const Settings s = loadSettings(store, "/opt/quillmar");
    // A missing Linux folder stays: it is made when used.
    using Texts = std::vector<std::string>;
    EXPECT_EQ((Texts{s.output, s.lastDir, s.extProgram, s.jpFlux, s.autoScript, s.corFile}),
              (Texts{"/home/obs/Quillmar", "/no/such/folder", "xdg-open", existing, "", "CorLog.dat"}));
}

TEST(Settings, WrittenFormatsReadBackTheSame)
{
    Settings s = defaultSettings("/p");
    s.koefFlux = 1.5f;
    s.minYscaleI = -50;
    s.autoTime = 0;
    s.output = "/home/obs/out";
    s.colours[kRgbGrp3] = 0x00abcdef;
    s.commandList = {110, 109, 139};
    EXPECT_EQ(settingText(s, SettingId::KoefFlux), " 1.500e+00");
    EXPECT_EQ(settingText(s, SettingId::MinYscaleI), "50.000");
    EXPECT_EQ(settingText(s, SettingId::AutoTime), "1");
    EXPECT_EQ(settingText(s, SettingId::RgbGrp3), "0x00abcdef");
    EXPECT_EQ(settingText(s, SettingId::CommandList), "3 110 109 139 0 0 0 0 0 0 0");

    MemorySettingsStore store;
    for (int id = 0; id <= static_cast<int>(SettingId::RgbGrp3); ++id)
        ASSERT_TRUE(writeSetting(store, s, static_cast<SettingId>(id)));
    const Settings r = loadSettings(store, "/elsewhere");
    for (int id = 0; id <= static_cast<int>(SettingId::RgbGrp3); ++id)
        EXPECT_EQ(settingText(r, static_cast<SettingId>(id)), settingText(s, static_cast<SettingId>(id)))
            << settingName(static_cast<SettingId>(id));
}

TEST(SettingsStore, IniRoundTripsAnyText)
{
    TempDir tmp;
    const fs::path file = tmp.path() / "deep" / "settings.ini";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Equals", "a=b=c"}, {"Lines", "one\ntwo\r\nthree"}, {"Quotes", "say \"hi\" \\ back\\"},
        {"Nul", std::string("a\0b", 3)}, {"Empty", ""}, {"Output", "c:\\tmp"}};
    {
        IniSettingsStore store(file.string());
        for (const auto& [n, v] : values)
            ASSERT_TRUE(store.writeText(n, v)) << n;
    }
    EXPECT_EQ(readTextFile(file).rfind("[Quillmar]\n", 0), 0u);
    IniSettingsStore again(file.string());
    for (const auto& [n, v] : values)
        EXPECT_EQ(again.readText(n), v) << n;
    EXPECT_FALSE(again.writeText("Bad=Name", "x"));
}

TEST(SettingsStore, BinaryValuesAsHexAndWrongLengthIsAbsent)
{
    std::vector<uint8_t> beam(40);
    for (std::size_t i = 0; i < beam.size(); ++i)
        beam[i] = static_cast<uint8_t>(i * 37 + 200);
    MemorySettingsStore mem;
    ASSERT_TRUE(mem.writeBinary("BeamConfig", beam));
    EXPECT_EQ(mem.values["BeamConfig"].substr(0, 6), "c8ed12");
    EXPECT_EQ(mem.readBinary("BeamConfig", 40), beam);
    EXPECT_EQ(mem.readBinary("BeamConfig", 60), std::nullopt);
    mem.values["Junk"] = std::string(80, 'g');
    EXPECT_EQ(mem.readBinary("Junk", 40), std::nullopt);
    mem.values["Short"] = mem.values["BeamConfig"].substr(1); // odd digit count
    EXPECT_EQ(mem.readBinary("Short", 40), std::nullopt);
    EXPECT_EQ(mem.readBinary("Short", 39), std::nullopt);
}

TEST(SettingsStore, DamagedFilesGiveDefaultsAndAreRewrittenWhole)
{
    TempDir tmp;
    const fs::path file = tmp.path() / "settings.ini";
    const std::string damaged[] = {
        std::string("\x00\xff\x13garbage\x00=\x01", 13),
        "[Quillmar]\nKoefFlux=\" 2.000e+00", // cut inside the value
        "[Quillmar]\nKoefFlux=\"2\\q\"\n",   // unknown escape
        "[Other]\nKoefFlux=\"2\"\n",         // foreign section
    };
    for (const auto& bytes : damaged) {
        writeFile(file, bytes);
        IniSettingsStore store(file.string());
        const Settings s = loadSettings(store, "/p");
        EXPECT_EQ(s.koefFlux, 1.0f) << bytes;
        ASSERT_TRUE(store.writeText("Output", "/out"));
        EXPECT_EQ(readTextFile(file), "[Quillmar]\nOutput=\"/out\"\n") << bytes;
    }
}
