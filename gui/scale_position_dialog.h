#pragma once
// The modeless "Scale & Position" dialog. The numbers live in its edits (as
// "%.2f", or as the user typed them); every conversion and the new shown
// range come from the core's ScalePosition.
#include "view/scale_position.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;
class QPushButton;

namespace qm {

class Workbench;

class ScalePositionDialog : public QDialog {
    Q_OBJECT
public:
    ScalePositionDialog(Workbench& wb, QWidget* parent);

    QLineEdit* beginEdit() const { return begin_; }
    QLineEdit* widthEdit() const { return width_; }
    QLineEdit* beginSetEdit() const { return beginSet_; }
    QLineEdit* endSetEdit() const { return endSet_; }
    QButtonGroup* referenceGroup() const { return reference_; }
    QButtonGroup* unitGroup() const { return unit_; }
    QPushButton* settingButton() const { return setting_; }
    QPushButton* closeButton() const { return close_; }

public slots:
    // Esc and the window's close button act as "Close".
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    // The dialog's numbers with the active scan's values.
    ScalePosition current() const;
    void showNumbers(const ScalePosition& sp);
    void unitChosen(int id);
    void referenceChosen(int id);
    void scroll(QLineEdit* edit, int direction);
    void apply();

    Workbench& wb_;
    ScaleReference ref_ = ScaleReference::Begin;
    ScaleUnit unitNow_ = ScaleUnit::Points;
    QButtonGroup* reference_;
    QButtonGroup* unit_;
    QLineEdit* begin_;
    QLineEdit* width_;
    QLineEdit* beginSet_;
    QLineEdit* endSet_;
    QPushButton* setting_;
    QPushButton* close_;
};

} // namespace qm
