// The packet file: the section reader, the [Init] values, the file list
// and the base names of output files.
#include "app/settings.h"
#include "batch/packet_file.h"
#include "batch/profile_reader.h"
#include "batch/script_editor.h"
#include "batch/section_reader.h"
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::TempDir;
using test::writeFile;
using Lines = std::vector<std::string>;

TEST(SectionReader, FilesEndAtCommandsOrAnIndentedLine)
{
    const std::string packet = "x\r\n[Files]\r\na.0hd  \r\n;comment\r\nb.0hd\r\n[Commands]\r\nSmoothGauss=3\r\n";
    EXPECT_EQ(readSectionText(packet, "[Files]"), (Lines{"a.0hd", "b.0hd"}));
    EXPECT_EQ(readSectionText(packet, "[Commands]"), (Lines{"SmoothGauss=3"}));
    EXPECT_EQ(readSectionText("[Files]\na.0hd\n b.0hd\nc.0hd\n", "[Files]"), (Lines{"a.0hd"}));
    EXPECT_EQ(readSectionText("[Files]\na.0hd\n\nc.0hd\n", "[Files]"), (Lines{"a.0hd"}));
    // 254 characters are kept, longer lines dropped whole; at most 1000 lines.
    const std::string l254(254, 'a');
    EXPECT_EQ(readSectionText("[C]\n" + l254 + "\n" + std::string(20000, 'c') + "\nok\n", "[C]"), (Lines{l254, "ok"}));
    std::string many = "[Files]\n";
    for (int i = 0; i < 1500; ++i)
        many += "f" + std::to_string(i) + "\n";
    EXPECT_EQ(readSectionText(many, "[Files]").size(), kSectionMaxLines);
}

TEST(PacketInit, ProfileRulesDefaultsAndRelativeFolders)
{
    TempDir dir("qm-init");
    Settings s;
    s.output = "/home/me/out";
    const std::string p = dir.file("p/p.pkf");
    writeFile(p, "[ init ]\r\n  apphide = 7 \r\nAppExit=-3\r\nappexit=9\r\nOutPrefix=\"" + std::string(40, 'p') +
                     "\"\r\nInDir=../data\r\n[Init]\r\nOutDir=/late\r\n");
    const PacketInit f = readPacketInit(p, s);
    EXPECT_EQ(f.appHide, 7);  // names without regard to case
    EXPECT_EQ(f.appExit, -3); // the first key wins
    EXPECT_EQ(f.outPrefix, std::string(31, 'p'));
    EXPECT_EQ(f.outDir, "/home/me/out"); // only the first [Init] counts
    EXPECT_EQ(f.outFile, "PackOut.txt");
    EXPECT_EQ(f.inDir, (dir.path() / "data").string());

    // The editor's packet skeleton reads back with the folders it names; an
    // empty folder means the setting.
    s.lastDir = "/home/me";
    writeFile(p, packetSkeleton("/data/out", ""));
    const PacketInit k = readPacketInit(p, s);
    EXPECT_EQ(k.outDir, "/data/out");
    EXPECT_EQ(k.inDir, "/home/me");
    EXPECT_EQ(k.fileMask, "*.*");
    EXPECT_EQ(k.outFile, "Log.txt");
}

TEST(PacketFiles, MaskAndBaseNames)
{
    TempDir dir("qm-files");
    for (const char* name : {"b.0hd", "a.0HD", "c.dat"})
        writeFile(dir.file(name), "x");
    std::filesystem::create_directories(dir.file("sub.0hd"));
    const std::string p = dir.file("p.pkf");
    writeFile(p, "[Files]\nlisted.0hd\n");
    PacketInit init;
    init.inDir = dir.path().string();
    EXPECT_EQ(packetFiles(p, init), (Lines{"listed.0hd"}));
    init.fileMask = "*.0hd"; // folders are left out, case does not matter
    EXPECT_EQ(packetFiles(p, init), (Lines{"a.0HD", "b.0hd"}));
    EXPECT_FALSE(matchesFileMask("set.0011", "set.0??"));

    EXPECT_EQ(packetBaseName("scan.fits"), "scan_fits");
    EXPECT_EQ(packetBaseName("data.fz"), "data_f");
}

} // namespace
} // namespace qm
