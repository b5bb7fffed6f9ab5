#pragma once
// A modal dialog that shows a text read-only and closes on OK: the header
// view ("Header of data") and the About box.
#include <QDialog>
#include <QFont>

class QPlainTextEdit;

namespace qm {

class TextDialog : public QDialog {
    Q_OBJECT
public:
    TextDialog(const QString& title, const QString& text, QWidget* parent = nullptr);
    QPlainTextEdit* view() const { return view_; }

private:
    QPlainTextEdit* view_;
};

// Texts of the core end their lines with CR LF; Qt widgets want LF alone.
QString fromCoreText(const std::string& text);
// The system's fixed-pitch font, or a monospace family where the platform
// names a proportional one (tables must line up).
QFont fixedPitchFont();
std::string toCoreText(const QString& text);

} // namespace qm
