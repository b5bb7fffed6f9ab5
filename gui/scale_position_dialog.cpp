#include "gui/scale_position_dialog.h"

#include "app/text_format.h"
#include "app/workbench.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace qm {

namespace {

QString number(double v) { return QString::fromStdString(format("%.2f", v)); }

double parsed(const QLineEdit* e)
{
    double v = 0;
    return scanDouble(e->text().toStdString(), v) ? v : 0.0;
}

// A radio button group laid out in a box.
QButtonGroup* radioBox(QWidget* owner, QBoxLayout* into, const char* title,
                       std::initializer_list<const char*> captions)
{
    auto* box = new QGroupBox(title, owner);
    auto* layout = new QVBoxLayout(box);
    auto* group = new QButtonGroup(owner);
    int id = 0;
    for (const char* c : captions) {
        auto* b = new QRadioButton(c, box);
        layout->addWidget(b);
        group->addButton(b, id++);
    }
    group->button(0)->setChecked(true);
    into->addWidget(box);
    return group;
}

} // namespace

ScalePositionDialog::ScalePositionDialog(Workbench& wb, QWidget* parent) : QDialog(parent), wb_(wb)
{
    setWindowTitle("Scale & Position");
    setModal(false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto* top = new QVBoxLayout(this);
    auto* radios = new QHBoxLayout;
    reference_ = radioBox(this, radios, "Reference", {"Begin", "Center", "END"});
    unit_ = radioBox(this, radios, "Units", {"Points", "Arc. sec.", "Radius of Sun"});
    top->addLayout(radios);

    auto* grid = new QGridLayout;
    auto addEdit = [&](int row, const char* caption, bool scrolled) {
        grid->addWidget(new QLabel(caption, this), row, 0);
        auto* e = new QLineEdit(this);
        grid->addWidget(e, row, 1);
        if (scrolled) {
            auto* up = new QToolButton(this);
            up->setArrowType(Qt::UpArrow);
            auto* down = new QToolButton(this);
            down->setArrowType(Qt::DownArrow);
            grid->addWidget(up, row, 2);
            grid->addWidget(down, row, 3);
            connect(up, &QToolButton::clicked, this, [this, e] { scroll(e, 1); });
            connect(down, &QToolButton::clicked, this, [this, e] { scroll(e, -1); });
        } else {
            e->setReadOnly(true);
        }
        return e;
    };
    begin_ = addEdit(0, "Begin point:", true);
    width_ = addEdit(1, "Width window:", true);
    beginSet_ = addEdit(2, "Begin set", false);
    endSet_ = addEdit(3, "End set", false);
    top->addLayout(grid);

    auto* buttons = new QHBoxLayout;
    setting_ = new QPushButton("Setting", this);
    close_ = new QPushButton("Close", this);
    setting_->setDefault(true);
    buttons->addWidget(setting_);
    buttons->addWidget(close_);
    top->addLayout(buttons);

    connect(reference_, &QButtonGroup::idClicked, this, &ScalePositionDialog::referenceChosen);
    connect(unit_, &QButtonGroup::idClicked, this, &ScalePositionDialog::unitChosen);
    connect(setting_, &QPushButton::clicked, this, &ScalePositionDialog::apply);
    connect(close_, &QPushButton::clicked, this, [this] { closeScalePosition(wb_); });

    showNumbers(ScalePosition::open(wb_));
}

ScalePosition ScalePositionDialog::current() const
{
    ScalePosition sp = ScalePosition::open(wb_);
    sp.reference = ref_;
    sp.unit = unitNow_;
    sp.begin = parsed(begin_);
    sp.width = parsed(width_);
    return sp;
}

void ScalePositionDialog::showNumbers(const ScalePosition& sp)
{
    begin_->setText(number(sp.begin));
    width_->setText(number(sp.width));
    const auto [from, to] = sp.wholeScan();
    beginSet_->setText(number(from));
    endSet_->setText(number(to));
}

void ScalePositionDialog::unitChosen(int id)
{
    ScalePosition sp = current();
    // Without a set, or for a unit this scan gives no size, nothing changes.
    if (!wb_.setLoaded || !sp.setUnit(static_cast<ScaleUnit>(id))) {
        unit_->button(static_cast<int>(unitNow_))->setChecked(true);
        return;
    }
    unitNow_ = sp.unit;
    showNumbers(sp);
}

void ScalePositionDialog::referenceChosen(int id)
{
    if (!wb_.setLoaded) {
        reference_->button(static_cast<int>(ref_))->setChecked(true);
        return;
    }
    ScalePosition sp = current();
    sp.setReference(static_cast<ScaleReference>(id));
    ref_ = sp.reference;
    showNumbers(sp);
}

void ScalePositionDialog::scroll(QLineEdit* edit, int direction)
{
    if (!wb_.setLoaded)
        return;
    edit->setText(number(parsed(edit) + direction * current().increment()));
}

void ScalePositionDialog::apply()
{
    applyScalePosition(wb_, current());
}

void ScalePositionDialog::reject()
{
    closeScalePosition(wb_);
}

void ScalePositionDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    closeScalePosition(wb_);
}

} // namespace qm
