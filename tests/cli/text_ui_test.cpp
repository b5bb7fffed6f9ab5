#include "cli/text_ui.h"

#include "app/config_dialog.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace qm {
namespace {

std::string contents(std::FILE* f)
{
    std::fflush(f);
    std::rewind(f);
    std::string s;
    for (int c; (c = std::fgetc(f)) != EOF;)
        s += static_cast<char>(c);
    return s;
}

TEST(TextUi, NeverAsksAndRoutesTextToTheTwoStreams)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ASSERT_TRUE(out && err);
    {
        TextUi ui(out, err);
        EXPECT_EQ(ui.messageBox("Data file is BAD", "", MsgButtons::OkCancel, MsgIcon::Error), kCancel);
        EXPECT_FALSE(ui.askText("Input number of skip:"));
        EXPECT_FALSE(ui.openFile({}));
        EXPECT_FALSE(ui.saveFile({}));
        GroupDialogParams g;
        EXPECT_FALSE(ui.groupDialog(g));
        ConfigDialogFields f;
        EXPECT_FALSE(ui.configDialog(f, true));
        EXPECT_TRUE(ui.configDialog(f, false)); // must not loop forever
        ui.setStatus("");
        ui.setStatus("Saving of scan 3.00[GHz] is end");
        ui.progressOpen("Save data", 2, false);
        EXPECT_FALSE(ui.progressStep());
        EXPECT_FALSE(ui.progressStep());
        ui.progressClose();

        EXPECT_FALSE(ui.hasOpenReport());
        ui.openReport("Flux", "a\tb\r\n");
        EXPECT_TRUE(ui.hasOpenReport());
        ui.setOpenReportText(ui.openReportText() + "c\td\r\n");
        EXPECT_EQ(ui.openReportText(), "a\tb\r\nc\td\r\n");
        ui.showText("Header of data", "line\r\n");

        ASSERT_EQ(ui.notes.size(), 2u);
        EXPECT_EQ(ui.notes[0], "Data file is BAD");
        EXPECT_EQ(ui.notes[1], "Saving of scan 3.00[GHz] is end");
        ui.clearNotes();
        EXPECT_TRUE(ui.notes.empty());
    }
    EXPECT_EQ(contents(out), "Flux\na\tb\nc\td\nHeader of data\nline\n");
    EXPECT_EQ(contents(err), "Data file is BAD\nSaving of scan 3.00[GHz] is end\n\rSave data: 1/2\rSave data: 2/2\n");
    std::fclose(out);
    std::fclose(err);

    // Null streams print nothing but still keep the notes.
    TextUi quiet(nullptr, nullptr);
    quiet.setStatus("x");
    quiet.openReport("t", "y");
    quiet.progressOpen("p", 1, false);
    quiet.progressStep();
    quiet.progressClose();
    EXPECT_EQ(quiet.notes.size(), 1u);
    EXPECT_EQ(toConsoleText("a\r\nb\rc\r\n"), "a\nb\rc\n");
}

} // namespace
} // namespace qm
