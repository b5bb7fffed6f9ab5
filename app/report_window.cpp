#include "app/report_window.h"

#include "app/atomic_file.h"

#include <algorithm>

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

ReportLayout reportLayout(std::string_view text)
{
    constexpr int kGap = 2;
    std::vector<std::vector<int>> widths; // per line: the fields' lengths
    for (std::size_t begin = 0; begin <= text.size();) {
        std::size_t end = text.find('\n', begin);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        std::vector<int> fields;
        for (std::size_t f = 0;;) {
            const std::size_t tab = line.find('\t', f);
            fields.push_back(static_cast<int>((tab == std::string_view::npos ? line.size() : tab) - f));
            if (tab == std::string_view::npos)
                break;
            f = tab + 1;
        }
        widths.push_back(std::move(fields));
        if (end == text.size())
            break;
        begin = end + 1;
    }
    ReportLayout out;
    out.lines = static_cast<int>(widths.size());
    std::vector<int> widest;
    for (const auto& fields : widths)
        for (std::size_t k = 0; k + 1 < fields.size(); ++k) {
            if (widest.size() <= k)
                widest.resize(k + 1, 0);
            widest[k] = std::max(widest[k], fields[k]);
        }
    int at = 0;
    for (int w : widest)
        out.tabStops.push_back(at += w + kGap);
    for (const auto& fields : widths) {
        const std::size_t last = fields.size() - 1;
        const int start = last == 0 ? 0 : out.tabStops[last - 1];
        out.columns = std::max(out.columns, start + fields[last]);
    }
    return out;
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
