#pragma once
// The main window: menus, tool bar, plot area, data list and status bar
// around one Workbench. Every rule lives in the core; the window shows its
// state and forwards commands, keys and dropped files.
#include "app/workbench.h"
#include "files/autosave_worker.h"
#include "gui/qt_ui.h"

#include <QMainWindow>
#include <QTimer>

#include <string>

class QMimeData;
class QSplitter;

namespace qm {

class DataList;
class MainMenu;
class PlotWidget;
class ToolBar;

class WrkWin : public QMainWindow {
    Q_OBJECT
public:
    WrkWin(SettingsStore& store, std::string programDir, QWidget* parent = nullptr);
    ~WrkWin() override;

    Workbench& workbench() { return wb_; }
    QtUi& ui() { return ui_; }
    MainMenu& mainMenu() { return *menu_; }
    ToolBar& toolBar() { return *toolBar_; }
    DataList& dataList() { return *dataList_; }
    PlotWidget& plot() { return *plot_; }
    QSplitter& splitter() { return *splitter_; }

    // Start-up after the window exists: the configuration check, then the
    // command-line arguments (a scan file to load; "-pk" packets).
    void startUp(const QStringList& args);
    // Runs a command and shows the state it leaves.
    void run(int id);
    // Loads a scan file like "Append..." (drops and the command line).
    bool loadFile(const QString& path);
    // Menus, tool bar and data list from the core's state.
    void refreshState();
    // True when a dropped file would be taken now.
    bool dropAllowed() const;
    // Brings the window to the front (a second start asked for it).
    void activate();

protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    QString droppedPath(const QMimeData* mime) const;
    QtUi ui_;
    Workbench wb_;
    PlotWidget* plot_;
    MainMenu* menu_;
    ToolBar* toolBar_;
    DataList* dataList_;
    QSplitter* splitter_ = nullptr;
    QTimer autosave_;
    AutosaveWorker autosaver_;
};

// The plot and data-list widths stored as "plot list"; a missing or damaged
// value gives the default division of a window `width` wide.
QList<int> splitterSizes(const std::string& stored, int width);

} // namespace qm
