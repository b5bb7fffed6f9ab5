#pragma once
// "FFT Beam convolution" (command 202): the nine number fields and the test
// option of the beam correction. The core fills the fields and stores them.
#include "beam/beam_config.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QLineEdit;

namespace qm {

class BeamDialog : public QDialog {
    Q_OBJECT
public:
    explicit BeamDialog(const BeamConfigFields& fields, QWidget* parent = nullptr);
    BeamConfigFields fields() const;
    // The field labelled `label` ("FFT noise level: "), or null.
    QLineEdit* field(const QString& label) const;

private:
    std::array<QLineEdit*, 9> edits_{}; // in the record's order
    QCheckBox* test_;
};

} // namespace qm
