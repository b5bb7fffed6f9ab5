#include "gui/export_panel_qt.h"

#include "app/page_types.h"
#include "app/text_format.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

namespace qm {

namespace {

// A field read as an integer; what is not one counts as 0 (refused later
// for the page size).
int number(const QLineEdit* e)
{
    int v = 0;
    return scanInt(e->text().toStdString(), v) ? v : 0;
}

} // namespace

ExportPanel::ExportPanel(const ExportPanelFields& f, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Export page control panel");
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    thickness_ = new QLineEdit(QString::number(f.thickness), this);
    width_ = new QLineEdit(QString::number(f.width), this);
    height_ = new QLineEdit(QString::number(f.height), this);
    form->addRow("Thick Pen", thickness_);
    form->addRow("Width [pixel]", width_);
    form->addRow("Height [pixel]", height_);
    layout->addLayout(form);
    auto* box = new QGroupBox(this);
    auto* boxLayout = new QVBoxLayout(box);
    types_ = new QButtonGroup(this);
    for (const PageType& t : kPageTypes) {
        // "&" marks a shortcut in a Qt label; "&&" shows the character.
        auto* b = new QRadioButton(QString::fromUtf8(t.label).replace("&", "&&"), box);
        b->setChecked(t.number == f.type);
        types_->addButton(b, t.number);
        boxLayout->addWidget(b);
    }
    layout->addWidget(box);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    setMinimumWidth(300); // the whole title in the frame
}

ExportPanelFields ExportPanel::fields() const
{
    return {number(thickness_), number(width_), number(height_), types_->checkedId()};
}

} // namespace qm
