#include "batch/script_editor.h"

#include "app/atomic_file.h"
#include "app/workbench.h"
#include "batch/command_catalogue.h"
#include "batch/script_runner.h"

#include <filesystem>

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
    text = packetSkeleton(outDir_, inDir_);
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
    // The file dialogs start in the script folder, so it is made when missing
    // (a fresh user data folder); where it cannot be, they start elsewhere.
    const std::string folder = scriptFolder(wb);
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    ScriptEditor editor(CommandCatalogue::forWorkbench(wb), folder, wb.settings.output, wb.settings.lastDir);
    if (editor.usable())
        wb.ui().scriptEditor(editor);
}

} // namespace qm
