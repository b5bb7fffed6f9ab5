#pragma once
// The "Full Scan" tool window: the active scan's worksheets over the whole
// scan with the part shown in the plot marked, drawn by the core on a
// QtCanvas from the workbench's current state.
#include <QWidget>

namespace qm {

class Workbench;

class FullScanWindow : public QWidget {
    Q_OBJECT
public:
    FullScanWindow(Workbench& wb, QWidget* owner);
    // Repaints from the workbench (every redraw of the plot calls it).
    void refresh();
    QWidget* surface() const { return surface_; }

signals:
    // The user closed the window: the main window runs command 169.
    void closeRequested();

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    QWidget* surface_;
    bool placed_ = false;
};

} // namespace qm
