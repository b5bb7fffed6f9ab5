#include "gui/text_dialog.h"

#include "app/report_window.h"

#include <QDialogButtonBox>
#include <QScreen>
#include <QFontDatabase>
#include <QFontInfo>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace qm {

TextDialog::TextDialog(const QString& title, const QString& text, QWidget* parent) : QDialog(parent)
{
    setWindowTitle(title);
    auto* layout = new QVBoxLayout(this);
    view_ = new QPlainTextEdit(text);
    view_->setReadOnly(true);
    view_->setFont(fixedPitchFont());
    view_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(view_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    // Wide and high enough for the whole text, within the screen.
    const ReportLayout fit = reportLayout(toCoreText(text));
    const QFontMetrics fm(view_->font());
    const int margins = 2 * int(view_->document()->documentMargin()) + 2 * view_->frameWidth() + 40;
    QSize size(std::max(460, fit.columns * fm.horizontalAdvance(' ') + margins),
               std::max(200, (fit.lines + 1) * fm.lineSpacing() + margins + buttons->sizeHint().height()));
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size);
}

QFont fixedPitchFont()
{
    QFont f = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    if (!QFontInfo(f).fixedPitch()) {
        f.setFamily("monospace");
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
    }
    return f;
}

QString fromCoreText(const std::string& text)
{
    QString s = QString::fromLocal8Bit(text.data(), static_cast<qsizetype>(text.size()));
    s.replace("\r\n", "\n");
    return s;
}

std::string toCoreText(const QString& text)
{
    QString s = text;
    s.replace("\n", "\r\n");
    return s.toLocal8Bit().toStdString();
}

} // namespace qm
