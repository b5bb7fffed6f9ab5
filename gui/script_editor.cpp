#include "gui/script_editor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

namespace qm {

namespace {

// The core keeps CR LF line ends; the edit box shows plain line ends.
QString toEditText(const std::string& text) { return QString::fromStdString(text).remove('\r'); }
std::string fromEditText(const QString& text) { return QString(text).replace("\n", "\r\n").toStdString(); }

} // namespace

ScriptEditorQt::ScriptEditorQt(ScriptEditor& core, UiPort& ui, QWidget* parent)
    : QDialog(parent), core_(core), ui_(ui), commands_(new QListWidget), edit_(new QPlainTextEdit),
      file_(new QLabel), help_(new QLabel)
{
    setWindowTitle(kScriptEditorTitle);
    resize(kScriptEditorWidth * 3, kScriptEditorHeight * 3);
    for (const ScriptEditor::Entry& e : core_.entries())
        commands_->addItem(QString::fromStdString(e.name));
    edit_->setLineWrapMode(QPlainTextEdit::NoWrap);
    help_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const struct {
        const char* text;
        void (ScriptEditorQt::*action)();
    } buttons[] = {{"Open", &ScriptEditorQt::openFile},   {"Save", &ScriptEditorQt::saveFile},
                   {"Save As...", &ScriptEditorQt::saveFileAs}, {"Clear", &ScriptEditorQt::clearText},
                   {"Pack Hdr", &ScriptEditorQt::packetHeader}, {"Run", &ScriptEditorQt::runScript}};
    auto* row = new QHBoxLayout;
    for (const auto& b : buttons) {
        auto* button = new QPushButton(b.text);
        button->setObjectName(b.text);
        button->setEnabled(b.action != &ScriptEditorQt::runScript || core_.run);
        connect(button, &QPushButton::clicked, this, b.action);
        row->addWidget(button);
    }
    row->addStretch();
    auto* exit = new QPushButton("Exit");
    connect(exit, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(exit);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel("Commands"));
    left->addWidget(commands_);
    auto* right = new QVBoxLayout;
    right->addWidget(file_);
    right->addWidget(edit_);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 1);
    top->addLayout(right, 3);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(help_);
    layout->addWidget(new QLabel(kScriptHelpSyntax));
    layout->addWidget(new QLabel(kScriptHelpTemplates));
    layout->addLayout(row);

    connect(commands_, &QListWidget::currentRowChanged, this, [this](int row) {
        core_.select(row);
        help_->setText(QString::fromStdString(core_.helpText));
    });
    connect(commands_, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { insertCommand(commands_->row(item)); });
    showCore();
}

void ScriptEditorQt::takeText() { core_.text = fromEditText(edit_->toPlainText()); }

void ScriptEditorQt::insertCommand(int row)
{
    const std::string insertion = core_.insertion(row);
    if (insertion.empty())
        return;
    takeText();
    // The caret as a byte offset of the core text (each line end there is
    // two bytes: CR LF).
    const QString shown = edit_->toPlainText().left(edit_->textCursor().position());
    const std::size_t caret = fromEditText(shown).size();
    const std::size_t at = core_.insertionPoint(caret);
    core_.text.insert(at, insertion);
    const int newCaret = toEditText(core_.text.substr(0, at + insertion.size())).size();
    edit_->setPlainText(toEditText(core_.text));
    QTextCursor c = edit_->textCursor();
    c.setPosition(newCaret);
    edit_->setTextCursor(c);
    edit_->setFocus();
}

bool ScriptEditorQt::mayDropEdits()
{
    takeText();
    return !core_.unsaved() ||
           ui_.messageBox(kDropScriptEditsText, kScriptEditorTitle, MsgButtons::OkCancel, MsgIcon::Warning) != kCancel;
}

void ScriptEditorQt::runScript()
{
    takeText();
    if (core_.run)
        core_.run(core_.text);
}

void ScriptEditorQt::showCore()
{
    edit_->setPlainText(toEditText(core_.text));
    file_->setText(QString::fromStdString(core_.fileName));
    help_->setText(QString::fromStdString(core_.helpText));
}

void ScriptEditorQt::openFile()
{
    if (!mayDropEdits())
        return;
    const auto path = ui_.openFile(core_.openDialog());
    if (path && core_.open(*path))
        showCore();
}

void ScriptEditorQt::saveFile()
{
    takeText();
    core_.save();
}

void ScriptEditorQt::saveFileAs()
{
    takeText();
    const auto path = ui_.saveFile(core_.saveDialog());
    if (path && core_.saveAs(*path))
        file_->setText(QString::fromStdString(core_.fileName));
}

void ScriptEditorQt::clearText()
{
    if (!mayDropEdits())
        return;
    core_.clear();
    showCore();
}

void ScriptEditorQt::packetHeader()
{
    if (!mayDropEdits())
        return;
    core_.packetHeader();
    showCore();
}

} // namespace qm
