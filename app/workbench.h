#pragma once
// The core half of the main window: the scan set and its state, settings,
// modes, batch arguments, report state and command dispatch. The Qt main
// window owns one Workbench and adds only widgets; the headless batch runner
// and the tests drive the same object.
#include "app/command_table.h"
#include "app/plot_geometry.h"
#include "app/scan_list.h"
#include "app/set_fingerprint.h"
#include "app/settings.h"
#include "app/settings_store.h"
#include "app/ui_port.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace qm {

struct BatchState; // packets, scripts and command lists (batch/)
struct FitsImageState; // the FITS image under the plot (fitsimage/)
class Canvas;      // drawing surface of the plot (view/canvas.h)
struct LocalGraphTable; // per-scan analysis results (app/local_graph_rows.h)

// Exclusive interaction modes of the plot; each blocks other commands.
enum class InteractionMode { None, SplinePoints, Calibration, PointChoice, AmplifCorrection, GaussChoice };

// Points picked on the plot while an interaction mode runs (the Cube
// Spline's knots): point index and value on the axis of `channel`. The plot
// marks each one until the mode ends.
struct PickedPoints {
    int channel = 1;
    std::vector<float> x, y;
    bool positionsOnly = false; // vertical lines at x (positions picked for a fit)
};

// View options owned by the plot; Close resets some of them.
struct ViewFlags {
    bool sunDisk = false;
    bool digFrame = false;
    bool fitsImage = false;
    bool equalScale = false;     // menu 152
    bool fullScanWindow = false; // menu 169
    bool localGraph = false;     // menu 177
    bool scalePosition = false;  // menu 147 ("Scale & Position" open)
    bool confirmAll = true;      // "View <All> Message"
    bool sunCenter = false;      // solar centre lines ("Center Sun")
    bool viewScale = true;       // axes and title ("View scale")
    bool colour = true;          // colour drawing ("Color")
    int titleParts = 1;          // bits: 1 "Freq", 2 "Date", 4 "Time"
    bool groupList = true;       // "View list"
    bool listOutside = false;    // "List(in/out)"
    bool residual = false;       // "View wrk-gauss"
    int gaussChoice = 0;         // -1 choosing positions, 1 choosing Gaussians, 0 none
    std::string mainTitle = "%"; // at most 31 characters; "%..." means automatic
    std::string rightAxisTitle = "%"; // channel 2, at most 15 characters
    std::string leftAxisTitle = "%";  // channel 1, at most 15 characters
};

// The close question (Close, exit, loads that replace the set).
inline constexpr const char* kDeleteAllText = "Delete ALL data from memory without Save?";

// The refusal of an operation or a load that ran out of memory.
inline constexpr const char* kNoMemoryText = "Can't allocate memory";

// Cancelled flag of the progress dialog.
inline constexpr int kProgressRunning = -2345;
inline constexpr int kProgressAborted = -10;

class Workbench {
public:
    Workbench(UiPort& ui, SettingsStore& store, std::string programDir);
    ~Workbench();
    Workbench(const Workbench&) = delete;
    Workbench& operator=(const Workbench&) = delete;

    UiPort& ui() { return ui_; }
    SettingsStore& store() { return store_; }
    CommandTable& commands() { return commands_; }
    const CommandTable& commands() const { return commands_; }

    // ---- set state -------------------------------------------------------
    ScanList scans;
    ScanRecord* activeScan = nullptr;
    bool setLoaded = false;
    bool allMode = false;
    bool chkDataI = true, chkDataV = true, chkWrkI = false, chkWrkV = false;
    bool mixedSet = false;
    int groupMode = 0; // 0 none, 1 array, 2 overlaid, 3 stacked
    std::vector<ScanRecord*> groupScans; // kept when the view goes off
    int groupCount() const { return static_cast<int>(groupScans.size()); }
    float skipFrequency = 0;
    int viewBegin = 0, viewEnd = 0;

