#include "cli/text_ui.h"

namespace qm {

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
    const std::string t = toConsoleText(text);
    std::fwrite(t.data(), 1, t.size(), f);
    if (t.empty() || t.back() != '\n')
        std::fputc('\n', f);
    std::fflush(f);
}

int TextUi::messageBox(const std::string& text, const std::string& caption, MsgButtons, MsgIcon)
{
    notes.push_back(text);
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
    if (!err_)
        return false;
    std::fprintf(err_, "\r%s: %d/%d", progressTitle_.c_str(), progressDone_, progressSteps_);
    std::fflush(err_);
    return false;
}

void TextUi::progressClose()
{
    if (progressDone_ > 0 && err_)
        std::fputc('\n', err_);
    progressDone_ = 0;
}

void TextUi::suppressedMessage(const std::string& text)
{
    setStatus(text);
}

void TextUi::setStatus(const std::string& text)
{
    if (text.empty())
        return;
    notes.push_back(text);
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

} // namespace qm
