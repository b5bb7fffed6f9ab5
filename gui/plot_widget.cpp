#include "gui/plot_widget.h"

#include "app/workbench.h"
#include "gui/full_scan_window.h"
#include "gui/qt_canvas.h"
#include "gui/scale_position_dialog.h"
#include "view/plot_painter.h"

#include <QMenu>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QWheelEvent>

namespace qm {

namespace {

// The widget is the area between the bars, so the painter leaves no room
// for them.
PlotLayout screenLayout()
{
    PlotLayout l;
    l.toolBarHeight = 0;
    l.statusBarHeight = 0;
    l.dataListWidth = 0;
    return l;
}

} // namespace

PlotWidget::PlotWidget(Workbench& wb, std::function<void(int)> dispatch, QWidget* parent)
    : QWidget(parent), wb_(wb), dispatch_(std::move(dispatch)), fullScan_(new FullScanWindow(wb, this))
{
    setObjectName("plot");
    setFocusPolicy(Qt::StrongFocus); // arrow keys reach the main window through it
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 100);
    connect(fullScan_, &FullScanWindow::closeRequested, this, [this] { dispatch_(169); });
}

PlotWidget::~PlotWidget()
{
    delete scale_.data();
    delete fullScan_;
}

QImage PlotWidget::render(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::white);
    {
        QPainter p(&img);
        QtCanvas canvas(p, size.width(), size.height());
        paintPlot(wb_, canvas, screenLayout());
    } // the canvas draws its last path and the painter ends here
    return img;
}

void PlotWidget::paintEvent(QPaintEvent*)
{
    if (!overlayOnly_ || picture_.size() != size()) {
        const bool rlBefore = wb_.rlIndicatorSet;
        picture_ = render(size());
        // The paint evaluates the R/L indicator; the tool bar shows what it
        // found once this paint is over.
        if (wb_.rlIndicatorSet != rlBefore)
            QMetaObject::invokeMethod(this, [this] { wb_.ui().stateChanged(); }, Qt::QueuedConnection);
        // The overview follows every redraw; showing or hiding a window
        // waits until this paint is over.
        if (fullScan_->isVisible() != (wb_.view.fullScanWindow && wb_.setLoaded))
            QMetaObject::invokeMethod(this, &PlotWidget::syncWindows, Qt::QueuedConnection);
        else if (fullScan_->isVisible())
            fullScan_->refresh();
    }
    overlayOnly_ = false;
    QPainter p(this);
    p.drawImage(0, 0, picture_);
    // The drag rectangle: a dotted frame that inverts what it covers.
    if (const auto r = mouse_.dragRect()) {
        p.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        QPen pen(Qt::white);
        pen.setStyle(Qt::DotLine);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(r->left, r->top, std::max(0, r->width() - 1), std::max(0, r->height() - 1)));
    }
}

void PlotWidget::syncWindows()
{
    const bool show = wb_.view.fullScanWindow && wb_.setLoaded;
    if (show != fullScan_->isVisible())
        fullScan_->setVisible(show);
    if (show)
        fullScan_->refresh();
}

ScalePositionDialog* PlotWidget::scalePositionDialog() const { return scale_; }

void PlotWidget::showScalePosition(bool on)
{
    if (!on) {
        if (scale_)
            scale_->deleteLater();
        scale_ = nullptr;
        return;
    }
    if (!scale_)
        scale_ = new ScalePositionDialog(wb_, window());
    scale_->show();
    scale_->showNormal();
    scale_->raise();
    scale_->activateWindow();
}

void PlotWidget::mousePressEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    if (e->button() == Qt::LeftButton)
        mouse_.leftDown(wb_, at.x(), at.y());
    else if (e->button() == Qt::RightButton)
        mouse_.rightDown(wb_, at.x(), at.y());
}

void PlotWidget::mouseMoveEvent(QMouseEvent* e)
{
    const QPoint at = e->position().toPoint();
    mouse_.move(wb_, at.x(), at.y(), e->buttons().testFlag(Qt::RightButton));
    if (mouse_.dragRect()) {
        overlayOnly_ = true;
        update();
    }
}

void PlotWidget::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() != Qt::RightButton)
        return;
    const QPoint at = e->position().toPoint();
    const bool dragging = mouse_.dragRect().has_value();
    const bool click = mouse_.rightUp(wb_, at.x(), at.y());
    if (dragging)
        update(); // erases the rectangle, and shows the new range if one was set
    if (click)
        showPopup(at);
}

void PlotWidget::wheelEvent(QWheelEvent* e)
{
    // Whole notches only; touchpads add up their small steps.
    wheelAngle_ += e->angleDelta().y();
    const int steps = wheelAngle_ / 120;
    wheelAngle_ -= steps * 120;
    if (steps != 0) {
        mouse_.wheel(wb_, int(e->position().x()), steps);
        wb_.ui().stateChanged();
    }
    e->accept();
}

void PlotWidget::mouseDoubleClickEvent(QMouseEvent* e)
{
    // The second press of a double click is not another click.
    if (e->button() != Qt::LeftButton)
        return;
    const QPoint at = e->position().toPoint();
    mouse_.leftDoubleClick(wb_, at.x(), at.y());
    wb_.ui().stateChanged();
}

void PlotWidget::showPopup(QPoint at)
{
    const std::vector<PopupMenuItem> items = popupMenuItems(wb_);
    if (items.empty())
        return;
    int chosen = 0;
    if (popupHook) {
        chosen = popupHook(items);
    } else {
        QMenu menu(this);
        for (const PopupMenuItem& item : items) {
            if (item.separator) {
                menu.addSeparator();
                continue;
            }
            QAction* a = menu.addAction(QString::fromStdString(item.text));
            a->setCheckable(true);
            a->setChecked(item.checked);
            a->setEnabled(item.enabled);
            a->setData(item.id);
        }
        if (QAction* a = menu.exec(mapToGlobal(at)))
            chosen = a->data().toInt();
    }
    if (chosen != 0)
        dispatch_(chosen);
}

} // namespace qm
