#include "gui/spectral_line_dialog.h"

#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace qm {

bool execSpectralLineDialog(SpectralLineFields& f, QWidget* parent)
{
    QDialog d(parent);
    d.setWindowTitle("Spectral Line");
    auto* form = new QFormLayout(&d);
    auto* scale = new QLineEdit(QString::fromStdString(f.scale));
    auto* ta = new QCheckBox("Line in Ta or Intensity");
    auto* baseline = new QCheckBox("Min Scale/Quite Ta");
    ta->setChecked(f.ta);
    baseline->setChecked(f.minBaseline);
    form->addRow("Input Line scale:", scale);
    form->addRow(ta);
    form->addRow(baseline);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    form->addRow(buttons);
    if (d.exec() != QDialog::Accepted)
        return false;
    f = {scale->text().toStdString(), ta->isChecked(), baseline->isChecked()};
    return true;
}

} // namespace qm
