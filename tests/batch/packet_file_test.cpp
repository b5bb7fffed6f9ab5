// The packet file: the section reader, the [Init] values, the file list
// and the base names of output files.
#include "app/settings.h"
#include "batch/packet_file.h"
#include "batch/profile_reader.h"
#include "batch/section_reader.h"
#include "tests/batch/batch_fixture.h"

namespace qm {
namespace {

using test::TempFolder;
using test::writeText;
using Lines = std::vector<std::string>;

TEST(SectionReader, TakesTheLinesAfterTheHeaderUntilABlankControlOrBracketLine)
{
    // The header is found anywhere in a line; ";" lines are skipped and
    // trailing blanks and CR removed.
    EXPECT_EQ(readSectionText("x\r\nsee [Files] below \r\na.0hd  \r\n;comment\r\nb.fits\t\r\n", "[Files]"),
              (Lines{"a.0hd", "b.fits"}));
    // "[Commands]" right after the list ends it; so does an indented line.
    const std::string packet = "[Files]\na.0hd\nb.0hd\n[Commands]\nSmoothGauss=3\n";
    EXPECT_EQ(readSectionText(packet, "[Files]"), (Lines{"a.0hd", "b.0hd"}));
    EXPECT_EQ(readSectionText(packet, "[Commands]"), (Lines{"SmoothGauss=3"}));
    EXPECT_EQ(readSectionText("[Files]\na.0hd\n b.0hd\nc.0hd\n", "[Files]"), (Lines{"a.0hd"}));
    EXPECT_EQ(readSectionText("[Files]\na.0hd\n\nc.0hd\n", "[Files]"), (Lines{"a.0hd"}));
    EXPECT_EQ(readSectionText("[Files]\na.0hd\n\x01x\n", "[Files]"), (Lines{"a.0hd"}));
    // Missing header, empty input, the last line without a line end.
    EXPECT_TRUE(readSectionText("[Init]\nAppHide=1\n", "[Files]").empty());
    EXPECT_TRUE(readSectionText("", "[Files]").empty());
    EXPECT_EQ(readSectionText("[Files]\nlast", "[Files]"), (Lines{"last"}));
    // Names in UTF-8 start with bytes above 127: they are names, not controls.
    EXPECT_EQ(readSectionText("[Files]\n\xc3\xa9t\xc3\xa9.0hd\n", "[Files]"), (Lines{"\xc3\xa9t\xc3\xa9.0hd"}));
    // A NUL ends what the line holds.
    EXPECT_EQ(readSectionText(std::string("[Files]\nab\0cd\nef\n", 17), "[Files]"), (Lines{"ab", "ef"}));
}

TEST(SectionReader, DropsLongLinesWholeAndKeepsAtMostAThousand)
{
    const std::string l254(254, 'a'), l255(255, 'b'), huge(20000, 'c');
    // 254 characters are kept, 255 or more dropped, trailing blanks do not count.
    EXPECT_EQ(readSectionText("[C]\n" + l254 + "   \r\n" + l255 + "\nok\n", "[C]"), (Lines{l254, "ok"}));
    // A very long line is not split into pieces that would become lines.
    EXPECT_EQ(readSectionText("[C]\n" + huge + "\nok\n", "[C]"), (Lines{"ok"}));
    std::string many = "[Files]\n";
    for (int i = 0; i < 1500; ++i)
        many += "f" + std::to_string(i) + "\n";
    const Lines kept = readSectionText(many, "[Files]");
    ASSERT_EQ(kept.size(), kSectionMaxLines);
    EXPECT_EQ(kept.back(), "f999");
    // A file that does not exist has no sections.
    EXPECT_TRUE(readSection("/nonexistent/packet.pkf", "[Files]").empty());
}

TEST(ProfileReader, FollowsProfileStringRules)
{
    TempFolder dir("profile");
    const std::string p = dir / "p.pkf";
    writeText(p, "; a packet\r\n[other]\r\nAppHide=5\r\n[ init ]\r\n  apphide = 7 \r\nOutPrefix = \"q x\" \r\n"
                 "InDir='/data'\r\nEmpty=\r\nAppExit=-3\r\nappexit=9\r\nHex=0x1F\r\nWord=abc\r\n[Init]\r\nOutDir=/late\r\n");
    EXPECT_EQ(profileInt(p, "Init", "AppHide", 0), 7);  // names without regard to case, blanks trimmed
    EXPECT_EQ(profileInt(p, "Init", "AppExit", 1), -3); // the first key of a name wins
    EXPECT_EQ(profileInt(p, "Init", "Missing", 42), 42);
    EXPECT_EQ(profileInt(p, "Init", "Empty", 42), 42);
    EXPECT_EQ(profileInt(p, "Init", "Hex", 0), 31);
    EXPECT_EQ(profileInt(p, "Init", "Word", 5), 0);
    EXPECT_EQ(profileString(p, "Init", "OutPrefix", 32), "q x"); // a quoted value loses its quotes
    EXPECT_EQ(profileString(p, "Init", "InDir", 255), "/data");
    EXPECT_EQ(profileString(p, "Init", "Empty", 255), "");
    EXPECT_EQ(profileString(p, "Init", "OutDir", 255), std::nullopt); // only the first [Init] counts
    EXPECT_EQ(profileString(p, "Init", "InDir", 4), "/da");            // cut to the buffer
    EXPECT_EQ(profileString(dir / "none.pkf", "Init", "InDir", 255), std::nullopt);
    EXPECT_EQ(profileIntValue("  +12abc"), 12);
    EXPECT_EQ(profileIntValue("99999999999999"), 2147483647);
    EXPECT_EQ(profileIntValue("-99999999999999999999999"), -2147483647 - 1);
    EXPECT_EQ(profileIntValue("0x"), 0);
}

TEST(PacketInit, DefaultsAndLengthLimits)
{
    TempFolder dir("init");
    Settings s;
    s.output = "/home/me/out";
    s.lastDir = "/home/me/in";
    const std::string bare = dir / "bare.pkf";
    writeText(bare, "[Files]\na.0hd\n");
    const PacketInit d = readPacketInit(bare, s);
    EXPECT_EQ(d.appHide, 0);
    EXPECT_EQ(d.appExit, 1);
    EXPECT_EQ(d.outPrefix, "");
    EXPECT_EQ(d.fileMask, "");
    EXPECT_EQ(d.outDir, "/home/me/out");
    EXPECT_EQ(d.outFile, "PackOut.txt");
    EXPECT_EQ(d.inDir, "/home/me/in");

    const std::string full = dir / "full.pkf";
    writeText(full, "[Init]\r\nAppHide=1\r\nAppExit=0\r\nOutPrefix=" + std::string(40, 'p') + "\r\nFileMask=*.0hd\r\n"
                    "OutDir=/" + std::string(300, 'o') + "\r\nOutFile=log.txt\r\nInDir=/in\r\n");
    const PacketInit f = readPacketInit(full, s);
    EXPECT_EQ(f.appHide, 1);
    EXPECT_EQ(f.appExit, 0);
    EXPECT_EQ(f.outPrefix, std::string(31, 'p'));
    EXPECT_EQ(f.fileMask, "*.0hd");
    EXPECT_EQ(f.outDir, "/" + std::string(253, 'o'));
    EXPECT_EQ(f.outFile, "log.txt");
    EXPECT_EQ(f.inDir, "/in");

    // Relative folders belong to the packet's folder.
    const std::string rel = dir / "p/rel.pkf";
    writeText(rel, "[Init]\nInDir=../data\nOutDir=out/x\n");
    const PacketInit r = readPacketInit(rel, s);
    EXPECT_EQ(r.inDir, (dir.path() / "data").string());
    EXPECT_EQ(r.outDir, (dir.path() / "p/out/x").string());
}

TEST(PacketFiles, MaskOverTheInputFolderOrTheFilesSection)
{
    TempFolder dir("files");
    for (const char* name : {"b.0hd", "a.0HD", "c.dat", "d.0hd.bak"})
        writeText(dir / name, "x");
    std::filesystem::create_directories(dir / "sub.0hd");
    const std::string p = dir / "p.pkf";
    writeText(p, "[Files]\nlisted.0hd\n");
    PacketInit init;
    init.inDir = dir.path().string();
    EXPECT_EQ(packetFiles(p, init), (Lines{"listed.0hd"}));
    init.fileMask = "*.0hd"; // folders are left out, case does not matter
    EXPECT_EQ(packetFiles(p, init), (Lines{"a.0HD", "b.0hd"}));
    init.fileMask = "*.*";
    EXPECT_EQ(packetFiles(p, init).size(), 5u);
    init.inDir = dir / "missing";
    EXPECT_TRUE(packetFiles(p, init).empty());

    EXPECT_TRUE(matchesFileMask("scan.fits", "*.fi?s"));
    EXPECT_TRUE(matchesFileMask("noext", "*.*"));
    EXPECT_TRUE(matchesFileMask("set.001", "set.0??"));
    EXPECT_FALSE(matchesFileMask("set.0011", "set.0??"));
    EXPECT_FALSE(matchesFileMask("a.0hd", "b*"));
    EXPECT_TRUE(matchesFileMask("abcabcabd", "*abd"));
}

TEST(PacketFiles, BaseNames)
{
    EXPECT_EQ(packetBaseName("scan.fits"), "scan_fits");
    EXPECT_EQ(packetBaseName("data.fz"), "data_f");
    EXPECT_EQ(packetBaseName("set.0hd"), "set_0hd");
    EXPECT_EQ(packetBaseName("a.b.c"), "a_b_c");
    EXPECT_EQ(packetBaseName("zeta.0hd"), "");
}

} // namespace
} // namespace qm
