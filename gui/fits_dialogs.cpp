#include "gui/fits_dialogs.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// The ten mode buttons in a box, the one of `mode` checked.
QButtonGroup* addModeButtons(QDialog* d, QBoxLayout* into, int mode)
{
    auto* box = new QGroupBox(d);
    auto* column = new QVBoxLayout(box);
    auto* group = new QButtonGroup(d);
    for (int m = 0; m < kFitsModeCount; ++m) {
        auto* b = new QRadioButton(kFitsModeNames[m], box);
        b->setChecked(m == mode);
        group->addButton(b, m);
        column->addWidget(b);
    }
    into->addWidget(box);
    return group;
}

QLineEdit* addEdit(QDialog* d, QFormLayout* form, const char* label, const std::string& text, int maxLength = 0)
{
    auto* e = new QLineEdit(QString::fromStdString(text), d);
    e->setObjectName(label);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    form->addRow(label, e);
    return e;
}

void addButtons(QDialog* d, QBoxLayout* into, QDialogButtonBox::StandardButton cancel)
{
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | cancel, d);
    QObject::connect(buttons, &QDialogButtonBox::accepted, d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, d, &QDialog::reject);
    into->addWidget(buttons);
}

std::string textOf(const QLineEdit* e) { return e->text().toStdString(); }

} // namespace

FitsLoadingDialog::FitsLoadingDialog(const FitsLoadingFields& f, QWidget* parent) : QDialog(parent), f_(f)
{
    setWindowTitle("FITS loading options");
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    modes_ = addModeButtons(this, row, f.mode);
    auto* right = new QVBoxLayout;
    row->addLayout(right);
    auto* form = new QFormLayout;
    right->addLayout(form);
    min_ = addEdit(this, form, "Min level", f.minLevel);
    max_ = addEdit(this, form, "Max level", f.maxLevel);
    zero_ = addEdit(this, form, "Zero level", f.zeroLevel);
    newLevel_ = addEdit(this, form, "New level", f.newLevel, static_cast<int>(kNewLevelChars));
    keyword_ = addEdit(this, form, "Radius keyword", f.radiusKeyword, static_cast<int>(kRadiusKeywordChars));
    sign_ = addEdit(this, form, "Angle P sign [-1;0;1]", f.angleSign);
    quiet_ = addEdit(this, form, "Quiet Sun level", f.quietSun);
    auto check = [&](const char* label, bool on) {
        auto* c = new QCheckBox(label, this);
        c->setChecked(on);
        right->addWidget(c);
        return c;
    };
    arcSeconds_ = check("arc.sec.", f.arcSeconds);
    inversion_ = check("invertion", f.inversion);
    convolution_ = check("ORVAN beam convolution", f.beamConvolution);
    apply_ = check("apply to data", f.applyToData);
    addButtons(this, top, QDialogButtonBox::Close);
}

FitsLoadingFields FitsLoadingDialog::fields() const
{
    FitsLoadingFields f = f_;
    f.mode = modes_->checkedId() < 0 ? kFitsNone : modes_->checkedId();
    f.beamConvolution = convolution_->isChecked();
    f.arcSeconds = arcSeconds_->isChecked();
    f.inversion = inversion_->isChecked();
    f.applyToData = apply_->isChecked();
    f.minLevel = textOf(min_);
    f.maxLevel = textOf(max_);
    f.zeroLevel = textOf(zero_);
    f.radiusKeyword = textOf(keyword_);
    f.newLevel = textOf(newLevel_);
    f.angleSign = textOf(sign_);
    f.quietSun = textOf(quiet_);
    return f;
}

FitsViewDialog::FitsViewDialog(const FitsViewFields& f, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("FITS view options");
    auto* top = new QVBoxLayout(this);
    auto* row = new QHBoxLayout;
    top->addLayout(row);
    modes_ = addModeButtons(this, row, f.mode);
    auto* form = new QFormLayout;
    row->addLayout(form);
    min_ = addEdit(this, form, "Min level", f.minLevel);
    max_ = addEdit(this, form, "Max level", f.maxLevel);
    zero_ = addEdit(this, form, "Zero level", f.zeroLevel);
    addButtons(this, top, QDialogButtonBox::Cancel);
}

FitsViewFields FitsViewDialog::fields() const
{
    return {modes_->checkedId() < 0 ? kFitsNone : modes_->checkedId(), textOf(min_), textOf(max_), textOf(zero_)};
}

} // namespace qm
