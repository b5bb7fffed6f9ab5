#pragma once
// The only way the core talks to a person. QtUi (gui/), TextUi (cli/) and
// FakeUi (tests/) implement it. The Workbench decides whether to call it at
// all: while interactiveMode is 0 no question reaches the port.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace qm {

struct BeamConfigFields; // beam/beam_config.h
struct ConfigDialogFields;
struct ViewSettingsFields; // view/view_settings.h
struct SplineDialogState;
class ListDialog;
class ScriptEditor;
struct GaussDialogFields; // analysis/gauss_analysis.h
class GaussEditor;       // analysis/gauss_editor.h
struct PluginForm; // plugins/plugin_form.h
struct EphemeridesParams; // proc/ephemerides.h
struct ExportPanelFields; // view/page_export.h
class Canvas;             // view/canvas.h
struct FitsLoadingFields; // fitsimage/fits_options.h
struct FitsViewFields;    // fitsimage/fits_options.h
struct SpectralLineFields; // analysis/line_field_search.h
struct Surf3dOptions;      // analysis/surf3d.h

// Results of a message box; kBatchAnswer is what every box "returns" in batch.
enum MsgResult : int { kOk = 1, kCancel = 2, kYes = 6, kNo = 7, kBatchAnswer = 1000 };

// SaveDiscardCancel answers kYes (save), kNo (discard) or kCancel.
enum class MsgButtons { Ok, OkCancel, YesNo, SaveDiscardCancel };
enum class MsgIcon { None, Information, Warning, Error };

struct FileFilter {
    std::string name;    // "Header Files"
    std::string pattern; // "*.?hd;*.fits"
};

struct FileDialogSpec {
    std::string title;
    std::vector<FileFilter> filters;
    std::string initialDir;
    bool mustExist = true;         // open dialogs
    bool confirmOverwrite = false; // save dialogs
    bool chooseFolder = false;     // folder browser instead of a file
};

// Plain parameter struct of the "Video control panel" group dialog.
struct GroupDialogParams {
    std::vector<std::string> available; // labels of all scans, list order
    std::vector<std::string> chosen;    // labels moved to "Selected data"
    int mode = 3;                       // 1 array, 2 overlaid, 3 stacked
    float skipFrequency = 0;
};

class UiPort {
public:
    virtual ~UiPort() = default;

