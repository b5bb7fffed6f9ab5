#include "gui/group_dialog_qt.h"

#include "gui/text_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

std::vector<int> selectedRows(const QListWidget* list)
{
    std::vector<int> rows;
    for (const QListWidgetItem* item : list->selectedItems())
        rows.push_back(list->row(item));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void fill(QListWidget* list, const std::vector<std::string>& lines)
{
    list->clear();
    for (const std::string& s : lines)
        list->addItem(QString::fromStdString(s));
}

QListWidget* makeList()
{
    auto* list = new QListWidget;
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list->setFont(fixedPitchFont());
    list->setMinimumWidth(220);
    return list;
}

} // namespace

GroupDialogQt::GroupDialogQt(const GroupDialogParams& params, QWidget* parent) : QDialog(parent), core_(params)
{
    setWindowTitle("Video control panel");
    left_ = makeList();
    right_ = makeList();
    leftCount_ = new QLabel;
    rightCount_ = new QLabel;
    add_ = new QPushButton("=>");
    remove_ = new QPushButton("<=");
    for (QPushButton* b : {add_, remove_})
        b->setAutoDefault(false);
    connect(add_, &QPushButton::clicked, this, &GroupDialogQt::moveRight);
    connect(remove_, &QPushButton::clicked, this, &GroupDialogQt::moveLeft);
    // A double click moves the line clicked (with any others selected).
    connect(left_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        item->setSelected(true);
        moveRight();
    });
    connect(right_, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem* item) {
        item->setSelected(true);
        moveLeft();
    });

    auto* lists = new QGridLayout;
    lists->addWidget(new QLabel("Aviable data"), 0, 0);
    lists->addWidget(new QLabel("Selected data"), 0, 2);
    lists->addWidget(left_, 1, 0);
    auto* arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(add_);
    arrows->addWidget(remove_);
    arrows->addStretch();
    lists->addLayout(arrows, 1, 1);
    lists->addWidget(right_, 1, 2);
    lists->addWidget(leftCount_, 2, 0);
    lists->addWidget(rightCount_, 2, 2);

    auto* modeGroup = new QButtonGroup(this);
    const char* modeTexts[3] = {"Array of scans [<9]", "Group of scans", "Vertical of scans"};
    auto* options = new QFormLayout;
    auto* modeBox = new QVBoxLayout;
    for (int m = 1; m <= 3; ++m) {
        modes_[m - 1] = new QRadioButton(modeTexts[m - 1]);
        modeGroup->addButton(modes_[m - 1], m);
        modeBox->addWidget(modes_[m - 1]);
    }
    modes_[core_.mode() - 1]->setChecked(true);
    connect(modeGroup, &QButtonGroup::idClicked, this, [this](int m) { core_.setMode(m); });
    skip_ = new QLineEdit(QString::fromStdString(core_.skipText()));
    options->addRow(modeBox);
    options->addRow("Frequency of Skip", skip_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &GroupDialogQt::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(options);
    layout->addWidget(buttons);
    refreshLists();
}

void GroupDialogQt::refreshLists()
{
    fill(left_, core_.available());
    fill(right_, core_.chosen());
    leftCount_->setText(QString::number(core_.availableCount()));
    rightCount_->setText(QString::number(core_.chosenCount()));
    add_->setEnabled(core_.canAdd());
    remove_->setEnabled(core_.canRemove());
}

void GroupDialogQt::moveRight()
{
    if (core_.add(selectedRows(left_)) > 0)
        refreshLists();
}

void GroupDialogQt::moveLeft()
{
    if (core_.remove(selectedRows(right_)) > 0)
        refreshLists();
}

void GroupDialogQt::accept()
{
    if (core_.accept(skip_->text().toStdString())) {
        QDialog::accept();
        return;
    }
    // Too many scans for the array view: the choice moves to the stacked view.
    modes_[core_.mode() - 1]->setChecked(true);
}

} // namespace qm
