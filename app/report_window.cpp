#include "app/report_window.h"

#include "app/atomic_file.h"

namespace qm {

std::vector<FileFilter> reportFileFilters()
{
    return {{"Data File", "*.dat"}, {"Any Files", "*.*"}};
}

FileDialogSpec reportSaveDialog(const std::string& outputDir)
{
    FileDialogSpec spec;
    spec.title = "Save As";
    spec.filters = reportFileFilters();
    spec.initialDir = outputDir;
    spec.mustExist = false;
    spec.confirmOverwrite = true;
    return spec;
}

std::optional<std::string> appendedReportText(std::string_view old, std::string_view title,
                                              std::string_view text)
{
    if (old.size() + title.size() + text.size() >= kReportAppendLimit)
        return std::nullopt;
    std::string s;
    s.reserve(old.size() + title.size() + text.size() + 6);
    s.append(old).append("\r\n\r\n").append(title).append("\r\n").append(text);
    return s;
}

bool writeReportFile(const std::string& path, std::string_view text)
{
    // Through a temporary file, so a failed write never leaves half a
    // report over a good file.
    return writeFileAtomically(path, text);
}

bool saveReportAs(UiPort& ui, const std::string& outputDir, std::string_view text)
{
    const auto path = ui.saveFile(reportSaveDialog(outputDir));
    if (!path || path->empty())
        return false;
    if (writeReportFile(*path, text))
        return true;
    ui.messageBox(kMsgErrorOfWriting, "", MsgButtons::Ok, MsgIcon::None);
    return false;
}

} // namespace qm