    virtual int messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                           MsgIcon icon) = 0;
    // Number prompt (keypad dialog): the typed text (at most 18 characters),
    // or nullopt on Cancel/Esc.
    virtual std::optional<std::string> askText(const std::string& prompt) = 0;
    virtual std::optional<std::string> openFile(const FileDialogSpec& spec) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogSpec& spec) = 0;

    // Progress dialog: one exists at a time; opening closes the previous.
    virtual void progressOpen(const std::string& title, int steps, bool withAbort) = 0;
    // Advances by one step; returns true when the user pressed "Abort".
    virtual bool progressStep() = 0;
    virtual void progressClose() = 0;
    // Lets the interface breathe inside long loops; returns true when the
    // user asked to abort the running operation.
    virtual bool pump() { return false; }

    virtual void setStatus(const std::string& text) = 0;
    // A message box that batch mode did not show: a question (OK/Cancel,
    // Yes/No) that nobody was asked, or a notice. A headless front end may
    // print it.
    virtual void suppressedMessage(const std::string& text, bool question)
    {
        (void)text;
        (void)question;
    }
    // A failure of a batch run (a command that could not do its work, a
    // file that did not load): a headless front end always prints it.
    virtual void reportError(const std::string& text) { setStatus(text); }
    virtual void setTitle(const std::string& title) = 0;
    virtual void requestRedraw() = 0;
    // The wait cursor over long operations. BusyCursor (app/busy_cursor.h)
    // holds it; holders nest and only the outermost one switches it.
    virtual void showBusyCursor(bool on) { (void)on; }
    // The plot's choice cursor while points are picked on it.
    virtual void showChoiceCursor(bool on) { (void)on; }
    // Enabled/checked states, tool bar fields or the data list changed.
    virtual void stateChanged() {}
    // Opens (on) or closes the modeless "Scale & Position" dialog.
    virtual void showScalePosition(bool on) { (void)on; }

    // Report windows: open a new one, or append to the most recent one.
    virtual void openReport(const std::string& title, const std::string& text) = 0;
    virtual bool hasOpenReport() const = 0;
    virtual std::string openReportText() const = 0;
    virtual void setOpenReportText(const std::string& text) = 0;
    // True while a report window holds text that was never saved.
    virtual bool unsavedReports() const { return false; }
    // Brings the most recent report window to the front with the focus.
    virtual void raiseOpenReport() {}

    // Read-only text dialog (header view, About box).
    virtual void showText(const std::string& title, const std::string& text) = 0;
    // Opens a document (help page) or starts a program; false on failure.
    virtual bool openDocument(const std::string& path) { (void)path; return false; }
    virtual bool startProgram(const std::string& program) { (void)program; return false; }

    // Operation dialogs: fill the struct, return false on Cancel.
    virtual bool groupDialog(GroupDialogParams& p) = 0;
    // "Initial Setting for Quillmar"; false on Cancel. When cancelAllowed is
    // false the dialog should ignore Cancel (the caller asks again anyway).
    virtual bool configDialog(ConfigDialogFields& f, bool cancelAllowed) = 0;
    // "Setting view of picture" (command 118); false on Cancel.
    virtual bool viewSettingsDialog(ViewSettingsFields& f) { (void)f; return false; }
    // "FFT Beam convolution" (command 202); false on Cancel.
    virtual bool beamConfigDialog(BeamConfigFields& f) { (void)f; return false; }
    // A titled curve (beams and spectra of the FFT test option).
    virtual void showCurve(const std::string& title, const std::vector<double>& values)
    {
        (void)title;
        (void)values;
    }

    // Modeless "Koeff of spline" dialog of the cubic spline: open from the
    // knot choice until OK or Cancel. Its buttons go through the state
    // (pressSplineButton), which posts command 140; the state outlives it.
    virtual void showSplineDialog(SplineDialogState& state) { (void)state; }
    virtual void closeSplineDialog() {}

    // Batch packets: the notification-area icon whose tip shows the run's
    // progress (batchTipEnd removes it), the main window hidden or shown,
    // the autosave timer (period in ms, 0 stops it) and the end of the
    // program when the packet asks for it.
    virtual void batchTip(const std::string& tip) { (void)tip; }
    // File k of n of a packet was loaded (`loaded`) or not; its commands
    // follow.
    virtual void packetProgress(int k, int n, const std::string& name, bool loaded)
    {
        (void)k;
        (void)n;
        (void)name;
        (void)loaded;
    }
    virtual void batchTipEnd() {}
    virtual void showMainWindow(bool shown) { (void)shown; }
    virtual void setAutosavePeriod(int ms) { (void)ms; }
    virtual void exitProgram() {}
    // The list dialog "List" and the "Script Editor": the core models hold
    // every rule, the dialog shows them and reports the user's actions.
    virtual void listDialog(ListDialog& dialog) { (void)dialog; }
    virtual void scriptEditor(ScriptEditor& editor) { (void)editor; }
    // The Script menu was rebuilt.
    virtual void scriptMenuChanged() {}
    // Dialog 7 of Gauss Flux; false on Cancel. The modal "Interactive Gauss
    // Analiz" dialog: its buttons go through the editor, which decides.
    virtual bool gaussDialog(GaussDialogFields& f) { (void)f; return false; }
    virtual void gaussEditor(GaussEditor& editor) { (void)editor; }
    // A plug-in's parameter form; false on Cancel.
    virtual bool pluginForm(PluginForm& form) { (void)form; return false; }
    // "Ephemerides setting": fill the struct, false on Cancel.
    virtual bool ephemeridesDialog(EphemeridesParams& p) { (void)p; return false; }
    // "Export page control panel": fill the struct, false on Cancel.
    virtual bool exportPanel(ExportPanelFields& f) { (void)f; return false; }
    // "Print...": the print dialog, then `paint` on a canvas of the page
    // size the core's printPageSize gives, with the printer's own font.
    virtual void printPage(const std::function<void(Canvas&)>& paint) { (void)paint; }
    // "FITS loading options" and "FITS view options": fill the struct, false
    // on "Close" / Cancel.
    virtual bool fitsLoadingDialog(FitsLoadingFields& f) { (void)f; return false; }
    virtual bool fitsViewDialog(FitsViewFields& f) { (void)f; return false; }
    // The Spectral Line dialog and "Surf3D Options": fill the struct, false on Cancel.
    virtual bool spectralLineDialog(SpectralLineFields& f) { (void)f; return false; }
    virtual bool surf3dDialog(Surf3dOptions& o) { (void)o; return false; }

private:
    friend class BusyCursor;
    int busyHolders_ = 0;
};

} // namespace qm
