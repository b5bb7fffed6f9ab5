#pragma once
// Headless UiPort for the command-line tools: it never asks (questions are
// answered with Cancel), prints progress and status lines on the error
// stream and reports and text dialogs on the output stream. Messages and
// status lines are also kept, so a tool can say why a load failed even
// though the core suppresses its message boxes in batch runs.
#include "app/ui_port.h"

#include <cstdio>
#include <string>
#include <vector>

namespace qm {

class TextUi : public UiPort {
public:
    // A null stream silences that side (tests, benchmarks).
    explicit TextUi(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}

    // Every message box text and non-empty status line, in order.
    std::vector<std::string> notes;
    // Forgets the kept notes (before the next file of a run).
    void clearNotes() { notes.clear(); }

    int messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                   MsgIcon icon) override;
    std::optional<std::string> askText(const std::string& prompt) override;
    std::optional<std::string> openFile(const FileDialogSpec& spec) override;
    std::optional<std::string> saveFile(const FileDialogSpec& spec) override;

    void progressOpen(const std::string& title, int steps, bool withAbort) override;
    bool progressStep() override;
    void progressClose() override;

    void setStatus(const std::string& text) override;
    void suppressedMessage(const std::string& text) override;
    void setTitle(const std::string&) override {}
    void requestRedraw() override {}

    void openReport(const std::string& title, const std::string& text) override;
    bool hasOpenReport() const override { return reportOpen_; }
    std::string openReportText() const override { return reportText_; }
    void setOpenReportText(const std::string& text) override;
    void showText(const std::string& title, const std::string& text) override;

    // Batch packets show their progress as lines on the error stream.
    void batchTip(const std::string& tip) override { print(err_, tip); }
    bool groupDialog(GroupDialogParams&) override { return false; }
    // The configuration is never edited here: Cancel when allowed, else the
    // fields are taken as shown.
    bool configDialog(ConfigDialogFields&, bool cancelAllowed) override { return !cancelAllowed; }

private:
    void print(std::FILE* f, const std::string& text);
    std::FILE* out_;
    std::FILE* err_;
    std::string progressTitle_;
    int progressSteps_ = 0, progressDone_ = 0;
    bool reportOpen_ = false;
    std::string reportText_;
};

// Text with CR LF line ends turned into LF, for a terminal or a pipe.
std::string toConsoleText(const std::string& text);

} // namespace qm
