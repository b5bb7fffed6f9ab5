#pragma once
// Headless UiPort for the command-line tools: it never asks (questions are
// answered with Cancel), prints reports and text dialogs on the output
// stream and everything else on the error stream, as much as its
// verbosity allows:
//   Quiet    errors (reportError)
//   Normal   and packet progress, notices (suppressed OK boxes)
//   Verbose  and the questions nobody was asked, status lines (per-scan
//            texts) and notification tips
#include "app/ui_port.h"

#include <cstdio>
#include <string>

namespace qm {

enum class Verbosity { Quiet, Normal, Verbose };

class TextUi : public UiPort {
public:
    // A null stream silences that side (tests, benchmarks).
    explicit TextUi(std::FILE* out = stdout, std::FILE* err = stderr) : out_(out), err_(err) {}

    Verbosity verbosity = Verbosity::Normal;
    // Draws packet progress as one bar redrawn in place (for a terminal)
    // instead of a line per file.
    bool progressBar = false;
    // Errors reported so far.
    int errors() const { return errors_; }

    int messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                   MsgIcon icon) override;
    std::optional<std::string> askText(const std::string& prompt) override;
    std::optional<std::string> openFile(const FileDialogSpec& spec) override;
    std::optional<std::string> saveFile(const FileDialogSpec& spec) override;

    void progressOpen(const std::string& title, int steps, bool withAbort) override;
    bool progressStep() override;
    void progressClose() override;

    void setStatus(const std::string& text) override;
    void suppressedMessage(const std::string& text, bool question) override;
    void reportError(const std::string& text) override;
    void setTitle(const std::string&) override {}
    void requestRedraw() override {}

    void openReport(const std::string& title, const std::string& text) override;
    bool hasOpenReport() const override { return reportOpen_; }
    std::string openReportText() const override { return reportText_; }
    void setOpenReportText(const std::string& text) override;
    void showText(const std::string& title, const std::string& text) override;

    void batchTip(const std::string& tip) override;
    void batchTipEnd() override;
    void packetProgress(int k, int n, const std::string& name, bool loaded) override;
    bool groupDialog(GroupDialogParams&) override { return false; }
    // The configuration is never edited here: Cancel when allowed, else the
    // fields are taken as shown.
    bool configDialog(ConfigDialogFields&, bool cancelAllowed) override { return !cancelAllowed; }

private:
    void print(std::FILE* f, const std::string& text);
    void endBar();
    std::FILE* out_;
    std::FILE* err_;
    std::string progressTitle_;
    int progressSteps_ = 0, progressDone_ = 0;
    bool reportOpen_ = false;
    std::string reportText_;
    int errors_ = 0;
    bool barShown_ = false; // a progress bar is on the error stream's last line
};

// Text with CR LF line ends turned into LF, for a terminal or a pipe.
std::string toConsoleText(const std::string& text);

} // namespace qm
