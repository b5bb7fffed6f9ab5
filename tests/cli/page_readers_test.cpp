// Exported pages read back by independent programs: Ghostscript (PostScript,
// PDF), libwmf (metafile), librsvg (SVG) and LibreOffice (metafile and
// enhanced metafile). Each render is compared with the PNG of the same page.
// The front door's exit codes and the names of pages exported by scripts.
#include "tests/cli/run_tool.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// A shell command in `dir`; its exit status, with the output kept in `log`.
int shell(const test::TempDir& dir, const std::string& command, std::string& log)
{
    const test::ToolRun run = test::runTool("/bin/sh", "-c \"" + command + "\"", dir.path().string());
    log += command + "\n" + run.out + run.err;
    return run.code;
}

TEST(PageReaders, EveryFormatRendersLikeThePage)
{
    test::TempDir dir("qm-pages");
    const std::string set = std::string(QM_SOURCE_DIR) + "/examples/sun3-18/set.0hd";
    for (const char* name : {"page.png", "page.ps", "page.pdf", "page.svg", "metafile.wmf", "enhanced.emf"}) {
        const test::ToolRun r = test::runTool(QM_BATCH_EXE, std::string("--export ") + name + " '" + set + "'",
                                              dir.path().string());
        ASSERT_EQ(r.code, 0) << name << ": " << r.err;
    }
    std::string log;
    const char* const steps[] = {
        "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -g500x400 -sOutputFile=ps.png page.ps",
        "gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=png16m -r72 -g500x400 -sOutputFile=pdf.png page.pdf",
        "wmf2gd -o wmf2gd.png metafile.wmf",
        "wmf2svg -o wmf2svg.svg metafile.wmf && grep -q '<svg' wmf2svg.svg",
        "rsvg-convert -o svg.png page.svg",
        // LibreOffice keeps its profile in HOME: a fresh one here.
        "HOME=$PWD soffice --headless --convert-to png metafile.wmf enhanced.emf",
    };
    for (const char* step : steps)
        EXPECT_EQ(shell(dir, step, log), 0) << log;
    for (const char* png : {"page", "ps", "pdf", "wmf2gd", "svg", "metafile", "enhanced"})
        ASSERT_EQ(shell(dir, std::string("convert ") + png + ".png -background white -flatten " + png + ".ppm", log), 0)
            << log;
    const int status = shell(dir,
                             "/usr/bin/python3 " + std::string(QM_SOURCE_DIR) +
                                 "/tests/cli/page_render_check.py page.ppm ps.ppm pdf.ppm scaled:wmf2gd.ppm svg.ppm "
                                 "metafile.ppm enhanced.ppm",
                             log);
    EXPECT_EQ(status, 0) << log;
}

TEST(PageReaders, ExportFrontDoorAndScriptNames)
{
    test::TempDir dir("qm-export");
    const std::string set = " '" + std::string(QM_SOURCE_DIR) + "/examples/sun3-18/set.0hd'";
    const auto run = [&](const std::string& args) { return test::runTool(QM_BATCH_EXE, args, dir.path().string()); };
    EXPECT_EQ(run("--export a.txt" + set).code, 2);
    EXPECT_EQ(run("--export a.ps --size 500" + set).code, 2);
    EXPECT_EQ(run("--export a.ps --view moon" + set).code, 2);
    EXPECT_EQ(run("--export a.ps --size 10x400" + set).code, 1);
    EXPECT_EQ(run("--export a.ps missing.0hd").code, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("a.ps")));
    const test::ToolRun ok = run("--export b.pdf --size 640x480 --pen 3 --group 3 --view worksheets,sun-center" + set);
    EXPECT_EQ(ok.code, 0) << ok.err;
    EXPECT_EQ(test::readTextFile(dir.file("b.pdf")).substr(0, 5), "%PDF-");

    // In a script: no title names the file 0-Script.ps, and "%s" in a title
    // takes the base name.
    test::writeFile(dir.file("page.spt"), "[Commands]\nExportPage=500 400 1 2\nExportPage=300 200 6 0#p-%s.png\n");
    const test::ToolRun script = run("--script page.spt" + set);
    EXPECT_EQ(script.code, 0) << script.err;
    EXPECT_NE(test::readTextFile(dir.file("0-Script.ps")).find("\r\nK 2  W K\r\n"), std::string::npos);
    EXPECT_EQ(test::readTextFile(dir.file("p-Script.png")).substr(1, 3), "PNG");
}

} // namespace
} // namespace qm
