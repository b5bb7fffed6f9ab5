// tavrel through the host: the factor of the scan's own frequency from the
// table, both channels, and tables without a usable factor.
#include "plugins/plugin_host.h"
#include "tests/plugins/plugin_fixture.h"

#include <fstream>

using namespace qm;
using namespace qm::test;

TEST(Tavrel, MultipliesByTheFactorOfTheScansFrequency)
{
    TempDir dir;
    PluginBench b;
    b.wb.programDir = dir.path().string();
    auto host = installPlugins(b.wb, QM_STARTUP_DIR);
    constexpr int kCalibr = 10111; // tavrel loads after melvane
    b.loadScans({2.7f, 2.9f, 3.1f}, 8);
    std::ofstream(dir.file("t.cta")) << "2.7 1.10\n# comment\n2.900000001 1.05 trailing words\n2.9 9\n3.1 inf\n";
    b.wb.chkWrkI = b.wb.chkWrkV = true;

    // ONE mode: the file question once (filters and the plug-in's folder), both channels.
    b.ui.fileAnswers.push_back(dir.file("t.cta"));
    b.wb.setActive(b.wb.scans.findExact(2.9f));
    b.wb.dispatch(kCalibr);
    ASSERT_EQ(b.ui.fileDialogs.size(), 1u);
    EXPECT_EQ(b.ui.fileDialogs[0].filters[0].name, "Correct Ta Files");
    EXPECT_EQ(b.ui.fileDialogs[0].filters[0].pattern, "*.cta;");
    EXPECT_EQ(b.ui.fileDialogs[0].filters[1].pattern, "*.*");
    EXPECT_EQ(b.ui.fileDialogs[0].initialDir, QM_STARTUP_DIR);
    const ScanRecord& s = *b.wb.activeScan;
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(s.wrkI()[i], (100.0f + i) * 1.05f);
        EXPECT_EQ(s.wrkV()[i], (100.0f + i) * 1.05f);
    }

    // Batch over all scans, the title names the table: 3.1 has no finite factor.
    b.wb.interactiveMode = false;
    b.wb.allMode = true;
    b.wb.batchTitle = dir.file("t.cta");
    b.wb.dispatch(kCalibr);
    const ScanRecord& first = *b.wb.scans.findExact(2.7f);
    const ScanRecord& last = *b.wb.scans.findExact(3.1f);
    EXPECT_EQ(first.wrkI()[3], 103.0f * 1.10f);
    EXPECT_EQ(last.wrkV()[3], 103.0f);
    EXPECT_EQ(b.ui.messages.size(), 0u); // batch: the note goes where suppressed messages go

    // A missing table changes nothing; a cancelled question neither.
    b.wb.batchTitle = dir.file("none.cta");
    b.wb.dispatch(kCalibr);
    EXPECT_EQ(last.wrkV()[3], 103.0f);
    b.wb.interactiveMode = true;
    b.wb.allMode = false;
    b.wb.setActive(b.wb.scans.findExact(3.1f));
    b.ui.fileAnswers.push_back(dir.file("t.cta"));
    b.wb.dispatch(kCalibr);
    ASSERT_FALSE(b.ui.messages.empty());
    EXPECT_EQ(b.ui.messages[0].text, "No correction factor for 3.100 GHz in " + dir.file("t.cta"));
    EXPECT_EQ(last.wrkI()[3], 103.0f);
}
