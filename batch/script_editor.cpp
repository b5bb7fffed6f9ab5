#include "batch/script_editor.h"

#include "app/atomic_file.h"
#include "app/workbench.h"
#include "batch/command_catalogue.h"
#include "batch/script_runner.h"

#include <filesystem>

namespace qm {

ScriptEditor::ScriptEditor(const CommandCatalogue& catalogue, std::string scriptFolder)
    : scriptFolder_(std::move(scriptFolder))
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

bool ScriptEditor::open(const std::string& path)
{
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    std::vector<uint8_t> bytes;
    if (ec || size > kEditorFileLimit || !readWholeFile(path, bytes))
        return false;
    text.assign(bytes.begin(), bytes.end());
    fileName = path_ = path;
    return true;
}

bool ScriptEditor::save()
{
    std::error_code ec;
    if (path_.empty() || !std::filesystem::is_regular_file(path_, ec))
        return false;
    return writeFileAtomically(path_, text);
}

bool ScriptEditor::saveAs(const std::string& path)
{
    if (path.empty() || !writeFileAtomically(path, text))
        return false;
    fileName = path_ = path;
    return true;
}

void ScriptEditor::clear()
{
    text = kEmptyScript;
    helpText = kNoHelp;
    fileName = kNoFile;
    path_.clear();
}

void ScriptEditor::packetHeader()
{
    clear();
    text = kPacketSkeleton;
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

void runScriptEditor(Workbench& wb)
{
    if (!wb.interactiveMode)
        return;
    ScriptEditor editor(CommandCatalogue::forWorkbench(wb), scriptFolder(wb));
    if (editor.usable())
        wb.ui().scriptEditor(editor);
}

} // namespace qm
