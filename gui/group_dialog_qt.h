#pragma once
// "Video control panel": choose the scans of a group and its view. The lists,
// counts, button states and OK rule come from the core's GroupDialog.
#include "app/group_dialog.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace qm {

class GroupDialogQt : public QDialog {
    Q_OBJECT
public:
    explicit GroupDialogQt(const GroupDialogParams& params, QWidget* parent = nullptr);
    GroupDialogParams params() const { return core_.result(); }

    QListWidget* availableList() const { return left_; }
    QListWidget* chosenList() const { return right_; }
    QLabel* availableCount() const { return leftCount_; }
    QLabel* chosenCount() const { return rightCount_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }
    QRadioButton* modeButton(int mode) const { return modes_[mode - 1]; }
    QLineEdit* skipField() const { return skip_; }

public slots:
    void accept() override;

private:
    void moveRight();
    void moveLeft();
    void refreshLists(); // lists, counts and buttons from the core
    GroupDialog core_;
    QListWidget* left_;
    QListWidget* right_;
    QLabel* leftCount_;
    QLabel* rightCount_;
    QPushButton* add_;
    QPushButton* remove_;
    QRadioButton* modes_[3];
    QLineEdit* skip_;
};

} // namespace qm
