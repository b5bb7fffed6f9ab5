#pragma once
// The modeless "Koeff of spline" dialog of the cubic spline: the exponent k
// (0 ... 14) of the smoothing coefficient p = 2^k, the check box "Normal
// boundary conditions" and the buttons OK, Cancel and Preview. The buttons
// go through the core (pressSplineButton), which posts command 140; Esc and
// the close box act as Cancel so the knot choice can always be left.
#include "proc/cube_spline.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QSpinBox;

namespace qm {

class SplineDialog : public QDialog {
    Q_OBJECT
public:
    explicit SplineDialog(SplineDialogState& state, QWidget* parent = nullptr);

    QSpinBox* exponent() const { return exponent_; }
    QCheckBox* boundary() const { return boundary_; }
    QLabel* coefficientLabel() const { return coefficient_; }
    QPushButton* button(SplineButton b) const;

public slots:
    void reject() override;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void press(SplineButton b);
    void showCoefficient();

    SplineDialogState& state_;
    QSpinBox* exponent_;
    QCheckBox* boundary_;
    QLabel* coefficient_;
    QPushButton* ok_;
    QPushButton* cancel_;
    QPushButton* preview_;
};

} // namespace qm
