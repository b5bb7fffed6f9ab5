#pragma once
// The modeless "Progress" dialog of long operations: a bar of 10 units per
// step and, when the operation can stop early, an "Abort" button.
#include <QDialog>

class QProgressBar;
class QPushButton;

namespace qm {

class ProgressDialog : public QDialog {
    Q_OBJECT
public:
    ProgressDialog(const QString& title, int steps, bool withAbort, QWidget* parent = nullptr);
    // Advances by one step and lets the interface breathe; true once "Abort"
    // was pressed.
    bool step();
    bool aborted() const { return aborted_; }
    QProgressBar* bar() const { return bar_; }
    QPushButton* abortButton() const { return abort_; }

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QProgressBar* bar_;
    QPushButton* abort_ = nullptr;
    bool aborted_ = false;
};

} // namespace qm
