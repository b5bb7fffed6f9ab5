#pragma once
// The "data list" bar at the right of the main window: a heading line and one
// label per scan in list order, the active scan selected. A double click on
// a scan line asks the main window to make that scan active.
#include <QDockWidget>

#include <functional>
#include <string>

class QListWidget;
class QListWidgetItem;

namespace qm {

class Workbench;

class DataList : public QDockWidget {
    Q_OBJECT
public:
    static constexpr const char* kHeading = " [GHz]  year/m/d   h:m:ss.ss";

    DataList(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent = nullptr);
    // Refills the lines when the set changed and selects the active scan.
    void refresh();
    QListWidget* list() const { return list_; }

private:
    void chosen(QListWidgetItem* item);
    Workbench& wb_;
    std::function<void(int)> dispatch_;
    QListWidget* list_;
};

} // namespace qm
