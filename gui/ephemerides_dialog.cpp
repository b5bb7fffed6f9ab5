#include "gui/ephemerides_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace qm {

namespace {

std::string EphemeridesParams::*const kFields[6] = {
    &EphemeridesParams::step,   &EphemeridesParams::azimuth, &EphemeridesParams::altitude,
    &EphemeridesParams::angleP, &EphemeridesParams::centre,  &EphemeridesParams::object};
const char* const kLabels[6] = {"Step between points: ", "Azimuth of observation: ", "Altitude of source: ",
                                "Angle P : ", "Solar center : ", "Object name : "};

} // namespace

EphemeridesDialog::EphemeridesDialog(const EphemeridesParams& p, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Ephemerides setting");
    auto* form = new QFormLayout(this);
    for (int i = 0; i < 6; ++i) {
        fields_[i] = new QLineEdit(QString::fromStdString(p.*kFields[i]), this);
        if (i == 5)
            fields_[i]->setMaxLength(static_cast<int>(kEphemeridesObjectChars));
        form->addRow(kLabels[i], fields_[i]);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

EphemeridesParams EphemeridesDialog::params() const
{
    EphemeridesParams p;
    for (int i = 0; i < 6; ++i)
        p.*kFields[i] = fields_[i]->text().toStdString();
    return p;
}

} // namespace qm
