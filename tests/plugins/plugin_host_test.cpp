// The plug-in host with real shared libraries: a C probe that records its
// calls, refused libraries of every kind and a C++ plug-in that throws.
#include "batch/command_catalogue.h"
#include "plugins/plugin_host.h"
#include "tests/plugins/plugin_fixture.h"

#include <dlfcn.h>

#include <filesystem>
#include <fstream>

using namespace qm;
using namespace qm::test;

namespace {

struct ProbeCall {
    int32_t funcId, firstCall, nPoints, firstPoint, lastPoint, interactive;
    float frequency, noiseLevel, step, first;
    const void* data;
    const void* scan;
    char object[32];
};
struct ProbeLogT {
    int32_t menuResults[6];
    int32_t calls;
    ProbeCall call[64];
    char form[6][QM_FORM_TEXT_SIZE];
    int32_t formAnswer, fileAnswer;
    char path[256];
};

// The probe's record, reached through its own export.
ProbeLogT& probeLog(const std::string& path)
{
    void* h = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    EXPECT_NE(h, nullptr) << path;
    auto fn = reinterpret_cast<ProbeLogT* (*)()>(dlsym(h, "ProbeLog"));
    dlclose(h);
    return *fn();
}

void copyProbe(const TempDir& dir, const char* built, const std::string& as)
{
    std::filesystem::copy_file(std::string(QM_PROBE_DIR) + "/" + built + ".so", dir.file(as));
}

// One probe library as the only plug-in of the program folder, installed,
// and scans of n points loaded.
struct ProbeBench : PluginBench {
    TempDir dir;
    std::string library;
    std::shared_ptr<PluginHost> host;
    ProbeBench(const char* built, const std::string& as, std::initializer_list<float> frequencies, int n)
        : library(dir.file(as))
    {
        copyProbe(dir, built, as);
        wb.programDir = dir.path().string();
        host = installPlugins(wb, dir.path().string());
        loadScans(frequencies, n);
    }
};

} // namespace

TEST(PluginHost, LoadsInByteOrderAndRefusesBadLibraries)
{
    TempDir dir;
    copyProbe(dir, "probe_c", "b.so");
    copyProbe(dir, "probe_throw", "a.so");
    copyProbe(dir, "probe_no_version", "c1.so");
    copyProbe(dir, "probe_old_version", "c2.so");
    copyProbe(dir, "probe_no_menu", "c3.so");
    copyProbe(dir, "probe_throw_menu", "c4.so");
    copyProbe(dir, "probe_no_select", "d.so");
    std::ofstream(dir.file("c0.so")) << "not a library";
    std::ofstream(dir.file("notes.txt")) << "ignored";
    std::filesystem::create_directory(dir.file("folder.so"));

    PluginBench b;
    auto host = installPlugins(b.wb, dir.path().string());
    ASSERT_EQ(host->modules().size(), 3u);
    EXPECT_EQ(host->modules()[0].file, "a.so");
    EXPECT_EQ(host->modules()[1].file, "b.so");
    EXPECT_EQ(host->modules()[2].file, "d.so");
    const auto& r = host->refusals();
    ASSERT_EQ(r.size(), 5u);
    EXPECT_EQ(r[0].rfind("Plug-in c0.so not loaded: ", 0), 0u);
    EXPECT_EQ(r[1], "Plug-in c1.so not loaded: no QmPluginAbiVersion");
    EXPECT_EQ(r[2], "Plug-in c2.so not loaded: interface version 7, not 1");
    EXPECT_EQ(r[3], "Plug-in c3.so not loaded: no InitSDllMenu");
    EXPECT_EQ(r[4], "Plug-in c4.so not loaded: InitSDllMenu failed: menu failure");

    // Slots: a.so base 10000, b.so 10100 (the thrower's menu took no slot), d.so 10200.
    const CommandTable& t = b.wb.commands();
    EXPECT_EQ(t.info(10000), nullptr); // "None" leaves with the first plug-in
    ASSERT_NE(t.info(10011), nullptr);
    EXPECT_EQ(t.info(10011)->menuPath, "Spec.Func > Thrower");
    ASSERT_NE(t.info(10112), nullptr);
    EXPECT_EQ(t.info(10112)->menuPath, "Spec.Func > Probe > Inner");
    EXPECT_EQ(t.info(10111)->hint, "Records the call");
    EXPECT_NE(t.info(10200), nullptr); // local 100 of plug-in 1
    const ProbeLogT& log = probeLog(dir.file("b.so"));
    EXPECT_EQ(std::vector<int32_t>(log.menuResults, log.menuResults + 6), (std::vector<int32_t>{1, 1, 1, 0, 0, 1}));
    EXPECT_EQ(pluginSlot(10200), std::make_pair(1, 100));
    EXPECT_EQ(pluginSlot(10111), std::make_pair(1, 11));

    // Catalogue lines follow the shipped ones; empty and clashing names get none.
    b.wb.programDir = QM_SOURCE_DATA;
    const CommandCatalogue cat = CommandCatalogue::forWorkbench(b.wb);
    EXPECT_EQ(cat.lookup("ProbeRecord"), 10111);
    EXPECT_EQ(cat.lookup("ProbeAsk"), 10112);
    EXPECT_EQ(cat.lines().back().text, "10112 ProbeAsk Asks"); // d.so's names clash with b.so's
    for (const auto& l : cat.lines())
        EXPECT_TRUE(l.number != 10113 && l.number != 10200 && l.number < 10211) << l.text;
}

