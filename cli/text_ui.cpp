#include "cli/text_ui.h"

namespace qm {

namespace {

constexpr int kBarWidth = 30;

} // namespace

std::string toConsoleText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n'))
            out += text[i];
    return out;
}

void TextUi::print(std::FILE* f, const std::string& text)
{
    if (!f)
        return;
    if (f == err_)
        endBar();
    const std::string t = toConsoleText(text);
    std::fwrite(t.data(), 1, t.size(), f);
    if (t.empty() || t.back() != '\n')
        std::fputc('\n', f);
    std::fflush(f);
}

// Lines printed below a bar would be drawn over by its next redraw: the
// bar's line is finished first.
void TextUi::endBar()
{
    if (!barShown_)
        return;
    barShown_ = false;
    std::fputc('\n', err_);
}

int TextUi::messageBox(const std::string& text, const std::string& caption, MsgButtons, MsgIcon)
{
    print(err_, caption.empty() ? text : caption + ": " + text);
    return kCancel;
}

std::optional<std::string> TextUi::askText(const std::string&) { return std::nullopt; }
std::optional<std::string> TextUi::openFile(const FileDialogSpec&) { return std::nullopt; }
std::optional<std::string> TextUi::saveFile(const FileDialogSpec&) { return std::nullopt; }

void TextUi::progressOpen(const std::string& title, int steps, bool)
{
    progressTitle_ = title;
    progressSteps_ = steps;
    progressDone_ = 0;
}

bool TextUi::progressStep()
{
    ++progressDone_;
    if (!err_ || verbosity == Verbosity::Quiet)
        return false;
    std::fprintf(err_, "\r%s: %d/%d", progressTitle_.c_str(), progressDone_, progressSteps_);
    std::fflush(err_);
    return false;
}

void TextUi::progressClose()
{
    if (progressDone_ > 0 && err_ && verbosity != Verbosity::Quiet)
        std::fputc('\n', err_);
    progressDone_ = 0;
}

void TextUi::setStatus(const std::string& text)
{
    if (!text.empty() && verbosity == Verbosity::Verbose)
        print(err_, text);
}

void TextUi::suppressedMessage(const std::string& text, bool question)
{
    if (verbosity == Verbosity::Verbose || (!question && verbosity == Verbosity::Normal))
        print(err_, text);
}

void TextUi::reportError(const std::string& text)
{
    ++errors_;
    print(err_, text);
}

void TextUi::openReport(const std::string& title, const std::string& text)
{
    reportOpen_ = true;
    reportText_ = text;
    print(out_, title + "\n" + text);
}

void TextUi::setOpenReportText(const std::string& text)
{
    // Scripts append to the open report: print only what was added.
    if (text.compare(0, reportText_.size(), reportText_) == 0)
        print(out_, text.substr(reportText_.size()));
    else
        print(out_, text);
    reportText_ = text;
}

void TextUi::showText(const std::string& title, const std::string& text) { print(out_, title + "\n" + text); }

void TextUi::batchTip(const std::string& tip)
{
    if (verbosity == Verbosity::Verbose)
        print(err_, tip);
}

void TextUi::batchTipEnd() { endBar(); }

void TextUi::packetProgress(int k, int n, const std::string& name, bool loaded)
{
    if (!err_ || verbosity == Verbosity::Quiet)
        return;
    const char* state = loaded ? "" : " (not loaded)";
    if (!progressBar || verbosity == Verbosity::Verbose) {
        print(err_, "[" + std::to_string(k) + "/" + std::to_string(n) + "] " + name + state);
        return;
    }
    const int filled = n > 0 ? static_cast<int>(static_cast<long long>(kBarWidth) * k / n) : kBarWidth;
    const std::string bar = std::string(static_cast<std::size_t>(filled), '#') +
                            std::string(static_cast<std::size_t>(kBarWidth - filled), '.');
    // "\033[K" clears what a longer name left on the line.
    std::fprintf(err_, "\r[%s] %d/%d %s%s\033[K", bar.c_str(), k, n, name.c_str(), state);
    std::fflush(err_);
    barShown_ = true;
}

} // namespace qm