    // ---- program state ---------------------------------------------------
    Settings settings;
    std::string programDir;
    bool interactiveMode = true; // false while a packet or script runs
    bool fileOutput = true;      // false while a script runs
    InteractionMode interaction = InteractionMode::None;
    PlotGeometry geometry;       // where the last paint put the plot
    // Left double click on the plot: routed to the interaction mode that is
    // on (calibration level, point choice, spline knot, amplification point,
    // local spectrum). Operations that start a mode install their handler.
    std::function<void(Workbench&, int x, int y)> plotDoubleClickHook;
    // Pictures under the solar centre lines, painted clipped to the plot
    // frame shrunk by w (an array-view cell shrunk by h/3) when "Fits Image"
    // / "Sun Disk" is on; `frame` is the frame or cell being painted and the
    // scan the one it shows. Installed by the FITS-image and solar-disk code.
    std::function<void(Workbench&, Canvas&, const ScanRecord&, const PlotGeometry& frame)> fitsImagePainter,
        sunDiskPainter;
    // The local graph window: takes the per-scan results of an analysis in
    // ALL mode while it is switched on. Installed by the front end.
    std::function<void(Workbench&, const LocalGraphTable&)> localGraphHook;
    // The click spectrum at plot pixel column x for the local graph: a double
    // click with no choice state on, or a left press while positions or
    // components are picked. Installed by the analysis subsystem.
    std::function<void(Workbench&, int x)> clickSpectrumHook;
    // Magnetic-field results drawn on the plot: (point index, field in
    // gauss), and the frequency of the scan they were found on.
    struct MagFieldTable : std::vector<std::pair<int, float>> {
        using std::vector<std::pair<int, float>>::vector;
        float frequency = 0;
    } magField;
    PickedPoints picked;
    ViewFlags view;
    float sunDiskOffset = 0;     // vertical offset of the solar disk centre, percent of the radius
    int autosaveTicks = 5;
    int autosaveCounter = 0;
    std::string tempWorkspace;   // deleted at Close and at exit
    int cancelFlag = 0;          // kProgressRunning / kProgressAborted
    std::array<float, 4> batchArgs{}; // numeric arguments of the batch command
    std::string batchTitle;           // title of the batch command
    std::string currentFileLabel;     // file being processed by batch/script
    std::string selectedLabel;        // data-list line chosen for command 9
    bool acceptDrops = true;          // off above 250 scans
    bool dataMenusEnabled = false;    // top menus "Spec.Func" and "Script"
    // Subsystems holding set-dependent state (magnetic-field table, FITS
    // image, ...) register here; Close runs each to forget it.
    std::vector<std::function<void(Workbench&)>> closeHooks;
    std::shared_ptr<BatchState> batchState; // created by the batch subsystem
    std::shared_ptr<FitsImageState> fitsState; // created by the FITS-image subsystem

    // ---- enabled / checked state of menu items and tool bar buttons ------
    bool isEnabled(int id) const;
    bool isChecked(int id) const;
    void setEnabled(int id, bool on);
    void setChecked(int id, bool on);
    std::string toolBeamText, toolStepText; // "D=%.2f%c", "Sh=%.3f%c"
    std::string toolNumberText;             // tool bar edit 195, read by command 195
    bool rlIndicatorEnabled = false, rlIndicatorSet = false; // tool bar item 228
    bool allButtonDown() const { return allMode; }           // face of 106

    // ---- dispatch ---------------------------------------------------------
    // Runs a command by the dispatch rules; always returns 0.
    int dispatch(int id);
    // While held (nesting), dispatch runs nothing: a fit on a worker thread
    // pumps the interface, and no command may touch the scans meanwhile.
    void holdCommands(bool on) { commandHolds_ += on ? 1 : -1; }
    // Hooks filled by later subsystems.
    std::function<void(Workbench&, int)> pluginHook; // ids above 10000
    std::function<void(Workbench&, int)> scriptHook; // ids 5001..10000
    std::function<void(Workbench&)> autoScriptHook;  // after an interactive load
    std::function<void(Workbench&)> settingsAppliedHook; // command 117 confirmed (FITS palette reload)

