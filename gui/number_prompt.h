#pragma once
// The number entry dialog: a prompt, an edit field of at most 18 characters
// and a keypad, so numbers can be typed with the mouse alone.
#include <QDialog>

#include <optional>
#include <string>

class QLineEdit;
class QPushButton;

namespace qm {

class NumberPrompt : public QDialog {
    Q_OBJECT
public:
    static constexpr int kMaxChars = 18;

    explicit NumberPrompt(const QString& prompt, QWidget* parent = nullptr);
    QLineEdit* field() const { return field_; }
    // The keypad button showing `face` ("1".."9", "0", ".", "--", "E", "<-", "C").
    QPushButton* key(const QString& face) const;

    // Shows the dialog modally: the typed text on OK, nullopt on Cancel/Esc.
    static std::optional<std::string> ask(const std::string& prompt, QWidget* parent);

private:
    void append(const QString& s);
    QLineEdit* field_;
};

} // namespace qm
