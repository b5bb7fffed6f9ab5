#include "gui/spline_dialog.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace qm {

SplineDialog::SplineDialog(SplineDialogState& state, QWidget* parent) : QDialog(parent), state_(state)
{
    setObjectName("KoeffOfSpline");
    setWindowTitle("Koeff of spline");
    setModal(false);
    auto* layout = new QVBoxLayout(this);

    auto* row = new QHBoxLayout;
    row->addWidget(new QLabel("k:"));
    exponent_ = new QSpinBox;
    exponent_->setRange(0, kSplineMaxExponent);
    exponent_->setValue(state_.k);
    row->addWidget(exponent_);
    coefficient_ = new QLabel;
    coefficient_->setMinimumWidth(90);
    row->addWidget(coefficient_, 1);
    layout->addLayout(row);

    boundary_ = new QCheckBox("Normal boundary conditions");
    boundary_->setChecked(state_.natural);
    layout->addWidget(boundary_);

    auto* buttons = new QHBoxLayout;
    ok_ = new QPushButton("OK");
    cancel_ = new QPushButton("Cancel");
    preview_ = new QPushButton("Preview");
    for (QPushButton* b : {ok_, cancel_, preview_}) {
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    layout->addLayout(buttons);

    connect(exponent_, &QSpinBox::valueChanged, this, [this](int k) {
        setSplineExponent(state_, k);
        showCoefficient();
    });
    connect(boundary_, &QCheckBox::toggled, this, [this](bool on) { state_.natural = on; });
    connect(ok_, &QPushButton::clicked, this, [this] { press(SplineButton::Ok); });
    connect(cancel_, &QPushButton::clicked, this, [this] { press(SplineButton::Cancel); });
    connect(preview_, &QPushButton::clicked, this, [this] { press(SplineButton::Preview); });
    showCoefficient();
}

QPushButton* SplineDialog::button(SplineButton b) const
{
    switch (b) {
    case SplineButton::Ok: return ok_;
    case SplineButton::Cancel: return cancel_;
    case SplineButton::Preview: return preview_;
    }
    return nullptr;
}

void SplineDialog::showCoefficient()
{
    coefficient_->setText(QString("p = %1").arg(static_cast<qlonglong>(state_.coefficient())));
}

void SplineDialog::press(SplineButton b)
{
    state_.k = exponent_->value();
    state_.natural = boundary_->isChecked();
    // The core may close (and schedule the deletion of) this dialog while
    // it handles command 140; nothing here is touched afterwards.
    pressSplineButton(state_, b);
}

void SplineDialog::reject() { press(SplineButton::Cancel); }

void SplineDialog::closeEvent(QCloseEvent* e)
{
    e->ignore();
    reject();
}

} // namespace qm