    // ---- helpers every operation uses ------------------------------------
    // Message box: shown only in interactive mode, else returns kBatchAnswer.
    int message(const std::string& text, const std::string& caption = "Information",
                MsgButtons buttons = MsgButtons::Ok, MsgIcon icon = MsgIcon::Information);
    // Number prompt: in batch mode the value is batchArgs[argIndex] and no
    // question is asked; interactively nullopt on Cancel or unparsable text.
    std::optional<float> askNumber(const std::string& prompt, int argIndex = 0);
    std::optional<int> askInteger(const std::string& prompt, int argIndex = 0);
    // Precondition 1001 "WORKSHEET is not checked": false (after the box)
    // when neither Worksheet switch is on.
    bool requireWorksheetSelected();
    // ALL-mode confirmation 1083 ("Attention", OK/Cancel) when ALL mode and
    // the view option ask for it; false when the user cancelled.
    bool confirmAllMode();
    // Precondition 1008 "You have the open EDITOR": false (after the box)
    // while a report window is open in interactive use. Scripts append to
    // the open window and packets write files, so they are not stopped.
    bool requireNoOpenReport();
    // Unsaved work: the set differs from what was last loaded or saved
    // (compared by fingerprint, so every way of changing a scan counts).
    bool unsavedChanges() const;
    // After a load, a workspace save, Close. `fresh` holds fingerprints the
    // load took of its new scans, untouched since.
    void markSaved(const FreshFingerprints& fresh = {});
    void markUnsaved(); // the set holds work no file has, whatever it looks like
    // The close question before the set (and, with reportsToo, the report
    // windows) would be dropped: asked interactively only when something is
    // unsaved; "Save" writes the workspace first. False when the user
    // cancelled or the save did not happen.
    bool confirmDiscard(bool reportsToo);
    // The file the set was loaded from (file name only), for the title.
    const std::string& setName() const { return setName_; }
    void nameSet(const std::string& path); // the file name part of path
    // Records that the running command could not do its work, and why. The
    // status line shows the reason; packets log it after the file's line,
    // scripts and quillmar-batch print it. A caller that also owes the user
    // a message box shows it itself.
    void fail(const std::string& reason);
    // The reasons recorded since the last call, oldest first; the batch
    // executor takes them after every command it runs.
    std::vector<std::string> takeFailures();
    // A refusal: the box (caption, icon, OK only) interactively, and in
    // every mode a recorded failure with the same text.
    void refuse(const std::string& text, const std::string& caption = "Information",
                MsgIcon icon = MsgIcon::Information);
    // Runs `work`; an allocation failure inside it (std::bad_alloc, or
    // std::length_error from an impossible size) is refused with
    // kNoMemoryText and gives false, so the program keeps running.
    bool guardMemory(const std::function<void()>& work);
    // Status hint of a command id, or a text.
    void status(const std::string& text);
    void statusHint(int id);
    void redraw();

    // Progress dialog (interactive only). progressStep returns false once
    // the user has pressed Abort (cancelFlag == kProgressAborted).
    void progressOpen(const std::string& title, int steps, bool withAbort = false);
    bool progressStep();
    void progressClose();

    // Target iteration: ALL mode walks the group or the whole list, ONE mode
    // only the active scan; a progress dialog is shown for ALL mode and the
    // plot is redrawn once at the end. The callback returns false to stop.
    std::vector<ScanRecord*> targets() const;
    void forEachTarget(const std::string& title, const std::function<bool(ScanRecord&)>& op,
                       bool withAbort = false);

    // Report routing: a report window interactively, the output file in
    // batch packets, the open report window during scripts.
    void deliverReport(const std::string& title, const std::string& text);

    // ---- set operations (set_state.cpp) ----------------------------------
    // Sort, active = head, checks, LastDir; `fresh` goes to markSaved.
    void afterLoad(const std::string& loadedPath, const FreshFingerprints& fresh = {});
    void checkMixedSet();
    void syncActive();
    void setActive(ScanRecord* r);
    void stepActive(int id); // 107 / 108
    void closeSet(bool ask); // command 111
    void enableDataCommands(bool on);
    // Switches the group view on with mode 1..3 (only with at least two
    // scans in groupScans; mode 1 becomes 3 above nine scans) or off (0).
    void setGroupView(int mode);
    int selectGroupByRange(float mode, float f1, float f2);
    int selectGroupByList(const std::string& text, float mode, float exactness);
    // Unlinks and frees one scan. Its predecessor (else its successor)
    // becomes active; in the group view it leaves the group (the view goes
    // off below two scans), outside it a kept group holding it is emptied;
    // removing the last scan returns to the empty state.
    void removeScan(ScanRecord* r);
    void updateRlIndicator();

private:
    // Runs a table command; interactively one that changed scans and said
    // nothing itself then tells in the status line what it did to how many.
    void runAndReport(int id);
    UiPort& ui_;
    SettingsStore& store_;
    CommandTable commands_;
    std::map<int, bool> enabled_;
    std::set<int> checked_;
    int lastStatusId_ = -1;
    int commandHolds_ = 0;
    std::vector<std::string> failures_;
    uint64_t savedFingerprint_ = 0;
    bool unsavedMark_ = false;
    std::string setName_;
    int statusCount_ = 0;               // texts shown, to see whether a command said anything
    std::optional<float> lastAnswer_;   // the number the running command asked for
};

// The R/L balance rule of tool bar item 228: true when the integrals of R
// and L above their end baselines differ by more than a factor 1.5.
bool rlUnbalanced(const float* r, const float* l, int n);

} // namespace qm
