#pragma once
// The plot area in the middle of the main window. It paints the plot through
// the core painter on a QtCanvas, forwards the mouse to the core's plot
// mouse logic, draws the drag rectangle and the pop-up menu, and keeps the
// windows that follow the plot ("Full Scan", "Scale & Position") in step
// with the workbench.
#include "batch/popup_menu.h"
#include "view/plot_mouse.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <vector>

namespace qm {

class FullScanWindow;
class ScalePositionDialog;
class Workbench;

class PlotWidget : public QWidget {
    Q_OBJECT
public:
    PlotWidget(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent = nullptr);
    ~PlotWidget() override;

    // The plot painted on a white image of the given size, as the widget
    // shows it (also used for offscreen pictures).
    QImage render(QSize size);
    // Shows or hides the "Full Scan" window by the core's flag and brings it
    // up to date.
    void syncWindows();
    // Opens or closes the "Scale & Position" dialog.
    void showScalePosition(bool on);

    FullScanWindow* fullScanWindow() const { return fullScan_; }
    ScalePositionDialog* scalePositionDialog() const;
    // When set, answers the pop-up menu instead of showing it: the chosen
    // command id, or 0 for none.
    std::function<int(const std::vector<PopupMenuItem>&)> popupHook;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void showPopup(QPoint at);
    Workbench& wb_;
    std::function<void(int)> dispatch_;
    PlotMouse mouse_;
    int wheelAngle_ = 0; // eighths of a degree not yet turned into notches
    QImage picture_;          // the plot as last painted
    bool overlayOnly_ = false; // the next paint only moves the drag rectangle
    FullScanWindow* fullScan_;
    QPointer<ScalePositionDialog> scale_;
};

} // namespace qm
