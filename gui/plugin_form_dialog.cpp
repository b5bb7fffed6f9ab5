#include "gui/plugin_form_dialog.h"

#include "plugins/plugin_api.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

PluginFormDialog::PluginFormDialog(const PluginForm& form, QWidget* parent) : QDialog(parent), form_(form)
{
    setWindowTitle(QString::fromStdString(form.title));
    auto* layout = new QVBoxLayout(this);
    auto* fields = new QFormLayout;
    for (const auto& [label, text] : form.fields) {
        auto* edit = new QLineEdit(QString::fromStdString(text));
        edit->setMaxLength(QM_FORM_TEXT_SIZE - 1); // the plug-in's field holds no more
        fields->addRow(QString::fromStdString(label), edit);
        edits_.push_back(edit);
    }
    layout->addLayout(fields);
    if (!edits_.empty())
        edits_.front()->selectAll(); // typing replaces the initial text, as Tab into a field does
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    if (!form.helpText.empty()) {
        QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
        help->setAutoDefault(false);
        connect(help, &QPushButton::clicked, this, [this] {
            QMessageBox::information(this, QString::fromStdString(form_.helpCaption),
                                     QString::fromStdString(form_.helpText));
        });
    }
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

PluginForm PluginFormDialog::result() const
{
    PluginForm f = form_;
    for (std::size_t k = 0; k < edits_.size(); ++k)
        f.fields[k].second = edits_[k]->text().toStdString();
    return f;
}

} // namespace qm
