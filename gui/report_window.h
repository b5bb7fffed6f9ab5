#pragma once
// A report window: a top-level window titled with the report title, holding
// an editable text and an "Edit" menu (Undo, Clear, Copy, Paste, Save As...).
#include <QMainWindow>

#include <string>

class QPlainTextEdit;

namespace qm {

class UiPort;

class ReportWindow : public QMainWindow {
    Q_OBJECT
public:
    // `ui` shows the window's messages and the save dialog; `outputDir` is
    // where "Save As..." starts.
    ReportWindow(const std::string& title, const std::string& text, UiPort& ui, std::string outputDir,
                 QWidget* owner);
    QPlainTextEdit* editor() const { return edit_; }

    // The text as the core sees it (CR LF line ends).
    std::string text() const;
    void setText(const std::string& text);
    bool saveAs();
    // The user changed the text since it was shown or saved.
    bool edited() const { return edited_; }

private:
    void noteChange(int position, int removed, int added);
    void limitTyping();
    // Tab stops that line the columns up, and a size that shows the text
    // whole where the screen allows.
    void layOut(bool resizeToText);
    UiPort& ui_;
    std::string outputDir_;
    QPlainTextEdit* edit_;
    int limit_ = 0;           // characters the user may type up to
    bool settingText_ = false;
    bool edited_ = false;
    int lastInsertEnd_ = 0, lastInserted_ = 0; // the edit being checked
};

} // namespace qm