TEST(PluginHost, CallsOncePerCheckedChannelWithTheRunsRecord)
{
    ProbeBench b("probe_c", "p.so", {2.7f, 2.9f, 3.1f, 3.3f, 3.5f}, 30);
    ProbeLogT& log = probeLog(b.library);

    // Nothing checked: 1001, no call.
    b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.wb.dispatch(10011);
    b.expectMessage("WORKSHEET is not checked");
    EXPECT_EQ(log.calls, 0);

    // ONE mode, both channels: I first with firstCall 1, then V with what the plug-in left.
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.show(3, 20);
    ScanRecord& a = *b.wb.activeScan;
    b.wb.dispatch(10011);
    ASSERT_EQ(log.calls, 2);
    const ProbeCall& c = log.call[0];
    EXPECT_EQ((std::vector<const void*>{c.data, log.call[1].data, c.scan}),
              (std::vector<const void*>{a.wrkI(), a.wrkV(), &a}));
    EXPECT_EQ((std::vector<int>{c.firstCall, log.call[1].firstCall, c.funcId, c.firstPoint, c.lastPoint, c.nPoints,
                                c.interactive}),
              (std::vector<int>{1, 0, 11, 3, 20, 30, 1}));
    EXPECT_EQ(std::pair(c.frequency, c.noiseLevel), std::pair(a.frequency, b.wb.settings.gaussNoise));
    EXPECT_EQ(b.ui.progressTitles.back(), "Special function");
    EXPECT_EQ(a.wrkI()[0], 101.0f);

    // ALL mode over five scans with only Worksheet V: five calls, five status lines.
    log.calls = 0;
    b.wb.allMode = true;
    b.wb.chkWrkI = false;
    b.ui.statuses.clear();
    b.wb.dispatch(10011);
    ASSERT_EQ(log.calls, 5);
    int lines = 0;
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(log.call[i].firstCall, i == 0 ? 1 : 0);
        EXPECT_EQ(log.call[i].data, static_cast<const ScanRecord*>(log.call[i].scan)->wrkV());
    }
    for (const auto& s : b.ui.statuses)
        lines += s.find("Special function of scan ") == 0 && s.find("[GHz] is end") != std::string::npos;
    EXPECT_EQ(lines, 5);
    EXPECT_EQ(b.ui.statuses.back(), "Special function of scan 3.50[GHz] is end");

    // An identifier no plug-in registered does nothing.
    log.calls = 0;
    b.wb.dispatch(10311);
    EXPECT_EQ(log.calls, 0);
}

