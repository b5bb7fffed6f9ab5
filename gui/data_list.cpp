#include "gui/data_list.h"

#include "app/workbench.h"
#include "gui/text_dialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QStringList>
#include <QVBoxLayout>

namespace qm {

DataList::DataList(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent)
    : QWidget(parent), wb_(wb), dispatch_(std::move(dispatch))
{
    setObjectName("data list");
    list_ = new QListWidget;
    list_->setFont(fixedPitchFont());
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    list_->setMinimumWidth(120);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(new QLabel("data list"));
    layout->addWidget(list_);
    connect(list_, &QListWidget::itemDoubleClicked, this, &DataList::chosen);
    connect(list_, &QListWidget::currentRowChanged, this, &DataList::rowChanged);
    refresh();
}

void DataList::refresh()
{
    refreshing_ = true;
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
    if (active >= 0) {
        list_->setCurrentRow(active);
    } else {
        list_->setCurrentRow(-1);
        list_->clearSelection();
    }
    refreshing_ = false;
}

void DataList::rowChanged(int row)
{
    if (refreshing_ || row < 0)
        return;
    if (row == 0) {
        // The heading names no scan: the highlight goes back to the shown one.
        QMetaObject::invokeMethod(this, &DataList::refresh, Qt::QueuedConnection);
        return;
    }
    chosen(list_->item(row));
}

void DataList::chosen(QListWidgetItem* item)
{
    // The heading names no scan.
    if (!item || list_->row(item) == 0)
        return;
    wb_.selectedLabel = item->text().toStdString();
    dispatch_(9);
    refresh(); // a refused choice (a mode that blocks commands) shows the active scan again
}

} // namespace qm
