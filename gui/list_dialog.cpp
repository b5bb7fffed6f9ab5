#include "gui/list_dialog.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// An offered command without a handler is shown greyed and cannot be
// selected.
void addEntry(QListWidget* list, const ListDialog::Entry& e)
{
    auto* item = new QListWidgetItem(QString::fromStdString(e.name), list);
    if (!e.enabled)
        item->setFlags(item->flags() & ~Qt::ItemIsEnabled);
}

} // namespace

ListDialogQt::ListDialogQt(ListDialog& core, QWidget* parent)
    : QDialog(parent), core_(core), offered_(new QListWidget), chosen_(new QListWidget),
      add_(new QPushButton("=>")), remove_(new QPushButton("<="))
{
    setObjectName(kListDialogTitle);
    setWindowTitle(core_.caption());
    for (const ListDialog::Entry& e : core_.offered())
        addEntry(offered_, e);
    auto* reset = new QPushButton("Reset");
    auto* ok = new QPushButton("OK");
    auto* cancel = new QPushButton("Cancel");
    ok->setDefault(true);

    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add_);
    middle->addWidget(remove_);
    middle->addStretch();
    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(kOfferedLabel), 0, 0);
    grid->addWidget(new QLabel(kChosenLabel), 0, 2);
    grid->addWidget(offered_, 1, 0);
    grid->addLayout(middle, 1, 1);
    grid->addWidget(chosen_, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reset);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);

    const auto addSelected = [this] {
        core_.add(offered_->currentRow());
        refresh();
    };
    const auto removeSelected = [this] {
        core_.remove(chosen_->currentRow());
        refresh();
    };
    connect(add_, &QPushButton::clicked, this, addSelected);
    connect(offered_, &QListWidget::itemDoubleClicked, this, addSelected);
    connect(remove_, &QPushButton::clicked, this, removeSelected);
    connect(chosen_, &QListWidget::itemDoubleClicked, this, removeSelected);
    connect(reset, &QPushButton::clicked, this, [this] {
        core_.reset();
        QDialog::accept();
    });
    connect(ok, &QPushButton::clicked, this, &ListDialogQt::accept);
    connect(cancel, &QPushButton::clicked, this, &ListDialogQt::reject);
    refresh();
}

void ListDialogQt::refresh()
{
    chosen_->clear();
    // Chosen entries stay selectable, so that one without a handler can be
    // taken out of the list.
    for (const ListDialog::Entry& e : core_.chosen())
        chosen_->addItem(QString::fromStdString(e.name));
    add_->setEnabled(core_.addEnabled());
    remove_->setEnabled(core_.removeEnabled());
}

void ListDialogQt::accept()
{
    core_.ok();
    QDialog::accept();
}

void ListDialogQt::reject()
{
    core_.cancel();
    QDialog::reject();
}

} // namespace qm
