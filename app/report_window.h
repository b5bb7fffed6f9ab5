#pragma once
// The report window: a top-level window holding a multi-line edit field and
// its own "Edit" menu, in which analyses show their tab-separated results.
// The GUI builds the window from these constants; the text rules (appending
// during scripts, "Save As...") live here so that they run headless.
#include "app/ui_port.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

inline constexpr const char* kReportWindowClass = "edit_QRD_window";
inline constexpr int kReportWindowWidth = 250;
inline constexpr int kReportWindowHeight = 250;
inline constexpr int kReportEditId = 300;
// Characters a user can type into the edit field.
inline constexpr int kReportEditLimit = 16000;
// A report is appended to the open window only while the old length plus
// the lengths of title and text stays below this.
inline constexpr std::size_t kReportAppendLimit = 32001;

// The window's "Edit" menu; the ids are local to the report window.
inline constexpr const char* kReportMenuTitle = "Edit";
inline constexpr int kReportUndo = 156;
inline constexpr int kReportClear = 157;
inline constexpr int kReportCopy = 158;
inline constexpr int kReportPaste = 159;
inline constexpr int kReportSaveAs = 160;
struct ReportMenuItem {
    int id;
    const char* caption;
};
inline constexpr ReportMenuItem kReportEditMenu[] = {
    {kReportUndo, "Undo"}, {kReportClear, "Clear"}, {kReportCopy, "Copy"},
    {kReportPaste, "Paste"}, {kReportSaveAs, "Save As..."}};

// Message boxes of the window (shown without a caption).
inline constexpr const char* kMsgMemoryOverfull = "Memory overfull"; // edit field out of space
inline constexpr const char* kMsgEditIsNot = "Edit is not";         // edit field not created
inline constexpr const char* kMsgErrorOfWriting = "Error of writing";

// "Data File" (*.dat) and "Any Files" (*.*).
std::vector<FileFilter> reportFileFilters();
// The "Save As..." dialog, starting in the output folder.
FileDialogSpec reportSaveDialog(const std::string& outputDir);

// The window text after appending a report: old + "\r\n\r\n" + title +
// "\r\n" + text; nullopt (window left as it is) when the old length plus the
// lengths of title and text reaches kReportAppendLimit.
std::optional<std::string> appendedReportText(std::string_view old, std::string_view title,
                                              std::string_view text);

// How a report's columns line up in a fixed-pitch font, in characters:
// tab stop k sits two blanks past the widest field k of the lines that go on
// after it (a line's last field, such as a title, widens nothing), and
// `columns` is the widest line so laid out.
struct ReportLayout {
    std::vector<int> tabStops;
    int columns = 0;
    int lines = 0;
};
ReportLayout reportLayout(std::string_view text);

// Writes the whole text to `path` as a new file. Returns false when not
// every byte could be written; the file that was there before is then
// left untouched.
bool writeReportFile(const std::string& path, std::string_view text);

// "Save As...": asks for a file (cancel writes nothing) and writes the text;
// a failed write shows "Error of writing". True when the file was written.
bool saveReportAs(UiPort& ui, const std::string& outputDir, std::string_view text);

} // namespace qm
