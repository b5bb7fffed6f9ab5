#pragma once
// Dialog 7 of Gauss Flux: the number of Gaussians, the number of initial
// ones picked on the plot, and the spline background.
#include "analysis/gauss_analysis.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;

namespace qm {

class GaussDialog : public QDialog {
    Q_OBJECT
public:
    explicit GaussDialog(QWidget* parent = nullptr);
    GaussDialogFields fields() const;
    QLineEdit* componentsEdit() const { return components_; }
    QLineEdit* initialEdit() const { return initial_; }

private:
    QLineEdit* components_;
    QLineEdit* initial_;
    QCheckBox* spline_;
};

} // namespace qm
