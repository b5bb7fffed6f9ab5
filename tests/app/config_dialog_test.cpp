#include "app/config_dialog.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"

#include <gtest/gtest.h>

using namespace qm;
using qm::test::FakeUi;

namespace {

// Remembers every write in order.
class WriteOrderStore : public MemorySettingsStore {
public:
    bool writeText(const std::string& name, const std::string& value) override
    {
        writes.push_back(name);
        return MemorySettingsStore::writeText(name, value);
    }
    std::vector<std::string> writes;
};

struct Bench {
    FakeUi ui;
    WriteOrderStore store;
    std::optional<Workbench> wb;
    void start() { wb.emplace(ui, store, "/opt/qm"); }
};

} // namespace

TEST(ConfigDialog, NoStartupDialogWithoutAZeroCoefficientNorInBatch)
{
    Bench b;
    b.start();
    runStartupCheck(*b.wb);
    EXPECT_TRUE(b.ui.configShown.empty());
    EXPECT_EQ(b.wb->settings.koefFlux, 1.0f);
    EXPECT_EQ(b.wb->autosaveTicks, 5);

    Bench batch;
    batch.store.values = {{"KoefFlux", "0"}};
    batch.start();
    batch.wb->interactiveMode = false;
    runStartupCheck(*batch.wb);
    runConfigDialog(*batch.wb, true);
    EXPECT_TRUE(batch.ui.configShown.empty());
    EXPECT_TRUE(b.store.writes.empty());
    EXPECT_TRUE(batch.store.writes.empty());
}

TEST(ConfigDialog, ZeroFluxCoefficientAtStartupCannotBeCancelled)
{
    Bench b;
    b.store.values = {{"KoefFlux", "0"}, {"LastDir", "/data/2004"}, {"ExtProgram", "gedit"}};
    b.start();
    b.ui.configAnswers = {std::nullopt, std::nullopt}; // two Cancels, then OK as shown
    runStartupCheck(*b.wb);

    ASSERT_EQ(b.ui.configShown.size(), 3u);
    for (bool allowed : b.ui.configCancelAllowed)
        EXPECT_FALSE(allowed);
    // The numeric fields keep their template texts; the file fields show the
    // working values, the program name coming from the store.
    const ConfigDialogFields& f = b.ui.configShown[0];
    EXPECT_EQ(f.koefFlux, "1");
    EXPECT_EQ(f.gaussNoise, "10");
    EXPECT_EQ(f.minYscaleI, "100");
    EXPECT_EQ(f.vrtBeam, "150");
    EXPECT_EQ(f.hrzBeam, "-1");
    EXPECT_EQ(f.autoTime, "1");
    EXPECT_EQ(f.unitFlux, "[Jy]");
    EXPECT_EQ(f.unitAxisX, "\"");
    EXPECT_EQ(f.jpTime, "3.00");
    EXPECT_EQ(f.output, "C:\\TMP");
    EXPECT_EQ(f.jpFlux, "/opt/qm/SunFlux");
    EXPECT_EQ(f.extProgram, "gedit");
    EXPECT_EQ(f.colours[kRgbGrp2], 0x00008000u);

    EXPECT_EQ(b.store.values["KoefFlux"], " 1.000e+00");
    EXPECT_EQ(b.store.values["HrzBeam"], "-1.00");
    EXPECT_EQ(b.store.values["VrtBeam"], "150.00");
    EXPECT_EQ(b.store.values["Output"], "C:\\TMP");
    // The settings are read again afterwards: stored values not in the
    // dialog stay, dialog values are in force.
    EXPECT_EQ(b.wb->settings.lastDir, "/data/2004");
    EXPECT_EQ(b.wb->settings.koefFlux, 1.0f);
    EXPECT_EQ(b.wb->settings.vrtBeam, 150.0f);
    EXPECT_EQ(b.wb->autosaveTicks, 1);
    EXPECT_FALSE(startupNeedsConfig(b.store));
}

TEST(ConfigDialog, CommandShowsCurrentValuesAndCancelChangesNothing)
{
    Bench b;
    b.store.values = {{"GaussNoise", "2.5"}, {"HrzBeam", "-3"}, {"UnitAxisX", "m"}, {"AutoTime", "12"},
                      {"CorFile", "log.dat"}};
    b.start();
    b.wb->settings.corFile = "stale.dat"; // the dialog takes the stored one
    const int redraws = b.ui.redraws;
    runConfigDialog(*b.wb, true);

    ASSERT_EQ(b.ui.configShown.size(), 1u);
    EXPECT_TRUE(b.ui.configCancelAllowed[0]);
    const ConfigDialogFields& f = b.ui.configShown[0];
    EXPECT_EQ(f.koefFlux, "1.000e+00");
    EXPECT_EQ(f.gaussNoise, "2.500");
    EXPECT_EQ(f.minYscaleV, "100.000");
    EXPECT_EQ(f.vrtBeam, "190.00");
    EXPECT_EQ(f.hrzBeam, "-3.00");
    EXPECT_EQ(f.jpTime, "0.000");
    EXPECT_EQ(f.autoTime, "12");
    EXPECT_EQ(f.unitAxisX, "m");
    EXPECT_EQ(f.output, "c:\\tmp");
    EXPECT_EQ(f.corFile, "log.dat");
    EXPECT_EQ(f.palette3d, "Bitmap3d.pal");
    EXPECT_EQ(f.autoScript, "");

    EXPECT_TRUE(b.store.writes.empty());
    EXPECT_EQ(b.wb->settings.corFile, "stale.dat");
    EXPECT_EQ(b.ui.redraws, redraws);
}

