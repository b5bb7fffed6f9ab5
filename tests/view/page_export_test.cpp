// "Export...": the panel and save dialog, batch arguments, refusals, and
// the files of every type.
#include "app/page_types.h"
#include "tests/support/temp_dir.h"
#include "tests/view/plot_fixture.h"
#include "view/metafile_to_ps.h"
#include "view/page_export.h"
#include "view/page_print.h"
#include "view/wmf_canvas.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace qm {
namespace {

using test::TempDir;
using test::readTextFile;

struct ExportBench : test::PlotBench {
    TempDir dir{"qm-page"};
    ExportBench()
    {
        load(test::plotScan(5.0f, 200, [](int i) { return float(i % 17); }, nullptr));
    }
    // Command 141 as a packet runs it.
    void batch(const std::string& path, float w, float h, float type, float thickness)
    {
        wb.interactiveMode = false;
        wb.batchArgs = {w, h, type, thickness};
        wb.batchTitle = path;
        wb.dispatch(141);
    }
};

TEST(PageExport, PanelDialogAndCancel)
{
    ExportBench b;
    const std::string out = b.dir.file("page.wmf");
    b.ui.exportAnswers.push_back(ExportPanelFields{9, 600, 300, kPageWmf});
    b.ui.fileAnswers.push_back(out);
    b.wb.dispatch(141);
    ASSERT_EQ(b.ui.exportShown.size(), 1u);
    const ExportPanelFields& shown = b.ui.exportShown[0];
    EXPECT_EQ(std::vector<int>({shown.thickness, shown.width, shown.height, shown.type}),
              std::vector<int>({1, 500, 400, 2}));
    EXPECT_EQ(b.ui.filtersOf(0), std::vector<std::string>({"Metafile *.wmf", "Any Files *.*"}));
    const std::string wmf = readTextFile(out);
    ASSERT_GT(wmf.size(), 40u);
    EXPECT_EQ(wmf.substr(0, 22), placeableHeader(600, 300));

    // Cancel in the panel or the save dialog writes nothing.
    std::filesystem::remove(out);
    b.ui.exportAnswers.push_back(std::nullopt);
    b.wb.dispatch(141);
    b.ui.exportAnswers.push_back(ExportPanelFields{});
    b.wb.dispatch(141);
    EXPECT_FALSE(std::filesystem::exists(out));
    EXPECT_TRUE(b.ui.messages.empty());

    b.wb.chkDataI = b.wb.chkDataV = b.wb.chkWrkI = b.wb.chkWrkV = false;
    b.wb.dispatch(141);
    b.expectMessage(kNoViewText);
}

TEST(PageExport, PostScriptIsTheTranslatedMetafile)
{
    ExportBench b;
    const std::string ps = b.dir.file("page.ps"), wmf = b.dir.file("page.wmf");
    b.batch(ps, 640, 480, kPagePostScript, 9.7f);
    b.batch(wmf, 640, 480, kPageWmf, 9.7f);
    EXPECT_TRUE(b.wb.takeFailures().empty());
    const std::string placeable = readTextFile(wmf);
    ASSERT_GT(placeable.size(), wmf::kPlaceableSize);
    const std::string translated =
        metafileToPostScript(std::string_view(placeable).substr(wmf::kPlaceableSize), {640, 480, 16, 5});
    EXPECT_EQ(readTextFile(ps), translated);
    EXPECT_NE(translated.find("\r\nK 5  W K\r\n"), std::string::npos); // thickness 9 exports as 5
    EXPECT_NE(translated.find("/Times-Roman findfont 16 "), std::string::npos);

    // The other types start as their formats do.
    const std::pair<int, std::string> starts[] = {
        {kPageEmf, std::string("\x01\0\0\0", 4)}, {kPagePdf, "%PDF-"}, {kPageSvg, "<?xml"}, {kPagePng, "\x89PNG"}};
    for (const auto& [type, start] : starts) {
        const std::string path = b.dir.file("page" + std::string(pageType(type)->extension));
        b.batch(path, 640, 480, float(type), -1);
        EXPECT_EQ(readTextFile(path).substr(0, start.size()), start) << type;
    }
    EXPECT_TRUE(b.wb.takeFailures().empty());
}

TEST(PageExport, BadRequestsLeaveTheOldFile)
{
    ExportBench b;
    const std::string out = b.dir.file("old.ps");
    test::writeFile(out, "old");
    const float nan = std::nanf("");
    const std::vector<std::array<float, 4>> bad{
        {15, 400, 1, 1}, {500, 40000, 1, 1}, {500, 400, 7, 1}, {500, 400, 0, 1}, {nan, 400, 1, 1}, {500, 400, nan, 1}};
    for (const auto& a : bad) {
        b.batch(out, a[0], a[1], a[2], a[3]);
        EXPECT_EQ(b.wb.takeFailures().size(), 1u) << a[0] << " " << a[1] << " " << a[2];
    }
    b.wb.view.fitsImage = true;
    b.batch(out, 500, 400, kPagePostScript, 1);
    EXPECT_EQ(b.wb.takeFailures(), std::vector<std::string>({kNoPsText}));
    EXPECT_EQ(readTextFile(out), "old");

    // A folder in the way of the file, and a folder that cannot be made.
    std::filesystem::create_directory(b.dir.file("taken.wmf"));
    b.batch(b.dir.file("taken.wmf"), 500, 400, kPageWmf, 1);
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    b.batch(b.dir.file("old.ps/sub/page.wmf"), 500, 400, kPageWmf, 1);
    EXPECT_EQ(b.wb.takeFailures().size(), 1u);
    EXPECT_EQ(readTextFile(out), "old");
    // Nothing is left beside the target.
    EXPECT_EQ(test::filesIn(b.dir.path()), std::set<std::string>({"old.ps", "taken.wmf"}));
}

TEST(PageExport, PageTooSmallForTheFrameIsAValidEmptyPage)
{
    ExportBench b;
    b.wb.activeScan->wrkI()[3] = std::nanf("");
    const std::string out = b.dir.file("tiny.ps");
    b.batch(out, 16, 16, kPagePostScript, 1);
    EXPECT_TRUE(b.wb.takeFailures().empty());
    const std::string ps = readTextFile(out);
    EXPECT_EQ(ps.substr(ps.size() - 11), "\r\ngrestore ");
}

TEST(PagePrint, ThicknessPromptAndPageSize)
{
    ExportBench b;
    std::vector<int> widths;
    b.ui.printer = [&](const std::function<void(Canvas&)>& paint) {
        RecordingCanvas c(700, 500);
        paint(c);
        widths.push_back(c.ofKind(CanvasCall::Polyline).front()->pen.width);
    };
    for (const char* typed : {"9", "-1", "2"})
        b.ui.textAnswers.push_back(std::string(typed));
    b.ui.textAnswers.push_back(std::nullopt); // Esc: nothing is printed
    for (int i = 0; i < 4; ++i)
        b.wb.dispatch(128);
    EXPECT_EQ(b.ui.prompts, std::vector<std::string>(4, kPrintThicknessPrompt));
    EXPECT_EQ(widths, std::vector<int>({4, 0, 2}));
    b.wb.interactiveMode = false;
    b.wb.dispatch(128);
    EXPECT_EQ(widths.size(), 3u);

    // 600 x 600 dpi portrait, and landscape at a = 2.
    EXPECT_EQ(printPageSize(4960, 7016, 600, 600, true).width, 4880);
    EXPECT_EQ(printPageSize(4960, 7016, 600, 600, true).height, 3416);
    EXPECT_EQ(printPageSize(7016, 4960, 600, 300, false).height, 4870);
    EXPECT_EQ(printPageSize(7016, 4960, 600, 300, false).width, 12662);
}

} // namespace
} // namespace qm
