#pragma once
// "FITS loading options" (command 142) and "FITS view options" (command
// 196): the normalisation mode buttons, the levels and, when loading, the
// flags, the radius keyword, the angle-P sign and the quiet-Sun level. The
// core fills the fields and reads them back.
#include "fitsimage/fits_options.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QLineEdit;

namespace qm {

class FitsLoadingDialog : public QDialog {
    Q_OBJECT
public:
    explicit FitsLoadingDialog(const FitsLoadingFields& fields, QWidget* parent = nullptr);
    FitsLoadingFields fields() const;

private:
    FitsLoadingFields f_;
    QButtonGroup* modes_;
    QCheckBox *convolution_, *arcSeconds_, *inversion_, *apply_;
    QLineEdit *min_, *max_, *zero_, *keyword_, *newLevel_, *sign_, *quiet_;
};

class FitsViewDialog : public QDialog {
    Q_OBJECT
public:
    explicit FitsViewDialog(const FitsViewFields& fields, QWidget* parent = nullptr);
    FitsViewFields fields() const;

private:
    QButtonGroup* modes_;
    QLineEdit *min_, *max_, *zero_;
};

} // namespace qm
