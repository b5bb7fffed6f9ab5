#include "gui/number_prompt.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qm {

NumberPrompt::NumberPrompt(const QString& prompt, QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Input");
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt);
    label->setWordWrap(true);
    layout->addWidget(label);
    field_ = new QLineEdit;
    field_->setMaxLength(kMaxChars);
    layout->addWidget(field_);

    // Faces in keypad order with the text each one appends; "<-" and "C" edit.
    struct Key {
        const char* face;
        const char* text;
    };
    static constexpr Key kKeys[] = {{"7", "7"}, {"8", "8"}, {"9", "9"}, {"<-", nullptr},
                                    {"4", "4"}, {"5", "5"}, {"6", "6"}, {"C", nullptr},
                                    {"1", "1"}, {"2", "2"}, {"3", "3"}, {"E", "E"},
                                    {"0", "0"}, {".", "."}, {"--", "-"}};
    auto* pad = new QGridLayout;
    int n = 0;
    for (const Key& k : kKeys) {
        auto* b = new QPushButton(k.face);
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setObjectName(QString("key ") + k.face);
        pad->addWidget(b, n / 4, n % 4);
        ++n;
        if (k.text) {
            const QString text = k.text;
            connect(b, &QPushButton::clicked, this, [this, text] { append(text); });
        } else if (QString(k.face) == "C") {
            connect(b, &QPushButton::clicked, field_, &QLineEdit::clear);
        } else {
            connect(b, &QPushButton::clicked, this, [this] { field_->setText(field_->text().chopped(1)); });
        }
    }
    layout->addLayout(pad);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    field_->setFocus();
}

QPushButton* NumberPrompt::key(const QString& face) const
{
    return findChild<QPushButton*>("key " + face);
}

void NumberPrompt::append(const QString& s)
{
    field_->end(false);
    field_->insert(s); // respects the length limit
}

std::optional<std::string> NumberPrompt::ask(const std::string& prompt, QWidget* parent)
{
    NumberPrompt d(QString::fromStdString(prompt), parent);
    if (d.exec() != QDialog::Accepted)
        return std::nullopt;
    return d.field()->text().left(kMaxChars).toStdString();
}

} // namespace qm
