#include "gui/wrk_win.h"

#include "app/busy_cursor.h"
#include "app/config_dialog.h"
#include "app/text_format.h"
#include "batch/example_scripts.h"
#include "batch/packet_run.h"
#include "batch/script_runner.h"
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
#include <QSplitter>
#include <QStatusBar>
#include <QUrl>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace qm {

namespace {

constexpr int kMaxDroppedPath = 250;
constexpr int kMaxScansForAppend = 250;
constexpr int kAutosaveStartPeriodMs = 50000;
constexpr const char* kSplitterSetting = "MainSplitter";
constexpr int kDataListWidth = 230;

} // namespace

QList<int> splitterSizes(const std::string& stored, int width)
{
    int plot = 0, list = 0;
    char tail = 0;
    // Two positive widths, nothing after them; anything else (a damaged or
    // edited settings file) gives the default division.
    if (std::sscanf(stored.c_str(), "%d %d %c", &plot, &list, &tail) == 2 && plot > 0 && list > 0 &&
        plot <= 100000 && list <= 100000)
        return {plot, list};
    return {std::max(width - kDataListWidth, 1), kDataListWidth};
}

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
    ui_.dataDir = [this] { return wb_.settings.lastDir; };
    ui_.setName = [this] { return wb_.setName(); };

    plot_ = new PlotWidget(wb_, [this](int id) { run(id); });
    ui_.onScalePosition = [this](bool on) { plot_->showScalePosition(on); };
    ui_.onChoiceCursor = [this](bool on) {
        if (on)
            plot_->setCursor(Qt::CrossCursor);
        else
            plot_->unsetCursor();
    };
    const auto dispatch = [this](int id) { run(id); };
    menu_ = new MainMenu(wb_, menuBar(), dispatch);
    toolBar_ = new ToolBar(wb_, dispatch, this);
    addToolBar(Qt::TopToolBarArea, toolBar_);
    connect(toolBar_, &ToolBar::numberEntered, this, [this](const QString& text) {
        wb_.toolNumberText = text.toStdString();
        run(195);
    });
    // The plot and the data list share a splitter: the plot keeps its room
    // at small window sizes and the user sets the division.
    dataList_ = new DataList(wb_, dispatch);
    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->setObjectName("plot and data list");
    splitter_->addWidget(plot_);
    splitter_->addWidget(dataList_);
    splitter_->setStretchFactor(0, 1);
    splitter_->setStretchFactor(1, 0);
    splitter_->setChildrenCollapsible(false);
    setCentralWidget(splitter_);
    statusBar()->setSizeGripEnabled(true);
    setAcceptDrops(true);
    resize(960, 640);
    splitter_->setSizes(splitterSizes(wb_.store().readText(kSplitterSetting).value_or(""), 960));
    // Every autosaveTicks ticks the workspace backup is written, so a crash
    // loses at most one autosave period. The tick only copies the set; the
    // file is written on the autosaver's thread, which hands the finished
    // backup back to this one.
    autosaver_.onFinished = [this] {
        QMetaObject::invokeMethod(this, [this] { autosaver_.collect(wb_); }, Qt::QueuedConnection);
    };
    connect(&autosave_, &QTimer::timeout, this, [this] { wb_.guardMemory([this] { autosaver_.tick(wb_); }); });
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
    // A backup still being written is dropped: the run's backups go at exit.
    autosaver_.abandon();
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
    if (provideExampleScripts(wb_)) // a first start: the Script menu gets the examples
        reloadScriptMenu(wb_);
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
    ui_.refreshTitle();
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
    // Asked only when the set or a report window holds unsaved work.
    if (!wb_.confirmDiscard(true)) {
        e->ignore();
        return;
    }
    ui_.progressClose();
    const QList<int> sizes = splitter_->sizes();
    if (sizes.size() == 2)
        wb_.store().writeText(kSplitterSetting, format("%d %d", sizes[0], sizes[1]));
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
