#pragma once
// The "Script Editor" (command 194): the catalogue's command names to pick
// from, a help line for the chosen one, and the text of a script or packet
// file that is opened, saved, cleared or replaced by a packet skeleton. The
// GUI shows it; every rule and text lives here.
#include "app/ui_port.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

class CommandCatalogue;
class Workbench;

inline constexpr const char* kScriptEditorTitle = "Script Editor";
inline constexpr int kScriptEditorWidth = 257, kScriptEditorHeight = 200; // dialog units
inline constexpr const char* kEmptyScript = "[Commands]\r\n";
inline constexpr const char* kNoFile = "None";
inline constexpr const char* kNoHelp = "Help";
inline constexpr const char* kScriptHelpSyntax = "Command=Arg1 Arg2 Arg3 Arg4 #[%s][%d][%y][%t]ExtString";
inline constexpr const char* kScriptHelpTemplates =
    "[%s]-file [%d]-number [%y]-date(yyyymmdd) [%t]-time(hhmmss)";
inline constexpr std::size_t kEditorFileLimit = 1 << 20; // larger files are not opened
// Asked before Open, Clear or Pack Hdr would drop edits not saved.
inline constexpr const char* kDropScriptEditsText = "The script has changes that are not saved. Drop them?";

// "Pack Hdr": a packet that reads every file of `inDir` and writes its log
// and results to `outDir`.
std::string packetSkeleton(const std::string& outDir, const std::string& inDir);

class ScriptEditor {
public:
    struct Entry {
        std::string name; // the catalogue line's second word
        std::string line; // the whole catalogue line
    };

    // The packet skeleton names `outDir` and `inDir` (the output folder and
    // the last folder in use).
    ScriptEditor(const CommandCatalogue& catalogue, std::string scriptFolder, std::string outDir,
                 std::string inDir);

    // False when the catalogue has no lines: the editor closes at once.
    bool usable() const { return !entries_.empty(); }
    const std::vector<Entry>& entries() const { return entries_; }

    std::string text = kEmptyScript; // the edit box
    std::string fileName = kNoFile;  // the current file as shown
    std::string helpText = kNoHelp;  // the help line

    // Selecting an entry shows the catalogue line from its first blank on.
    void select(int index);
    // Double-clicking an entry: the text to insert.
    std::string insertion(int index) const;
    // Where in `text` the insertion goes for a caret at `caret` (a byte
    // offset): at the caret inside the [Commands] section, else at the end
    // of that section. A text without the section gets one at its end.
    std::size_t insertionPoint(std::size_t caret);
    // The text differs from what was last opened, saved or started afresh.
    bool unsaved() const { return text != savedText_; }
    // Runs the edited text as a script on the set in memory; empty when the
    // editor was opened without a workbench to run on.
    std::function<void(const std::string& script)> run;

    // "Open" (after the dialog): loads the whole file; false when it cannot
    // be read (nothing changes then).
    bool open(const std::string& path);
    // "Save": rewrites the current file when there is one and it exists.
    bool save();
    // "Save As..." (after the dialog).
    bool saveAs(const std::string& path);
    void clear();
    void packetHeader();

    // The dialogs of "Open" and "Save As...": "Script files" (*.spt) and
    // "Pack files" (*.pkf), starting in the script folder.
    FileDialogSpec openDialog() const;
    FileDialogSpec saveDialog() const;

private:
    std::vector<Entry> entries_;
    std::string scriptFolder_;
    std::string outDir_, inDir_;
    std::string path_; // the current file; empty when none
    std::string savedText_ = kEmptyScript;
};

// Runs `script` (a script's text) on the set in memory, as a script file
// would run; the number of failed commands, nullopt when it did not run.
std::optional<int> runEditedScript(Workbench& wb, const std::string& script);

// Command 194: the editor on the catalogue beside the program.
void runScriptEditor(Workbench& wb);

} // namespace qm
