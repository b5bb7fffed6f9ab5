// Report routing: where the text of an analysis goes.
#include "app/report_window.h"
#include "app/text_format.h"
#include "app/workbench.h"

#include <cstdio>
#include <filesystem>

namespace qm {

namespace {

// Appends the line with the file being processed and then the report to
// "<output folder>/<title>.dat"; nothing is written when it cannot be opened.
void appendReportFile(const std::string& outputDir, const std::string& title, const std::string& label,
                      const std::string& text)
{
    const auto path = std::filesystem::path(outputDir) / (title + ".dat");
    std::FILE* f = std::fopen(path.string().c_str(), "ab");
    if (!f)
        return;
    const std::string head = format("\r\n%s\r\n", label.c_str());
    std::fwrite(head.data(), 1, head.size(), f);
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
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
        appendReportFile(settings.output, title, currentFileLabel, text);
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
