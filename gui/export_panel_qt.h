#pragma once
// "Export page control panel": pen thickness, page size and file type; the
// core (view/page_export) checks and uses the fields.
#include "view/page_export.h"

#include <QDialog>

class QButtonGroup;
class QLineEdit;

namespace qm {

class ExportPanel : public QDialog {
    Q_OBJECT
public:
    explicit ExportPanel(const ExportPanelFields& f, QWidget* parent = nullptr);
    ExportPanelFields fields() const;

private:
    QLineEdit* thickness_;
    QLineEdit* width_;
    QLineEdit* height_;
    QButtonGroup* types_;
};

} // namespace qm
