#include "gui/surf3d_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

bool execSurf3dDialog(Surf3dOptions& o, QWidget* parent)
{
    QDialog d(parent);
    d.setWindowTitle("Surf3D Options");
    auto* layout = new QVBoxLayout(&d);
    auto* kinds = new QButtonGroup(&d);
    auto* kindBox = new QGroupBox;
    auto* kindRow = new QHBoxLayout(kindBox);
    int id = 0;
    for (const char* name : {"ASCII", "FITS", "BMP"}) {
        auto* b = new QRadioButton(name);
        kinds->addButton(b, id);
        b->setChecked(id++ == o.kind);
        kindRow->addWidget(b);
    }
    auto* scaleBox = new QGroupBox;
    auto* scaleRow = new QHBoxLayout(scaleBox);
    auto* frequency = new QRadioButton("Frequency");
    auto* wavelength = new QRadioButton("Wavelength");
    (o.frequency ? frequency : wavelength)->setChecked(true);
    scaleRow->addWidget(frequency);
    scaleRow->addWidget(wavelength);
    auto* header = new QCheckBox("Header");
    auto* marks = new QCheckBox("Scan position");
    header->setChecked(o.header);
    marks->setChecked(o.scanPosition);
    layout->addWidget(kindBox);
    layout->addWidget(scaleBox);
    layout->addWidget(header);
    layout->addWidget(marks);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &d, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &d, &QDialog::reject);
    layout->addWidget(buttons);
    if (d.exec() != QDialog::Accepted)
        return false;
    o = {kinds->checkedId(), frequency->isChecked(), header->isChecked(), marks->isChecked()};
    return true;
}

} // namespace qm
