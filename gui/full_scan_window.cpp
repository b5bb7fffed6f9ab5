#include "gui/full_scan_window.h"

#include "gui/qt_canvas.h"
#include "view/full_scan_view.h"

#include <QCloseEvent>
#include <QFrame>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

namespace {

// A size at which the curve can be read; the user may resize it.
constexpr int kClientWidth = 420, kClientHeight = 240, kMargin = 10;

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
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Box | QFrame::Plain);
    frame->setLineWidth(1);
    surface_ = new FullScanSurface(wb, frame);
    auto* inner = new QVBoxLayout(frame);
    inner->setContentsMargins(1, 1, 1, 1);
    inner->addWidget(surface_);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(kMargin - 1, kMargin - 1, kMargin - 1, kMargin - 1);
    outer->addWidget(frame);
    setMinimumSize(120, 100);
    resize(kClientWidth, kClientHeight);
}

void FullScanWindow::showEvent(QShowEvent* e)
{
    QWidget::showEvent(e);
    if (placed_ || !parentWidget())
        return;
    placed_ = true;
    // Beside the main window, on the side where the screen has room.
    const QRect main = parentWidget()->window()->frameGeometry();
    const QRect screen = parentWidget()->screen() ? parentWidget()->screen()->availableGeometry() : QRect();
    QPoint at(main.right() + 8, main.top());
    if (screen.isValid() && at.x() + width() > screen.right())
        at.setX(std::max(screen.left(), main.left() - width() - 8));
    move(at);
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
