#include "gui/beam_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qm {

namespace {

// Labels in the order of the dialog; each names its field in the record.
struct FieldSpec {
    const char* label;
    std::size_t index;
};
const FieldSpec kFields[] = {
    {"Scan width(Solar radii) :", 4},
    {"R polarization shift,mm :", 3},
    {"L polarization shift,mm :", 2},
    {"Y shift from focus,mm :", 5},
    {"angular apeture of working sector :", 0},
    {"hour changes of alpha: ", 1},
    {"FFT noise level: ", 6},
    {"number of vertical integration points: ", 7},
    {"vertical size of antenna element,mm: ", 8},
};

} // namespace

BeamDialog::BeamDialog(const BeamConfigFields& f, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("FFT Beam convolution");
    auto* top = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    for (const FieldSpec& s : kFields) {
        auto* e = new QLineEdit(QString::fromStdString(f.values[s.index]), this);
        e->setObjectName(s.label);
        form->addRow(s.label, e);
        edits_[s.index] = e;
    }
    top->addLayout(form);
    test_ = new QCheckBox("FFT Test option", this);
    test_->setChecked(f.testOption);
    top->addWidget(test_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    top->addWidget(buttons);
}

BeamConfigFields BeamDialog::fields() const
{
    BeamConfigFields f;
    for (std::size_t i = 0; i < edits_.size(); ++i)
        f.values[i] = edits_[i]->text().toStdString();
    f.testOption = test_->isChecked();
    return f;
}

QLineEdit* BeamDialog::field(const QString& label) const { return findChild<QLineEdit*>(label); }

} // namespace qm
