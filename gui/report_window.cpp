#include "gui/report_window.h"

#include "app/report_window.h"
#include "app/ui_port.h"
#include "gui/text_dialog.h"

#include <QAction>
#include <QFontDatabase>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextOption>

#include <algorithm>

namespace qm {

ReportWindow::ReportWindow(const std::string& title, const std::string& text, UiPort& ui,
                           std::string outputDir, QWidget* owner)
    : QMainWindow(owner, Qt::Window), ui_(ui), outputDir_(std::move(outputDir))
{
    setObjectName(kReportWindowClass);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString::fromStdString(title));
    edit_ = new QPlainTextEdit;
    edit_->setFont(fixedPitchFont());
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit_->setTabStopDistance(edit_->fontMetrics().horizontalAdvance(' ') * 8);
    setCentralWidget(edit_);
    setFocusProxy(edit_);
    connect(edit_->document(), &QTextDocument::contentsChange, this, &ReportWindow::noteChange);
    connect(edit_, &QPlainTextEdit::textChanged, this, &ReportWindow::limitTyping);

    QMenu* menu = menuBar()->addMenu(kReportMenuTitle);
    for (const ReportMenuItem& item : kReportEditMenu) {
        QAction* a = menu->addAction(item.caption);
        a->setData(item.id);
        connect(a, &QAction::triggered, this, [this, id = item.id] {
            switch (id) {
            case kReportUndo: edit_->undo(); break;
            case kReportClear: edit_->textCursor().removeSelectedText(); break;
            case kReportCopy: edit_->copy(); break;
            case kReportPaste: edit_->paste(); break;
            case kReportSaveAs: saveAs(); break;
            default: break;
            }
            edit_->setFocus();
        });
    }
    setText(text);
    layOut(true);
}

void ReportWindow::layOut(bool resizeToText)
{
    const ReportLayout layout = reportLayout(text());
    const QFontMetricsF fm(edit_->font());
    const qreal cell = fm.horizontalAdvance(' ');
    QTextOption option = edit_->document()->defaultTextOption();
    QList<qreal> stops;
    for (int stop : layout.tabStops)
        stops << stop * cell;
    option.setTabArray(stops);
    edit_->document()->setDefaultTextOption(option);
    if (!resizeToText)
        return;
    const int margins = 2 * int(edit_->document()->documentMargin()) + 2 * edit_->frameWidth() + 4;
    const int width = int(layout.columns * cell) + margins + edit_->verticalScrollBar()->sizeHint().width();
    const int height = int(std::max(layout.lines, 1) * fm.lineSpacing()) + margins +
                       edit_->horizontalScrollBar()->sizeHint().height() + menuBar()->sizeHint().height();
    QSize size(std::max(width, kReportWindowWidth), std::max(height, kReportWindowHeight));
    if (const QScreen* s = screen())
        size = size.boundedTo(s->availableGeometry().size() * 9 / 10);
    resize(size);
}

std::string ReportWindow::text() const
{
    return toCoreText(edit_->toPlainText());
}

void ReportWindow::setText(const std::string& text)
{
    settingText_ = true;
    edit_->setPlainText(fromCoreText(text));
    settingText_ = false;
    // A report may be longer than what a user may type; typing never adds
    // to a text already past the limit.
    limit_ = std::max(kReportEditLimit, static_cast<int>(edit_->document()->characterCount()) - 1);
    layOut(false);
}

bool ReportWindow::saveAs()
{
    const bool saved = saveReportAs(ui_, outputDir_, text());
    if (saved)
        edited_ = false;
    return saved;
}

void ReportWindow::noteChange(int position, int removed, int added)
{
    (void)removed;
    lastInsertEnd_ = position + added;
    lastInserted_ = added;
}

void ReportWindow::limitTyping()
{
    if (settingText_)
        return;
    edited_ = true;
    const int length = edit_->document()->characterCount() - 1;
    if (length <= limit_) {
        limit_ = std::max(kReportEditLimit, length);
        return;
    }
    // Drop the part of the last insertion that does not fit.
    const int excess = std::min(lastInserted_, length - limit_);
    QTextCursor c(edit_->document());
    c.setPosition(lastInsertEnd_ - excess);
    c.setPosition(lastInsertEnd_, QTextCursor::KeepAnchor);
    settingText_ = true;
    c.removeSelectedText();
    settingText_ = false;
    ui_.messageBox(kMsgMemoryOverfull, "", MsgButtons::Ok, MsgIcon::Warning);
}

} // namespace qm
