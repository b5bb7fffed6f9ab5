#pragma once
// The plot area in the middle of the main window. It paints a white page;
// the plot painter attaches here through a Canvas drawn in paintEvent, and
// the plot's mouse interaction will be forwarded from this widget's events.
#include <QWidget>

namespace qm {

class PlotWidget : public QWidget {
    Q_OBJECT
public:
    explicit PlotWidget(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* e) override;
};

} // namespace qm
