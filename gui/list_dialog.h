#pragma once
// The dialog "List" that edits the quick command list and the pop-up list.
// Its lists and button states come from the core's ListDialog.
#include "batch/list_dialog.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace qm {

class ListDialogQt : public QDialog {
    Q_OBJECT
public:
    ListDialogQt(ListDialog& core, QWidget* parent = nullptr);

    QListWidget* offeredList() const { return offered_; }
    QListWidget* chosenList() const { return chosen_; }
    QPushButton* addButton() const { return add_; }
    QPushButton* removeButton() const { return remove_; }

public slots:
    void accept() override;
    void reject() override;

private:
    void refresh();
    ListDialog& core_;
    QListWidget* offered_;
    QListWidget* chosen_;
    QPushButton* add_;
    QPushButton* remove_;
};

} // namespace qm
