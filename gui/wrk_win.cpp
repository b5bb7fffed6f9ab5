#include "gui/wrk_win.h"

#include "app/busy_cursor.h"
#include "app/config_dialog.h"
#include "batch/packet_run.h"
#include "files/open_scans.h"
#include "files/workspace_file.h"
#include "gui/data_list.h"
#include "gui/local_graph_window.h"
#include "gui/main_menu.h"
#include "gui/plot_widget.h"
#include "gui/script_menu.h"
#include "gui/tool_bar.h"
#include "plugins/plugin_host.h"
#include "wiring/all_commands.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMimeData>
#include <QStatusBar>
#include <QUrl>

#include <cstdlib>

namespace qm {

namespace {

constexpr int kMaxDroppedPath = 250;
constexpr int kMaxScansForAppend = 250;
constexpr int kAutosaveStartPeriodMs = 50000;

} // namespace

WrkWin::WrkWin(SettingsStore& store, std::string programDir, QWidget* parent)
    : QMainWindow(parent), ui_(this), wb_(ui_, store, std::move(programDir)), plot_(nullptr), menu_(nullptr),
      toolBar_(nullptr), dataList_(nullptr)
{
    registerAllCommands(wb_);
    // Plug-in items join the command table before the menus are built from it.
    installPlugins(wb_, startupFolder(wb_.programDir));
    setWindowTitle("Quillmar");
    setMinimumSize(540, 300);
    ui_.onRedraw = [this] { plot_->update(); };
    ui_.onStateChanged = [this] { refreshState(); };
    ui_.outputDir = [this] { return wb_.settings.output; };

    plot_ = new PlotWidget(wb_, [this](int id) { run(id); });
    ui_.onScalePosition = [this](bool on) { plot_->showScalePosition(on); };
    ui_.onChoiceCursor = [this](bool on) {
        if (on)
            plot_->setCursor(Qt::CrossCursor);
        else
            plot_->unsetCursor();
    };
    setCentralWidget(plot_);
    const auto dispatch = [this](int id) { run(id); };
    menu_ = new MainMenu(wb_, menuBar(), dispatch);
    toolBar_ = new ToolBar(wb_, dispatch, this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &ToolBar::numberEntered, this, [this](const QString& text) {
        wb_.toolNumberText = text.toStdString();
        run(195);
    });
    dataList_ = new DataList(wb_, dispatch, this);
    addDockWidget(Qt::RightDockWidgetArea, dataList_);
    resizeDocks({dataList_}, {230}, Qt::Horizontal);
    statusBar()->setSizeGripEnabled(true);
    setAcceptDrops(true);
    resize(960, 640);
    // Every autosaveTicks ticks the workspace backup is written, so a crash
    // loses at most one autosave period.
    connect(&autosave_, &QTimer::timeout, this, [this] {
        const BusyCursor busy(ui_);
        wb_.guardMemory([this] { autosaveTick(wb_); });
    });
    autosave_.start(kAutosaveStartPeriodMs);
    ui_.onAutosavePeriod = [this](int ms) {
        if (ms > 0)
            autosave_.start(ms);
        else
            autosave_.stop();
    };
    auto* localGraph = new LocalGraphWindow(dispatch, this);
    wb_.localGraphHook = [localGraph](Workbench& w, const LocalGraphTable& t) {
        localGraph->setTable(t, w.view.titleParts & 1, w.view.titleParts & 2);
    };
    auto* scripts = new ScriptMenuView(wb_, menu_->menu("Script"), dispatch, menu_);
    ui_.onScriptMenuChanged = [scripts] { scripts->rebuild(); };
    refreshState();
}

WrkWin::~WrkWin()
{
    // The bars read the workbench: they go before it does.
    ui_.onScriptMenuChanged = nullptr;
    delete dataList_;
    delete toolBar_;
    delete menu_;
    dataList_ = nullptr;
    toolBar_ = nullptr;
    menu_ = nullptr;
}

void WrkWin::startUp(const QStringList& args)
{
    // A stored flux coefficient of zero sends the user through the
    // configuration before anything else.
    runStartupCheck(wb_);
    refreshState();
    show();
    plot_->setFocus(); // the arrow keys step through the scans from the start
    if (args.isEmpty()) {
        // A backup left by a run that did not end normally is loaded again.
        const BusyCursor busy(ui_);
        bool recovered = false;
        wb_.guardMemory([this, &recovered] { recovered = recoverAutosave(wb_); });
        if (recovered)
            refreshState();
        return;
    }
    if (args.join(' ').contains("-pk")) {
        // The packet runs once the event loop is going, as a posted command.
        QStringList words;
        for (const QString& a : args)
            words << (a.contains(' ') && !a.contains('"') ? '"' + a + '"' : a);
        const std::string line = words.join(' ').toStdString();
        QTimer::singleShot(0, this, [this, line] {
            startPacketFromCommandLine(wb_, line);
            refreshState();
        });
        return;
    }
    loadFile(args.first());
}

void WrkWin::run(int id)
{
    wb_.dispatch(id);
    refreshState();
}

bool WrkWin::loadFile(const QString& path)
{
    const BusyCursor busy(ui_);
    const bool done = openScans(wb_, path.toStdString()) != 0;
    refreshState();
    return done;
}

void WrkWin::refreshState()
{
    if (!menu_ || !toolBar_ || !dataList_)
        return; // still being built
    menu_->refresh();
    toolBar_->refresh();
    dataList_->refresh();
    plot_->syncWindows();
    if (auto* graph = findChild<LocalGraphWindow*>("localGraph"))
        graph->follow(wb_.view.localGraph);
}

bool WrkWin::dropAllowed() const
{
    return wb_.acceptDrops && wb_.groupMode == 0 && wb_.scans.count() <= kMaxScansForAppend;
}

void WrkWin::activate()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

void WrkWin::closeEvent(QCloseEvent* e)
{
    if (wb_.setLoaded && wb_.interactiveMode &&
        wb_.message("Delete ALL data from memory without Save?", "Information", MsgButtons::OkCancel) == kCancel) {
        e->ignore();
        return;
    }
    ui_.progressClose();
    e->accept();
}

void WrkWin::keyPressEvent(QKeyEvent* e)
{
    if (wb_.setLoaded && (e->key() == Qt::Key_Left || e->key() == Qt::Key_Right)) {
        run(e->key() == Qt::Key_Left ? 107 : 108);
        return;
    }
    QMainWindow::keyPressEvent(e);
}

QString WrkWin::droppedPath(const QMimeData* mime) const
{
    if (!mime || !mime->hasUrls() || mime->urls().isEmpty())
        return {};
    const QUrl url = mime->urls().first();
    if (!url.isLocalFile())
        return {};
    const QString path = url.toLocalFile();
    // Longer names are refused rather than cut to a different file.
    if (path.toLocal8Bit().size() > kMaxDroppedPath || !QFileInfo(path).isFile())
        return {};
    return path;
}

void WrkWin::dragEnterEvent(QDragEnterEvent* e)
{
    if (dropAllowed() && !droppedPath(e->mimeData()).isEmpty())
        e->acceptProposedAction();
}

void WrkWin::dropEvent(QDropEvent* e)
{
    const QString path = droppedPath(e->mimeData());
    if (!dropAllowed() || path.isEmpty())
        return;
    e->acceptProposedAction();
    loadFile(path);
}

} // namespace qm
