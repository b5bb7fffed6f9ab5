// Report routing: where the text of an analysis goes.
#include "app/output_folder.h"
#include "app/report_window.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

// Appends the line with the file being processed and then the report to
// "<output folder>/<title>.dat". A report that cannot be written is a
// failure of the command that made it.
void appendReportFile(Workbench& wb, const std::string& title, const std::string& text)
{
    const auto folder = outputFolder(wb);
    if (!folder)
        return;
    const std::string path = (std::filesystem::path(*folder) / (title + ".dat")).string();
    const std::string head = format("\r\n%s\r\n", wb.currentFileLabel.c_str());
    std::FILE* f = std::fopen(path.c_str(), "ab");
    bool written = f && std::fwrite(head.data(), 1, head.size(), f) == head.size() &&
                   std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f)
        written = std::fclose(f) == 0 && written;
    if (!written)
        wb.fail(format("Report file %s cannot be written", path.c_str()));
}

} // namespace

void Workbench::deliverReport(const std::string& title, const std::string& text)
{
    if (text.empty())
        return;
    if (interactiveMode) {
        ui_.openReport(title, text); // earlier windows stay open
        return;
    }
    if (fileOutput) { // batch packet
        appendReportFile(*this, title, text);
        return;
    }
    // Script: accumulate in the open window while it has room.
    if (ui_.hasOpenReport()) {
        if (auto joined = appendedReportText(ui_.openReportText(), title, text))
            ui_.setOpenReportText(*joined);
        return;
    }
    ui_.openReport(title, text);
}

} // namespace qm
