#include "gui/plot_widget.h"

#include <QPaintEvent>
#include <QPainter>

namespace qm {

PlotWidget::PlotWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName("plot");
    setFocusPolicy(Qt::StrongFocus); // arrow keys reach the main window through it
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(100, 100);
}

void PlotWidget::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), Qt::white);
}

} // namespace qm
