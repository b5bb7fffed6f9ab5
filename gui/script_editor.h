#pragma once
// The "Script Editor" dialog (command 194): the catalogue's commands, a help
// line, the text of a script or packet file and the buttons that open,
// save, clear it or put in a packet skeleton. Its rules live in the core's
// ScriptEditor.
#include "batch/script_editor.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPlainTextEdit;

namespace qm {

class ScriptEditorQt : public QDialog {
    Q_OBJECT
public:
    ScriptEditorQt(ScriptEditor& core, UiPort& ui, QWidget* parent = nullptr);

    QListWidget* commandList() const { return commands_; }
    QPlainTextEdit* textEdit() const { return edit_; }
    QLabel* fileLabel() const { return file_; }
    QLabel* helpLabel() const { return help_; }

    // The buttons' actions (the file dialogs go through the UiPort).
    void openFile();
    void saveFile();
    void saveFileAs();
    void clearText();
    void packetHeader();
    void runScript(); // the edited text on the loaded set
    // Double click on command `row`: inserted inside the [Commands] section.
    void insertCommand(int row);

private:
    void takeText(); // the edit box into the core
    void showCore(); // the core's text, file name and help into the dialog
    bool mayDropEdits(); // asks before unsaved edits go
    ScriptEditor& core_;
    UiPort& ui_;
    QListWidget* commands_;
    QPlainTextEdit* edit_;
    QLabel* file_;
    QLabel* help_;
};

} // namespace qm
