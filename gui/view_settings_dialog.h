#pragma once
// "Setting view of picture" (command 118): one check box per view option,
// the four arrays and the three titles. The core fills the fields and
// applies them on OK.
#include "view/view_settings.h"

#include <QDialog>

#include <vector>

class QCheckBox;
class QLineEdit;

namespace qm {

class ViewSettingsDialog : public QDialog {
    Q_OBJECT
public:
    explicit ViewSettingsDialog(const ViewSettingsFields& fields, QWidget* parent = nullptr);
    ViewSettingsFields fields() const;

    // The check box captioned `caption` ("Sun Disk"), or null.
    QCheckBox* box(const QString& caption) const;
    QLineEdit* mainTitle() const { return mainTitle_; }
    QLineEdit* rightTitle() const { return rightTitle_; }
    QLineEdit* leftTitle() const { return leftTitle_; }

private:
    struct Option {
        QCheckBox* box;
        bool ViewSettingsFields::*field;
    };
    std::vector<Option> options_;
    QLineEdit* mainTitle_;
    QLineEdit* rightTitle_;
    QLineEdit* leftTitle_;
};

} // namespace qm
