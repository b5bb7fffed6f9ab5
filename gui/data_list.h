#pragma once
// The "data list" beside the plot: a heading line and one label per scan in
// list order. The highlighted line is always the shown scan: choosing a
// line by click, keys or double click makes that scan active.
#include <QWidget>

#include <functional>
#include <string>

class QListWidget;
class QListWidgetItem;

namespace qm {

class Workbench;

class DataList : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kHeading = " [GHz]  year/m/d   h:m:ss.ss";

    DataList(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent = nullptr);
    // Refills the lines when the set changed and selects the active scan.
    void refresh();
    QListWidget* list() const { return list_; }

private:
    void chosen(QListWidgetItem* item);
    void rowChanged(int row);
    Workbench& wb_;
    std::function<void(int)> dispatch_;
    QListWidget* list_;
    bool refreshing_ = false;
};

} // namespace qm
