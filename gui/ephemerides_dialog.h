#pragma once
// "Ephemerides setting": six fields filled from the active scan; the core
// (proc/ephemerides) reads them and applies them to the targets.
#include "proc/ephemerides.h"

#include <QDialog>

class QLineEdit;

namespace qm {

class EphemeridesDialog : public QDialog {
    Q_OBJECT
public:
    explicit EphemeridesDialog(const EphemeridesParams& p, QWidget* parent = nullptr);
    EphemeridesParams params() const;

private:
    QLineEdit* fields_[6];
};

} // namespace qm
