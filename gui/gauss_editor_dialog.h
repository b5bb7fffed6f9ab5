#pragma once
// The modal "Interactive Gauss Analiz" dialog: radio groups, step count and
// buttons over a GaussEditor, which holds every rule and the displays.
#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;

namespace qm {

class GaussEditor;

class GaussEditorDialog : public QDialog {
    Q_OBJECT
public:
    GaussEditorDialog(GaussEditor& editor, QWidget* parent = nullptr);

private:
    void press(void (GaussEditor::*button)());
    void showValues();
    GaussEditor& editor_;
    QButtonGroup* parameter_;
    QButtonGroup* scale_;
    QSpinBox* count_;
    QCheckBox* clear_;
    QLineEdit* y_;
    QLabel *amplitude_, *theta_, *x_, *flux_;
};

} // namespace qm
