#include "gui/data_list.h"

#include "app/workbench.h"

#include <QFontDatabase>
#include <QListWidget>
#include <QStringList>

namespace qm {

DataList::DataList(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent)
    : QDockWidget("data list", parent), wb_(wb), dispatch_(std::move(dispatch))
{
    setObjectName("data list");
    setFeatures(QDockWidget::DockWidgetMovable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    list_ = new QListWidget;
    list_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setMinimumWidth(120);
    setWidget(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, &DataList::chosen);
    refresh();
}

void DataList::refresh()
{
    QStringList lines{kHeading};
    int active = -1;
    for (const auto& r : wb_.scans) {
        if (r.get() == wb_.activeScan)
            active = static_cast<int>(lines.size());
        lines << QString::fromStdString(r->label());
    }
    QStringList shown;
    for (int i = 0; i < list_->count(); ++i)
        shown << list_->item(i)->text();
    if (shown != lines) {
        list_->clear();
        list_->addItems(lines);
    }
    if (active >= 0)
        list_->setCurrentRow(active);
    else
        list_->clearSelection();
}

void DataList::chosen(QListWidgetItem* item)
{
    // The heading names no scan.
    if (!item || list_->row(item) == 0)
        return;
    wb_.selectedLabel = item->text().toStdString();
    dispatch_(9);
}

} // namespace qm