TEST(PluginHost, FormsFilesMessagesAndResultText)
{
    ProbeBench b("probe_c", "p.so", {2.7f}, 10);
    ProbeLogT& log = probeLog(b.library);
    b.wb.chkWrkI = true;
    b.wb.chkWrkV = false;

    // Interactive: the form and the file question go to the person.
    b.ui.formAnswers.push_back(std::vector<std::string>{"x0", "x1"});
    b.ui.fileAnswers.push_back("/data/t.cta");
    b.wb.dispatch(10012);
    ASSERT_EQ(b.ui.formsShown.size(), 1u);
    EXPECT_EQ(b.ui.formsShown[0].title, "Probe form");
    EXPECT_EQ(b.ui.formsShown[0].fields[5].second, "t5");
    EXPECT_EQ(b.ui.formsShown[0].helpCaption, "Probe Help");
    const auto forms = [&] { return std::vector<std::string>(log.form, log.form + 5); };
    EXPECT_EQ(forms(), (std::vector<std::string>{"x0", "x1", "t2", "t3", "t4"}));
    EXPECT_EQ(log.fileAnswer, 1);
    EXPECT_EQ(std::string(log.path), "/data/t.cta");
    ASSERT_EQ(b.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(b.ui.fileDialogs[0].filters[0].pattern, "*.cta;");
    EXPECT_EQ(b.ui.fileDialogs[0].filters[1].name, "Any");
    EXPECT_EQ(b.ui.messages.at(0).text, "probe says hello");
    ASSERT_EQ(b.ui.reports.size(), 1u);
    EXPECT_EQ(b.ui.reports[0].title + ": " + b.ui.reports[0].text, "ProbeReport: probe result");

    // Batch: a1..a4 as "%.9g" into the first four fields, the title as the file.
    b.wb.interactiveMode = false;
    b.wb.fileOutput = false; // scripts collect reports in the open window
    b.wb.batchArgs = {1.5f, -2, 0.1f, 7};
    b.wb.batchTitle = "/tables/x.cta";
    b.ui.formsShown.clear();
    b.wb.dispatch(10012);
    EXPECT_TRUE(b.ui.formsShown.empty());
    EXPECT_EQ(log.formAnswer, 1);
    EXPECT_EQ(forms(), (std::vector<std::string>{"1.5", "-2", "0.100000001", "7", "t4"}));
    EXPECT_EQ(std::string(log.path), "/tables/x.cta");
    EXPECT_EQ(log.call[log.calls - 1].interactive, 0);
    b.wb.batchTitle.clear();
    b.wb.dispatch(10012);
    EXPECT_EQ(log.fileAnswer, 0);
}

TEST(PluginHost, ThrowingPluginRestoresTheChannelAndEndsTheRun)
{
    ProbeBench b("probe_throw", "t.so", {2.7f, 2.9f}, 10);
    b.wb.chkWrkI = b.wb.chkWrkV = true;
    b.wb.allMode = true;
    b.wb.view.confirmAll = false;
    b.wb.dispatch(10011);
    for (const auto& r : b.wb.scans)
        for (int i = 0; i < 10; ++i) {
            EXPECT_EQ(r->wrkI()[i], 100.0f + i);
            EXPECT_EQ(r->wrkV()[i], 100.0f + i);
        }
    b.expectMessage("Error in plug-in module\n" + b.library + "\nprobe failure");
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    // The crash guard is gone after the run: the backup was written before it.
    EXPECT_FALSE(std::filesystem::is_empty(b.dir.file("BACKUP")));
}

TEST(PluginHost, MissingSelectFunctionIsNamed)
{
    ProbeBench b("probe_no_select", "n.so", {2.7f}, 10);
    b.wb.chkWrkI = true;
    b.wb.dispatch(10011);
    b.expectMessage("Error locating procedures in module\n" + b.library);
}
