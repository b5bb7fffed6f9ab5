#include "gui/full_scan_window.h"

#include "gui/qt_canvas.h"
#include "view/full_scan_view.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPainter>

namespace qm {

namespace {

constexpr int kClientWidth = 120, kClientHeight = 100, kMargin = 10;

// The drawing surface. It reads the workbench when it paints, so it never
// holds on to a scan that may have been deleted since.
class FullScanSurface : public QWidget {
public:
    FullScanSurface(Workbench& wb, QWidget* parent) : QWidget(parent), wb_(wb)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), Qt::white);
        QtCanvas canvas(p, width(), height());
        paintFullScan(canvas, fullScanState(wb_), width(), height());
    }

private:
    Workbench& wb_;
};

} // namespace

FullScanWindow::FullScanWindow(Workbench& wb, QWidget* owner)
    : QWidget(owner ? owner->window() : nullptr, Qt::Tool | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle("Full Scan");
    setObjectName("fullScan");
    setFixedSize(kClientWidth, kClientHeight);
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setGeometry(kMargin - 1, kMargin - 1, kClientWidth - 2 * kMargin + 2, kClientHeight - 2 * kMargin + 2);
    surface_ = new FullScanSurface(wb, this);
    surface_->setGeometry(kMargin, kMargin, kClientWidth - 2 * kMargin, kClientHeight - 2 * kMargin);
}

void FullScanWindow::refresh() { surface_->update(); }

void FullScanWindow::closeEvent(QCloseEvent* e)
{
    // The window goes when the core's flag goes, so that the menu's check
    // mark and a workspace saved later agree with the screen.
    e->ignore();
    emit closeRequested();
}

} // namespace qm
