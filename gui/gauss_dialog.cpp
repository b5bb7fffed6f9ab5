#include "gui/gauss_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace qm {

GaussDialog::GaussDialog(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(" "); // the dialog has no caption
    auto* form = new QFormLayout(this);
    components_ = new QLineEdit;
    initial_ = new QLineEdit;
    spline_ = new QCheckBox("spline background");
    form->addRow("Input number of gauss :", components_);
    form->addRow("Number of initial gauss :", initial_);
    form->addRow(spline_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    form->addRow(buttons);
}

GaussDialogFields GaussDialog::fields() const
{
    return {components_->text().toStdString(), initial_->text().toStdString(), spline_->isChecked()};
}

} // namespace qm