TEST(ConfigDialog, ConfirmedValuesAreCleanedAndWrittenInOrder)
{
    Bench b;
    b.start();
    ScanRecord scan;
    scan.beamHalfsize = 2.5f;
    scan.step = 0.125f;
    b.wb->setLoaded = true;
    b.wb->activeScan = &scan;
    int applied = 0;
    b.wb->settingsAppliedHook = [&applied](Workbench&) { ++applied; };

    ConfigDialogFields f;
    f.koefFlux = "1.5";
    f.gaussNoise = "-2";
    f.minYscaleI = "-50";
    f.minYscaleV = "abc"; // unparsable: keeps its value
    f.vrtBeam = "150";
    f.hrzBeam = "-1";
    f.autoTime = "0";
    f.unitFlux = "  [sfu] extra";
    f.unitAxisX = "";
    f.jpTime = "3";
    f.jpFlux = "/flux";
    f.output = "/out";
    f.pathScript = "/scripts";
    f.autoScript = "";
    f.extProgram = "/usr/bin/gedit";
    f.corFile = "cor.dat";
    f.palette3d = "3d.pal";
    f.fitsPalette = "fits.pal";
    f.colours = Settings().colours;
    f.colours[kRgbWorkV] = 0x00123456;
    b.ui.configAnswers = {f};
    runConfigDialog(*b.wb, true);

    const std::vector<std::string> order = {
        "FitsPalette", "3DPalette",  "CorFile",    "Output",     "PathScript", "AutoScript", "JpFlux",
        "ExtProgram",  "JpTime",     "AutoTime",   "KoefFlux",   "GaussNoise", "MinYscaleI", "MinYscaleV",
        "VrtBeam",     "HrzBeam",    "UnitFlux",   "UnitAxisX",  "rgbWorkV"};
    EXPECT_EQ(b.store.writes, order);
    auto& v = b.store.values;
    EXPECT_EQ(v["KoefFlux"], " 1.500e+00");
    EXPECT_EQ(v["GaussNoise"], "2.000");
    EXPECT_EQ(v["MinYscaleI"], "50.000");
    EXPECT_EQ(v["MinYscaleV"], "100.000");
    EXPECT_EQ(v["AutoTime"], "1");
    EXPECT_EQ(v["UnitFlux"], "[sfu]");
    EXPECT_EQ(v["UnitAxisX"], "\"");
    EXPECT_EQ(v["JpTime"], "3.000");
    EXPECT_EQ(v["AutoScript"], "");
    EXPECT_EQ(v["rgbWorkV"], "0x00123456");

    const Settings& s = b.wb->settings;
    EXPECT_EQ(s.minYscaleI, 50.0f);
    EXPECT_EQ(s.gaussNoise, 2.0f);
    EXPECT_EQ(s.extProgram, "/usr/bin/gedit");
    EXPECT_EQ(s.colours[kRgbWorkV], 0x00123456u);
    EXPECT_EQ(b.wb->autosaveTicks, 1);
    EXPECT_EQ(b.wb->toolBeamText, "D=2.50\"");
    EXPECT_EQ(b.wb->toolStepText, "Sh=0.125\"");
    EXPECT_EQ(applied, 1);
    EXPECT_GT(b.ui.redraws, 0);

    // Reading the store back gives what is in force.
    const Settings r = loadSettings(b.store, "/opt/qm");
    for (int id = 0; id <= static_cast<int>(SettingId::RgbGrp3); ++id)
        EXPECT_EQ(settingText(r, static_cast<SettingId>(id)), settingText(s, static_cast<SettingId>(id)))
            << settingName(static_cast<SettingId>(id));
}

TEST(ConfigDialog, EmptyFieldsAreSkippedAndLongOnesCut)
{
    Bench b;
    b.start();
    ConfigDialogFields f;
    f.koefFlux = "2";
    f.autoTime = "-3";
    f.unitAxisX = "km";
    f.unitFlux = std::string(25, 'u');
    f.output = std::string(200, 'o');
    f.extProgram = std::string(200, 'e');
    f.autoScript = std::string(160, 'a');
    f.colours = Settings().colours;
    // Folders, palettes and the flux unit left empty are neither written
    // nor cleared.
    b.ui.configAnswers = {f};
    runConfigDialog(*b.wb, true);

    const std::vector<std::string> order = {"Output",   "AutoScript", "ExtProgram", "JpTime",    "AutoTime",
                                            "KoefFlux", "GaussNoise", "MinYscaleI", "MinYscaleV", "VrtBeam",
                                            "HrzBeam",  "UnitFlux",   "UnitAxisX"};
    EXPECT_EQ(b.store.writes, order);
    const Settings& s = b.wb->settings;
    EXPECT_EQ(s.output, std::string(152, 'o'));
    EXPECT_EQ(s.extProgram, std::string(132, 'e'));
    EXPECT_EQ(s.autoScript, std::string(152, 'a'));
    EXPECT_EQ(s.unitFlux, std::string(19, 'u'));
    EXPECT_EQ(s.unitAxisX, 'k');
    EXPECT_EQ(s.autoTime, 1);
    EXPECT_EQ(s.jpFlux, "/opt/qm/SunFlux");
    EXPECT_EQ(s.fitsPalette, "FitsBmp.pal");
    EXPECT_EQ(b.store.values["UnitAxisX"], "k");
    EXPECT_EQ(b.store.values["AutoTime"], "1");
    EXPECT_EQ(b.wb->toolBeamText, "") << "no set loaded";
}
