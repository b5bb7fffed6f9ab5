#pragma once
// UiPort for the Qt front end: message boxes, the number prompt, file
// dialogs, the progress dialog, the status bar, report windows and the
// operation dialogs, all owned by the main window.
#include "app/ui_port.h"

#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <memory>

class QMainWindow;

namespace qm {

class BatchTip;
class HelpViewer;
class ProgressDialog;
class SplineDialog;
class ReportWindow;

class QtUi : public UiPort {
public:
    explicit QtUi(QMainWindow* owner);
    ~QtUi() override;

    int messageBox(const std::string& text, const std::string& caption, MsgButtons buttons,
                   MsgIcon icon) override;
    std::optional<std::string> askText(const std::string& prompt) override;
    std::optional<std::string> openFile(const FileDialogSpec& spec) override;
    std::optional<std::string> saveFile(const FileDialogSpec& spec) override;

    void progressOpen(const std::string& title, int steps, bool withAbort) override;
    bool progressStep() override;
    void progressClose() override;
    bool pump() override;

    void setStatus(const std::string& text) override;
    void setTitle(const std::string& title) override;
    void refreshTitle(); // after the loaded set changed
    void requestRedraw() override;
    void showBusyCursor(bool on) override;
    void showChoiceCursor(bool on) override;
    void stateChanged() override;

    void openReport(const std::string& title, const std::string& text) override;
    bool hasOpenReport() const override;
    std::string openReportText() const override;
    void setOpenReportText(const std::string& text) override;
    bool unsavedReports() const override;
    void raiseOpenReport() override;

    void showText(const std::string& title, const std::string& text) override;
    bool openDocument(const std::string& path) override;
    bool startProgram(const std::string& program) override;

    bool groupDialog(GroupDialogParams& p) override;
    bool configDialog(ConfigDialogFields& f, bool cancelAllowed) override;
    void showSplineDialog(SplineDialogState& state) override;
    void closeSplineDialog() override;
    SplineDialog* splineDialog() const;
    bool viewSettingsDialog(ViewSettingsFields& f) override;
    bool gaussDialog(GaussDialogFields& f) override;
    void gaussEditor(GaussEditor& editor) override;
    bool beamConfigDialog(BeamConfigFields& f) override;
    bool fitsLoadingDialog(FitsLoadingFields& f) override;
    bool fitsViewDialog(FitsViewFields& f) override;
    void showCurve(const std::string& title, const std::vector<double>& values) override;
    bool pluginForm(PluginForm& form) override;
    bool ephemeridesDialog(EphemeridesParams& p) override;
    bool exportPanel(ExportPanelFields& f) override;
    void printPage(const std::function<void(Canvas&)>& paint) override;
    bool spectralLineDialog(SpectralLineFields& f) override;
    bool surf3dDialog(Surf3dOptions& o) override;
    void showScalePosition(bool on) override;

    // Packets, command lists and scripts (qt_ui_batch.cpp).
    void batchTip(const std::string& tip) override;
    void batchTipEnd() override;
    void showMainWindow(bool shown) override;
    void setAutosavePeriod(int ms) override;
    void exitProgram() override;
    void listDialog(ListDialog& dialog) override;
    void scriptEditor(ScriptEditor& editor) override;
    void scriptMenuChanged() override;
    BatchTip* batchTipShown() const;
    std::function<void(int)> onAutosavePeriod; // period in ms, 0 stops the timer
    std::function<void()> onScriptMenuChanged;
    std::function<void(ListDialog&)> listDialogHook;     // tests: instead of the dialog
    std::function<void(ScriptEditor&)> scriptEditorHook; // tests: instead of the dialog

    // Set by the main window.
    std::function<void()> onRedraw, onStateChanged;
    std::function<void(bool)> onScalePosition; // opens/closes "Scale & Position"
    std::function<void(bool)> onChoiceCursor;  // the plot's choice cursor on/off
    std::function<std::string()> outputDir; // where report "Save As..." starts
    std::function<std::string()> dataDir;   // folder of the loaded data, for file dialogs
    std::function<std::string()> setName;   // the loaded file, named in the title
    // Test hooks: when set they answer instead of a modal dialog.
    std::function<int(const std::string& text, const std::string& caption, MsgButtons, MsgIcon)> messageHook;
    std::function<std::optional<std::string>(const FileDialogSpec&, bool save)> fileHook;

    ProgressDialog* progress() const;
    ReportWindow* latestReport() const;
    HelpViewer* helpViewer() const;

private:
    // Held while a modal dialog waits for the user: the main window shows
    // the normal cursor meanwhile, and the wait cursor again afterwards if
    // the operation that asked is still running.
    class Asking {
    public:
        explicit Asking(QtUi& ui);
        ~Asking();
        Asking(const Asking&) = delete;
        Asking& operator=(const Asking&) = delete;

    private:
        QtUi& ui_;
    };
    void applyCursor();

    // File dialogs open where the user last took that kind of file (kinds
    // told apart by their first filter), else in the program's folder for
    // it, else the data's folder, else home; never in "/". A name saved
    // without an extension gets the one of the chosen filter.
    std::optional<std::string> fileDialog(const FileDialogSpec& spec, bool save);
    std::optional<std::string> runFileDialog(const FileDialogSpec& spec, bool save, std::string& pattern);
    QString startFolder(const FileDialogSpec& spec) const;
    static std::string dialogKind(const FileDialogSpec& spec);
    std::map<std::string, QString> lastFolders_;
    QMainWindow* owner_;
    bool busy_ = false; // an operation holds the wait cursor
    int asking_ = 0;    // modal dialogs open
    QPointer<ProgressDialog> progress_;
    QPointer<SplineDialog> spline_; // "Koeff of spline", modeless
    QPointer<ReportWindow> report_;
    QPointer<BatchTip> batchTip_;
    QPointer<HelpViewer> help_;
    int cascade_ = 0; // offset of the next report window
    std::string title_ = "Quillmar";
};

// The Qt filter string of a file dialog ("Header Files (*.?hd *.fits)").
QString fileFilterString(const std::vector<FileFilter>& filters);
// `path` with the first extension of `pattern` ("*.wsf") added when its
// file name has none.
QString withDefaultSuffix(const QString& path, const std::string& pattern);

} // namespace qm
