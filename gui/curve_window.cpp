#include "gui/curve_window.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace qm {

CurveWindow::CurveWindow(const QString& title, std::vector<double> values, QWidget* parent)
    : QWidget(parent, Qt::Window), values_(std::move(values))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title);
    resize(480, 320);
}

void CurveWindow::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    std::vector<double> v;
    for (double x : values_)
        if (std::isfinite(x))
            v.push_back(x);
    if (values_.size() < 2 || v.empty())
        return;
    const auto [lo, hi] = std::minmax_element(v.begin(), v.end());
    const double span = *hi > *lo ? *hi - *lo : 1;
    const QRectF frame = QRectF(rect()).adjusted(10, 10, -10, -10);
    p.setPen(Qt::gray);
    p.drawRect(frame);
    QPainterPath path;
    for (std::size_t j = 0; j < values_.size(); ++j) {
        const double y = std::isfinite(values_[j]) ? values_[j] : *lo;
        const QPointF pt(frame.left() + frame.width() * double(j) / double(values_.size() - 1),
                         frame.bottom() - frame.height() * (y - *lo) / span);
        j == 0 ? path.moveTo(pt) : path.lineTo(pt);
    }
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::blue, 1.5));
    p.drawPath(path);
}

} // namespace qm
