#pragma once
// A titled curve (the beams and spectra of the FFT test option) in a window
// of its own that stays until closed.
#include <QWidget>

#include <vector>

namespace qm {

class CurveWindow : public QWidget {
    Q_OBJECT
public:
    CurveWindow(const QString& title, std::vector<double> values, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    std::vector<double> values_;
};

} // namespace qm
