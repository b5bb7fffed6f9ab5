#pragma once
// A plug-in's parameter form: one labelled line per field, OK, Cancel and,
// when the plug-in gives a help text, "Help" showing it in a message box.
#include "plugins/plugin_form.h"

#include <QDialog>

#include <vector>

class QLineEdit;

namespace qm {

class PluginFormDialog : public QDialog {
    Q_OBJECT
public:
    PluginFormDialog(const PluginForm& form, QWidget* parent);
    // The form with the texts as typed.
    PluginForm result() const;

private:
    PluginForm form_;
    std::vector<QLineEdit*> edits_;
};

} // namespace qm
