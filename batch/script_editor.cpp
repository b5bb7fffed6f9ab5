#include "batch/script_editor.h"

#include "app/atomic_file.h"
#include "app/file_set_writer.h"
#include "app/workbench.h"
#include "batch/command_catalogue.h"
#include "batch/script_runner.h"

#include <algorithm>
#include <filesystem>

#include <unistd.h>

namespace qm {

std::string packetSkeleton(const std::string& outDir, const std::string& inDir)
{
    return "[Init]\r\nAppHide=1\r\nAppExit=1\r\nOutFile=Log.txt\r\nOutPrefix=p_\r\nFileMask=*.*\r\nOutDir=" + outDir +
           "\r\nInDir=" + inDir + "\r\n\r\n[Files]\r\n\r\n[Commands]\r\n";
}

ScriptEditor::ScriptEditor(const CommandCatalogue& catalogue, std::string scriptFolder, std::string outDir,
                           std::string inDir)
    : scriptFolder_(std::move(scriptFolder)), outDir_(std::move(outDir)), inDir_(std::move(inDir))
{
    for (const CatalogueLine& l : catalogue.lines())
        entries_.push_back({catalogueName(l.text), l.text});
}

void ScriptEditor::select(int index)
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return;
    const std::string& line = entries_[static_cast<std::size_t>(index)].line;
    const std::size_t blank = line.find(' ');
    helpText = blank == std::string::npos ? std::string() : line.substr(blank);
}

std::string ScriptEditor::insertion(int index) const
{
    if (index < 0 || index >= static_cast<int>(entries_.size()))
        return {};
    return entries_[static_cast<std::size_t>(index)].name + "\r\n";
}

std::size_t ScriptEditor::insertionPoint(std::size_t caret)
{
    caret = std::min(caret, text.size());
    // The section runs from the line after its header to the next line
    // that starts with "[" (or the end of the text).
    std::size_t header = std::string::npos;
    for (std::size_t at = 0; at < text.size();) {
        if (text.compare(at, 10, "[Commands]") == 0) {
            header = at;
            break;
        }
        const std::size_t next = text.find('\n', at);
        at = next == std::string::npos ? text.size() : next + 1;
    }
    if (header == std::string::npos) {
        if (!text.empty() && text.back() != '\n')
            text += "\r\n";
        text += kEmptyScript;
        return text.size();
    }
    const std::size_t headerEnd = text.find('\n', header);
    if (headerEnd == std::string::npos) {
        text += "\r\n";
        return text.size();
    }
    const std::size_t begin = headerEnd + 1;
    std::size_t end = text.size();
    for (std::size_t at = begin; at < text.size();) {
        if (text[at] == '[') {
            end = at;
            break;
        }
        const std::size_t next = text.find('\n', at);
        at = next == std::string::npos ? text.size() : next + 1;
    }
    if (caret >= begin && caret < end)
        return caret;
    // At the section's end, on a line of its own.
    if (end == text.size() && end > begin && text.back() != '\n') {
        text += "\r\n";
        return text.size();
    }
    return end;
}

bool ScriptEditor::open(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (ec || size > kEditorFileLimit || !readWholeFile(path, bytes))
        return false;
    text.assign(bytes.begin(), bytes.end());
    savedText_ = text;
    fileName = path_ = path;
    return true;
}

bool ScriptEditor::save()
{
    std::error_code ec;
    if (path_.empty() || !std::filesystem::is_regular_file(path_, ec) || !writeFileAtomically(path_, text))
        return false;
    savedText_ = text;
    return true;
}

bool ScriptEditor::saveAs(const std::string& path)
{
    if (path.empty() || !writeFileAtomically(path, text))
        return false;
    savedText_ = text;
    fileName = path_ = path;
    return true;
}

void ScriptEditor::clear()
{
    text = savedText_ = kEmptyScript;
    helpText = kNoHelp;
    fileName = kNoFile;
    path_.clear();
}

void ScriptEditor::packetHeader()
{
    clear();
    text = savedText_ = packetSkeleton(outDir_, inDir_);
}

FileDialogSpec ScriptEditor::openDialog() const
{
    FileDialogSpec spec;
    spec.title = "Open";
    spec.filters = {{"Script files", "*.spt"}, {"Pack files", "*.pkf"}};
    spec.initialDir = scriptFolder_;
    spec.mustExist = true;
    return spec;
}

FileDialogSpec ScriptEditor::saveDialog() const
{
    FileDialogSpec spec = openDialog();
    spec.title = "Save As";
    spec.mustExist = false;
    spec.confirmOverwrite = true;
    return spec;
}

std::optional<int> runEditedScript(Workbench& wb, const std::string& script)
{
    // The runner reads scripts from files: the text goes to a temporary
    // one for the length of the run.
    std::error_code ec;
    const std::filesystem::path temp =
        std::filesystem::temp_directory_path(ec) / ("quillmar-edited-" + std::to_string(::getpid()) + ".spt");
    if (ec || !writeFileAtomically(temp.string(), script)) {
        wb.refuse(cannotWriteText(temp.string()));
        return std::nullopt;
    }
    const auto failed = runScriptFile(wb, temp.string());
    std::filesystem::remove(temp, ec);
    return failed;
}

void runScriptEditor(Workbench& wb)
{
    if (!wb.interactiveMode)
        return;
    // The file dialogs start in the script folder, so it is made when missing
    // (a fresh user data folder); where it cannot be, they start elsewhere.
    const std::string folder = scriptFolder(wb);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ScriptEditor editor(CommandCatalogue::forWorkbench(wb), folder, wb.settings.output, wb.settings.lastDir);
    editor.run = [&wb](const std::string& script) { runEditedScript(wb, script); };
    if (editor.usable())
        wb.ui().scriptEditor(editor);
}

} // namespace qm
