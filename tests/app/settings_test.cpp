#include "app/settings.h"
#include "app/settings_store.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

using namespace qm;
using qm::test::readTextFile;
using qm::test::TempDir;
using qm::test::writeFile;
namespace fs = std::filesystem;

namespace {

// Remembers the order in which values are read.
class ReadOrderStore : public MemorySettingsStore {
public:
    std::optional<std::string> readText(const std::string& name) const override
    {
        reads.push_back(name);
        return MemorySettingsStore::readText(name);
    }
    mutable std::vector<std::string> reads;
};

// Sets or clears an environment variable for one scope.
class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~EnvVar()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(Settings, EmptyStoreGivesTheTableDefaultsReadInTheFixedOrder)
{
    ReadOrderStore store;
    EXPECT_FALSE(startupNeedsConfig(store));
    store.reads.clear();
    const Settings s = loadSettings(store, "/opt/quillmar");
    EXPECT_EQ(s.koefFlux, 1.0f);
    EXPECT_EQ(s.gaussNoise, 10.0f);
    EXPECT_EQ(s.minYscaleI, 100.0f);
    EXPECT_EQ(s.minYscaleV, 100.0f);
    EXPECT_EQ(s.vrtBeam, 190.0f);
    EXPECT_EQ(s.hrzBeam, 0.0f);
    EXPECT_EQ(s.autoTime, 5);
    EXPECT_EQ(s.unitFlux, "[Jy]");
    EXPECT_EQ(s.unitAxisX, '"');
    EXPECT_EQ(s.jpTime, 0.0f);
    EXPECT_EQ(s.jpFlux, "/opt/quillmar/SunFlux");
    EXPECT_EQ(s.pathScript, "/opt/quillmar/Script");
    EXPECT_EQ(s.output, "c:\\tmp");
    EXPECT_EQ(s.lastDir, "c:\\tmp");
    EXPECT_EQ(s.autoScript, "");
    EXPECT_EQ(s.extProgram, "notepad.exe");
    EXPECT_EQ(s.corFile, "CorLogTa.dat");
    EXPECT_EQ(s.palette3d, "Bitmap3d.pal");
    EXPECT_EQ(s.fitsPalette, "FitsBmp.pal");
    EXPECT_TRUE(s.popUpMenu.empty());
    EXPECT_TRUE(s.commandList.empty());
    const uint32_t colours[] = {0x0000aa00, 0x00aa0000, 0x0000aa55, 0x00aa5500, 0x00202040, 0x003366bb,
                                0x00444444, 0x001111ff, 0x00000080, 0x00008000, 0x00800000};
    for (int i = 0; i < kColourCount; ++i)
        EXPECT_EQ(s.colours[static_cast<std::size_t>(i)], colours[i]) << kColourNames[i];
    EXPECT_TRUE(store.values.empty()) << "loading writes nothing";
    const std::vector<std::string> expected = {
        "PopUpMenu", "CommandList", "PathScript", "AutoScript", "Output",   "JpFlux",   "CorFile",
        "LastDir",   "JpTime",      "3DPalette",  "FitsPalette", "KoefFlux", "GaussNoise", "MinYscaleI",
        "MinYscaleV", "VrtBeam",    "HrzBeam",    "AutoTime",   "UnitFlux", "UnitAxisX", "ExtProgram",
        "rgbDataI",  "rgbDataV",    "rgbWorkI",   "rgbWorkV",   "rgbSunC",  "rgbSunD",  "rgbGauss",
        "rgbSelG",   "rgbGrp1",     "rgbGrp2",    "rgbGrp3"};
    EXPECT_EQ(store.reads, expected);
}

TEST(Settings, StoredValuesParseOrFallBackSilently)
{
    MemorySettingsStore store;
    store.values = {{"KoefFlux", " 2.500e-03"},
                    {"GaussNoise", "abc"},                    // unparsable
                    {"MinYscaleI", "nan"},                    // not a usable number
                    {"MinYscaleV", "-40.5xyz"},               // "%f" stops at the junk
                    {"VrtBeam", std::string(140, '1')},       // longer than any number field
                    {"HrzBeam", "-1"},
                    {"AutoTime", "0"},
                    {"UnitFlux", "[s.f.u.]-but-too-long!"},   // 21 characters
                    {"UnitAxisX", "km"},
                    {"JpTime", "3.00"},
                    {"Output", std::string("/out\0junk", 9)}, // C string ends at the NUL
                    {"AutoScript", ""},
                    {"rgbDataI", "0x00123456"},
                    {"rgbDataV", "ff"},
                    {"rgbWorkI", "zz"},
                    {"PopUpMenu", "3 110 109 139 0 0 0 0 0 0 0"},
                    {"CommandList", "3 110 109"}};
    const Settings s = loadSettings(store, "/p");
    EXPECT_FLOAT_EQ(s.koefFlux, 0.0025f);
    EXPECT_EQ(s.gaussNoise, 10.0f);
    EXPECT_EQ(s.minYscaleI, 100.0f);
    EXPECT_EQ(s.minYscaleV, -40.5f);
    EXPECT_EQ(s.vrtBeam, 190.0f);
    EXPECT_EQ(s.hrzBeam, -1.0f);
    EXPECT_EQ(s.autoTime, 1);
    EXPECT_EQ(s.unitFlux, "[Jy]");
    EXPECT_EQ(s.unitAxisX, 'k');
    EXPECT_EQ(s.jpTime, 3.0f);
    EXPECT_EQ(s.output, "/out");
    EXPECT_EQ(s.autoScript, "");
    EXPECT_EQ(s.colours[kRgbDataI], 0x00123456u);
    EXPECT_EQ(s.colours[kRgbDataV], 0xffu);
    EXPECT_EQ(s.colours[kRgbWorkI], 0x0000aa55u);
    EXPECT_EQ(s.popUpMenu, (std::vector<int>{110, 109, 139}));
    EXPECT_TRUE(s.commandList.empty());

    store.values = {{"AutoTime", "-3"}, {"UnitAxisX", ""}};
    const Settings t = loadSettings(store, "/p");
    EXPECT_EQ(t.autoTime, 1);
    EXPECT_EQ(t.unitAxisX, '"');
}

TEST(Settings, ZeroFluxCoefficientForcesTheDialog)
{
    MemorySettingsStore store;
    for (const char* zero : {"0", " 0.000e+00", "-0", "0.0"}) {
        store.values["KoefFlux"] = zero;
        EXPECT_TRUE(startupNeedsConfig(store)) << zero;
    }
    for (const char* other : {"1", "abc", "", " 1.000e-03"}) {
        store.values["KoefFlux"] = other;
        EXPECT_FALSE(startupNeedsConfig(store)) << other;
    }
}

TEST(Settings, WrittenFormats)
{
    Settings s;
    s.koefFlux = 1.5f;
    s.gaussNoise = -3.25f;
    s.minYscaleI = -50;
    s.minYscaleV = 0.0625f;
    s.vrtBeam = 150;
    s.hrzBeam = -1;
    s.jpTime = 3;
    s.autoTime = 0;
    s.unitAxisX = '\'';
    s.colours[kRgbGrp3] = 0x00abcdef;
    s.commandList = {110, 109, 139};
    EXPECT_EQ(settingText(s, SettingId::KoefFlux), " 1.500e+00");
    EXPECT_EQ(settingText(s, SettingId::GaussNoise), "3.250");
    EXPECT_EQ(settingText(s, SettingId::MinYscaleI), "50.000");
    EXPECT_EQ(settingText(s, SettingId::MinYscaleV), "0.062");
    EXPECT_EQ(settingText(s, SettingId::VrtBeam), "150.00");
    EXPECT_EQ(settingText(s, SettingId::HrzBeam), "-1.00");
    EXPECT_EQ(settingText(s, SettingId::JpTime), "3.000");
    EXPECT_EQ(settingText(s, SettingId::AutoTime), "1");
    EXPECT_EQ(settingText(s, SettingId::UnitAxisX), "'");
    EXPECT_EQ(settingText(s, SettingId::RgbGrp3), "0x00abcdef");
    EXPECT_EQ(settingText(s, SettingId::RgbDataI), "0x0000aa00");
    EXPECT_EQ(settingText(s, SettingId::CommandList), "3 110 109 139 0 0 0 0 0 0 0");
    EXPECT_EQ(settingText(s, SettingId::PopUpMenu), "0 0 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(settingName(SettingId::Palette3d), std::string("3DPalette"));

    // Everything written reads back as the same settings.
    Settings w = defaultSettings("/p");
    w.koefFlux = 2.5f;
    w.vrtBeam = 12.25f;
    w.autoTime = 7;
    w.unitAxisX = 'm';
    w.output = "/home/obs/out";
    w.popUpMenu = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
    w.colours[kRgbSunC] = 0x00010203;
    MemorySettingsStore store;
    for (int id = 0; id <= static_cast<int>(SettingId::RgbGrp3); ++id)
        ASSERT_TRUE(writeSetting(store, w, static_cast<SettingId>(id)));
    const Settings r = loadSettings(store, "/elsewhere");
    for (int id = 0; id <= static_cast<int>(SettingId::RgbGrp3); ++id)
        EXPECT_EQ(settingText(r, static_cast<SettingId>(id)), settingText(w, static_cast<SettingId>(id)))
            << settingName(static_cast<SettingId>(id));
}

TEST(Settings, CommandIdListsAndProgramMenuText)
{
    EXPECT_EQ(parseCommandIds("3 110 109 139 0 0 0 0 0 0 0"), (std::vector<int>{110, 109, 139}));
    EXPECT_EQ(parseCommandIds("0 0 0 0 0 0 0 0 0 0 0"), std::vector<int>{});
    EXPECT_EQ(parseCommandIds("x"), std::vector<int>{});
    EXPECT_EQ(parseCommandIds("2 1 2 3 4 5 6 7 8 9"), std::vector<int>{}) << "ten numbers";
    EXPECT_EQ(parseCommandIds("11 1 2 3 4 5 6 7 8 9 10"), std::vector<int>{}) << "count beyond the slots";
    EXPECT_EQ(parseCommandIds("-1 1 2 3 4 5 6 7 8 9 10"), std::vector<int>{});
    EXPECT_EQ(parseCommandIds("10 1 2 3 4 5 6 7 8 9 10").size(), 10u);
    EXPECT_EQ(formatCommandIds({}), "0 0 0 0 0 0 0 0 0 0 0");
    EXPECT_EQ(formatCommandIds({5, 6}), "2 5 6 0 0 0 0 0 0 0 0");
    EXPECT_EQ(formatCommandIds({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), "10 1 2 3 4 5 6 7 8 9 10");
    EXPECT_EQ(extProgramMenuText("C:\\Windows\\notepad.exe"), "Run notepad.exe");
    EXPECT_EQ(extProgramMenuText("/usr/bin/gedit"), "Run gedit");
    EXPECT_EQ(extProgramMenuText("kate"), "Run kate");
}

TEST(SettingsStore, IniRoundTripsAnyTextAndCreatesTheFolder)
{
    TempDir tmp;
    const fs::path file = tmp.path() / "deep" / "er" / "settings.ini";
    const std::vector<std::pair<std::string, std::string>> values = {
        {"Equals", "a=b=c"},
        {"Lines", "one\ntwo\r\nthree"},
        {"Blanks", "  lead and trail  "},
        {"Quotes", "say \"hi\" \\ back\\"},
        {"Bytes", "\xc3\xa9t\xe9\xff"},
        {"Nul", std::string("a\0b", 3)},
        {"Controls", "\x01\x1f\x7f\t"},
        {"Empty", ""},
        {"Section", "[Quillmar]"},
        {"Output", "c:\\tmp"},
    };
    {
        IniSettingsStore store(file.string());
        for (const auto& [n, v] : values)
            ASSERT_TRUE(store.writeText(n, v)) << n;
        EXPECT_EQ(store.readText("Lines"), "one\ntwo\r\nthree");
    }
    const std::string text = readTextFile(file);
    EXPECT_EQ(text.rfind("[Quillmar]\n", 0), 0u);
    EXPECT_NE(text.find("Output=\"c:\\\\tmp\"\n"), std::string::npos);
    IniSettingsStore again(file.string());
    for (const auto& [n, v] : values)
        EXPECT_EQ(again.readText(n), v) << n;
    EXPECT_EQ(again.readText("Missing"), std::nullopt);
    EXPECT_FALSE(again.writeText("Bad=Name", "x"));
    EXPECT_FALSE(again.writeText("Bad\nName", "x"));
    for (const auto& entry : fs::directory_iterator(file.parent_path()))
        EXPECT_EQ(entry.path().filename(), "settings.ini") << "no temporary file left behind";
}

TEST(SettingsStore, BinaryValuesAsHexAndWrongLengthIsAbsent)
{
    std::vector<uint8_t> beam(40), fits(60);
    for (std::size_t i = 0; i < beam.size(); ++i)
        beam[i] = static_cast<uint8_t>(i * 37 + 200);
    for (std::size_t i = 0; i < fits.size(); ++i)
        fits[i] = static_cast<uint8_t>(255 - i);

    MemorySettingsStore mem;
    ASSERT_TRUE(mem.writeBinary("BeamConfig", beam));
    EXPECT_EQ(mem.values["BeamConfig"].substr(0, 6), "c8ed12");
    EXPECT_EQ(mem.readBinary("BeamConfig", 40), beam);
    EXPECT_EQ(mem.readBinary("BeamConfig", 60), std::nullopt);
    EXPECT_EQ(mem.readBinary("Missing", 40), std::nullopt);
    mem.values["Junk"] = std::string(80, 'g');
    EXPECT_EQ(mem.readBinary("Junk", 40), std::nullopt);

    TempDir tmp;
    const std::string file = (tmp.path() / "settings.ini").string();
    {
        IniSettingsStore store(file);
        ASSERT_TRUE(store.writeBinary("BeamConfig", beam));
        ASSERT_TRUE(store.writeBinary("FitsConfig", fits));
    }
    IniSettingsStore again(file);
    EXPECT_EQ(again.readBinary("BeamConfig", 40), beam);
    EXPECT_EQ(again.readBinary("FitsConfig", 60), fits);
    EXPECT_EQ(again.readBinary("FitsConfig", 40), std::nullopt);
    EXPECT_EQ(again.readBinary("BeamConfig", 60), std::nullopt);

    // A hand-shortened record is refused, not padded.
    std::string text = readTextFile(file);
    const std::size_t at = text.find("BeamConfig=\"") + 12;
    text.erase(at, 1);
    writeFile(file, text);
    IniSettingsStore shortened(file);
    EXPECT_EQ(shortened.readBinary("BeamConfig", 40), std::nullopt);
    EXPECT_EQ(shortened.readBinary("BeamConfig", 39), std::nullopt) << "odd digit count";
    EXPECT_EQ(shortened.readBinary("FitsConfig", 60), fits);
}

TEST(SettingsStore, DamagedFilesGiveDefaultsAndAreRewrittenWhole)
{
    TempDir tmp;
    const fs::path file = tmp.path() / "settings.ini";
    const std::string damaged[] = {
        "",
        std::string("\x00\xff\x13garbage\x00=\x01", 13),
        "[Quillmar]\nKoefFlux=\" 2.000e+00",             // cut inside the value
        "[Quillmar]\nKoefFlux=",                          // cut after the '='
        "[Quillmar]\nKoefFlux=\"2\" tail\n",              // text after the quotes
        "[Quillmar]\nKoefFlux=\"2\\q\"\n",                // unknown escape
        "[Other]\nKoefFlux=\"2\"\n",                      // foreign section
        "KoefFlux=\"2\"\n",                               // no section
        "[Quillmar]\n=\"2\"\nKoefFlux\n",                 // no name, no '='
    };
    for (const auto& bytes : damaged) {
        writeFile(file, bytes);
        IniSettingsStore store(file.string());
        const Settings s = loadSettings(store, "/p");
        EXPECT_EQ(s.koefFlux, 1.0f) << bytes;
        EXPECT_EQ(s.output, "c:\\tmp") << bytes;
        ASSERT_TRUE(store.writeText("Output", "/out"));
        EXPECT_EQ(readTextFile(file), "[Quillmar]\nOutput=\"/out\"\n") << bytes;
        EXPECT_EQ(IniSettingsStore(file.string()).readText("Output"), "/out");
    }

    // Good lines survive next to a damaged last line; values typed by hand
    // without quotes are taken as they stand.
    writeFile(file, "; comment\r\n[Quillmar]\r\nOutput = /home/me/out \r\nKoefFlux=\"3\"\nGaussNoise=\"7.5");
    IniSettingsStore store(file.string());
    EXPECT_EQ(store.readText("Output"), "/home/me/out");
    EXPECT_EQ(store.readText("KoefFlux"), "3");
    EXPECT_EQ(store.readText("GaussNoise"), std::nullopt);
    EXPECT_FALSE(fs::exists(tmp.path() / "missing.ini"));
    IniSettingsStore missing((tmp.path() / "missing.ini").string());
    EXPECT_EQ(missing.readText("Output"), std::nullopt);
    EXPECT_FALSE(fs::exists(tmp.path() / "missing.ini")) << "reading creates nothing";
}

TEST(SettingsStore, DefaultPathChoice)
{
    struct Case {
        const char *config, *xdg, *home, *path;
    };
    const Case cases[] = {
        {"/etc/qm/mine.ini", "/xdg", "/home/obs", "/etc/qm/mine.ini"},
        {"", "/xdg", "/home/obs", "/xdg/quillmar/settings.ini"},
        {nullptr, "relative/dir", "/home/obs", "/home/obs/.config/quillmar/settings.ini"},
        {nullptr, nullptr, "/home/obs", "/home/obs/.config/quillmar/settings.ini"},
    };
    for (const Case& c : cases) {
        EnvVar config("QUILLMAR_CONFIG", c.config), xdg("XDG_CONFIG_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(IniSettingsStore::defaultPath(), c.path);
    }
}
