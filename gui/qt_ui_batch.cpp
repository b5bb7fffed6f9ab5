// QtUi: the parts that serve batch packets, the command lists and scripts.
#include "gui/batch_tip.h"
#include "gui/list_dialog.h"
#include "gui/qt_ui.h"
#include "gui/script_editor.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QTimer>

namespace qm {

void QtUi::batchTip(const std::string& tip)
{
    if (!batchTip_)
        batchTip_ = new BatchTip(owner_);
    batchTip_->show(tip);
}

void QtUi::batchTipEnd()
{
    if (batchTip_)
        batchTip_->end();
}

BatchTip* QtUi::batchTipShown() const { return batchTip_; }

void QtUi::showMainWindow(bool shown) { owner_->setVisible(shown); }

void QtUi::setAutosavePeriod(int ms)
{
    if (onAutosavePeriod)
        onAutosavePeriod(ms);
}

void QtUi::exitProgram()
{
    // Closed once the packet's command has returned to the event loop.
    QTimer::singleShot(0, owner_, [owner = owner_] {
        if (owner->close()) // a hidden window's close alone would not end the program
            QCoreApplication::quit();
    });
}

void QtUi::listDialog(ListDialog& dialog)
{
    if (listDialogHook) {
        listDialogHook(dialog);
        return;
    }
    const Asking asking(*this);
    ListDialogQt d(dialog, owner_);
    d.exec();
}

void QtUi::scriptEditor(ScriptEditor& editor)
{
    if (scriptEditorHook) {
        scriptEditorHook(editor);
        return;
    }
    const Asking asking(*this);
    ScriptEditorQt d(editor, *this, owner_);
    d.exec();
}

void QtUi::scriptMenuChanged()
{
    if (onScriptMenuChanged)
        onScriptMenuChanged();
}

} // namespace qm
