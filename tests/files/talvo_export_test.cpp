#include "files/talvo_export.h"

#include "app/settings_store.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iconv.h>
#include <map>

using namespace qm;

namespace {

// UTF-8 text converted to code page 866 by the C library.
std::string toCp866(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP866", "UTF-8");
    EXPECT_NE(cd, iconv_t(-1));
    std::string in = utf8, out(utf8.size(), '\0');
    char* src = in.data();
    char* dst = out.data();
    std::size_t left = in.size(), room = out.size();
    EXPECT_NE(iconv(cd, &src, &left, &dst, &room), std::size_t(-1));
    iconv_close(cd);
    out.resize(out.size() - room);
    return out;
}

int16_t word(const std::string& bytes, std::size_t index)
{
    return int16_t(uint8_t(bytes[2 * index]) | (uint8_t(bytes[2 * index + 1]) << 8));
}

} // namespace

TEST(TalvoExport, StepFractionAndChannelBytes)
{
    using P = std::pair<short, short>;
    EXPECT_EQ(talvoStepFraction(0.25f), P(8000, 32000));
    EXPECT_EQ(talvoStepFraction(4.0f), P(32000, 8000));
    EXPECT_EQ(talvoStepFraction(1.0f), P(32000, 32000));
    EXPECT_EQ(talvoStepFraction(3.0f), P(32000, 10666));
    EXPECT_EQ(talvoStepFraction(0.0f), P(1, 1));

    ScanRecord r;
    r.nPoints = 3;
    r.step = 0.25f;
    r.centerPoint = 1.9f;
    r.radius = 960.7f;
    r.allocChannel(1);
    const float w[] = {100, -200, 60000}; // max |w| 60000: divisor 3
    std::copy(w, w + 3, r.wrkI());
    const std::string f = encodeTalvoChannel(r, r.wrkI());
    const uint8_t expected[] = {
        0x03, 0x00, 0x03, 0x00, 0x40, 0x1f, 0x00, 0x7d, 0x01, 0x00, 0xc0, 0x03, // 3, 3, 8000, 32000, 1, 960
        0, 0, 0, 0, 0, 0, 0, 0,                                               // reserved
        0x20, 0x4e, 0xbe, 0xff, 0x21, 0x00};                                  // 20000, -66, 33
    EXPECT_EQ(f, std::string(expected, expected + sizeof expected));
}

TEST(TalvoExport, WritesChannelFilesAndParameterTable)
{
    test::TempDir dir;
    test::FakeUi ui;
    MemorySettingsStore store;
    Workbench wb(ui, store, ".");
    wb.settings.output = dir.path().string();
    for (float freq : {3.0f, 2.5f, 2.0f}) {
        const bool withV = freq != 2.5f; // 2.5 GHz lacks a worksheet: not exported
        auto r = std::make_unique<ScanRecord>();
        r->nPoints = 5;
        r->frequency = freq;
        r->fluxCoef = 0.5f;
        r->tqSun = 16000;
        r->beamHalfsize = 17;
        r->step = 4;
        copyField(r->dateObs, "1997/12/05");
        r->allocChannel(1);
        if (withV)
            r->allocChannel(2);
        for (int k = 0; k < 5; ++k) {
            r->wrkI()[k] = freq * 1000 + float(k);
            if (withV)
                r->wrkV()[k] = -float(k);
        }
        wb.scans.pushHead(std::move(r));
    }
    wb.scans.sort();
    wb.activeScan = wb.scans.at(2);
    wb.setLoaded = true;

    // Both worksheet switches are needed.
    wb.chkWrkI = true;
    exportTalvo(wb);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "WORKSHEETs are not checked");
    EXPECT_EQ(wb.takeFailures(), std::vector<std::string>{"WORKSHEETs are not checked"});
    EXPECT_TRUE(test::filesIn(dir.path()).empty());

    wb.chkWrkV = true;
    exportTalvo(wb); // ONE mode: every scan is exported all the same
    EXPECT_EQ(test::filesIn(dir.path()),
              (std::set<std::string>{"c05_c05.p97", "p05c9701", "p05c9702", "p05c9703", "p05c9704"}));
    EXPECT_EQ(ui.statuses.back(), "TALVO: 5 files written to " + wb.settings.output);
    const std::string heading = toCp866("Таблица  параметров по каналам  PAS (is used TALVO)\r\n"
                                        "     (не вставлять и не перемещать строки)\r\n"
                                        " Номер    Имя   \t Wl \tFlux\tQuiet  Beam width\r\n"
                                        "канала                                   Sun\r\n");
    EXPECT_EQ(test::readTextFile(dir.file("c05_c05.p97")), heading + " 01\t15.00cm\t\t15.00\t0.500\t16000\t17.00\r\n"
                                                                     " 03\t10.00cm\t\t10.00\t0.500\t16000\t17.00\r\n");

    const std::string ch1 = test::readTextFile(dir.file("p05c9701")), ch2 = test::readTextFile(dir.file("p05c9702"));
    ASSERT_EQ(ch1.size(), 30u);
    EXPECT_EQ(word(ch1, 0), 5);
    EXPECT_EQ(word(ch1, 10), 2004); // 2000 + point 4, reversed
    EXPECT_EQ(word(ch1, 14), 2000);
    EXPECT_EQ(word(ch2, 10), -4);
    EXPECT_TRUE(wb.takeFailures().empty());

    // One channel file that cannot be written: no file of the export
    // changes, nothing is left behind, and the file is named.
    std::map<std::string, std::string> before;
    for (const std::string& name : test::filesIn(dir.path()))
        before[name] = test::readTextFile(dir.file(name));
    for (const auto& r : wb.scans)
        r->wrkI()[0] += 7;
    std::filesystem::remove(dir.file("p05c9703"));
    std::filesystem::create_directory(dir.file("p05c9703"));
    before["p05c9703"] = "";
    exportTalvo(wb);
    std::map<std::string, std::string> after;
    for (const std::string& name : test::filesIn(dir.path()))
        after[name] = test::readTextFile(dir.file(name));
    EXPECT_EQ(after, before);
    const std::string reason = "File " + dir.file("p05c9703") + " cannot be written";
    EXPECT_TRUE(ui.sawMessage(reason));
    EXPECT_EQ(wb.takeFailures(), std::vector<std::string>{reason});
}
