#include "batch/script_runner.h"

#include "app/settings.h"
#include "app/workbench.h"
#include "batch/batch_executor.h"
#include "batch/batch_state.h"
#include "batch/command_catalogue.h"
#include "batch/section_reader.h"

#include <cstring>
#include <filesystem>
#include <optional>

namespace qm {

namespace fs = std::filesystem;

namespace {

bool isFile(const std::string& path)
{
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

// The name reports give the scans of a script run: the file name of the
// active scan's data file, or "Script".
std::string scriptFileLabel(const Workbench& wb)
{
    const ScanRecord* a = wb.activeScan;
    if (!a)
        return kScriptBaseName;
    const std::string dataFile(a->dataFile, strnlen(a->dataFile, sizeof a->dataFile));
    const std::size_t cut = dataFile.find_last_of("/\\");
    if (cut == std::string::npos || cut + 1 == dataFile.size())
        return kScriptBaseName;
    return dataFile.substr(cut + 1);
}

// Runs the script at `path` (nullopt: not found).
std::optional<int> runScriptAt(Workbench& wb, const std::optional<std::string>& path)
{
    BatchState& state = batchState(wb);
    if (!path || !isFile(*path) || state.scriptDepth > 0)
        return std::nullopt; // not found, or a script calling a script: the modes stay as they are
    const bool allMode = wb.allMode;
    const bool fileOutput = wb.fileOutput, interactive = wb.interactiveMode;
    const bool confirmAll = wb.view.confirmAll;
    wb.fileOutput = false;
    wb.interactiveMode = false;
    ++state.scriptDepth;

    const std::vector<BatchCommand> list =
        buildCommandList(readSection(*path, "[Commands]"), CommandCatalogue::forWorkbench(wb));
    wb.currentFileLabel = scriptFileLabel(wb);
    // Relative names in titles land in the output folder; the working
    // folder is given back afterwards.
    std::error_code ec;
    const fs::path workingFolder = fs::current_path(ec);
    fs::current_path(wb.settings.output, ec);

    const std::vector<CommandFailure> failures = executeCommandList(wb, list, kScriptPrefix, kScriptBaseName);
    for (const CommandFailure& f : failures)
        wb.ui().reportError(failureLine(f));

    if (!workingFolder.empty())
        fs::current_path(workingFolder, ec);
    --state.scriptDepth;
    wb.allMode = wb.mixedSet ? false : allMode;
    wb.currentFileLabel.clear();
    wb.fileOutput = fileOutput;
    wb.interactiveMode = interactive;
    wb.view.confirmAll = interactive ? true : confirmAll;
    wb.ui().setTitle("Quillmar");
    if (ScanRecord* head = wb.scans.head())
        wb.setActive(head);
    wb.redraw();
    wb.ui().stateChanged();
    return static_cast<int>(failures.size());
}

} // namespace

std::string scriptFolder(const Workbench& wb)
{
    if (wb.settings.pathScript.empty())
        return defaultSettings(wb.programDir).pathScript;
    return wb.settings.pathScript;
}

std::optional<int> runScriptById(Workbench& wb, int id)
{
    const ScriptMenu& menu = batchState(wb).scriptMenu;
    const auto relative = scriptRelativePath(menu, id);
    if (!relative)
        return runScriptAt(wb, std::nullopt);
    return runScriptAt(wb, (fs::path(menu.folder) / *relative).string());
}

std::optional<int> runScriptByName(Workbench& wb, const std::string& name)
{
    if (name.empty())
        return std::nullopt;
    return runScriptAt(wb, (fs::path(scriptFolder(wb)) / name).string());
}

std::optional<int> runScriptFile(Workbench& wb, const std::string& path) { return runScriptAt(wb, path); }

void reloadScriptMenu(Workbench& wb)
{
    BatchState& state = batchState(wb);
    const int revision = state.scriptMenu.revision;
    state.scriptMenu = buildScriptMenu(scriptFolder(wb));
    state.scriptMenu.revision = revision + 1;
    wb.ui().scriptMenuChanged();
}

} // namespace qm
