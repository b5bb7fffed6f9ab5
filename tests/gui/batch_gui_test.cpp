// The batch pieces of the front end: the "List" dialog against the setting
// it edits, the Script menu built from the script folder, the Script
// Editor's buttons, and a packet run from the main window.
#include "app/program_folder.h"
#include "app/settings_store.h"
#include "batch/command_catalogue.h"
#include "batch/packet_run.h"
#include "batch/script_menu.h"
#include "gui/list_dialog.h"
#include "gui/main_menu.h"
#include "gui/script_editor.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace qm::test {

namespace {

QPushButton* buttonOf(QWidget* w, const QString& text)
{
    for (QPushButton* b : w->findChildren<QPushButton*>())
        if (b->text() == text)
            return b;
    return nullptr;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The command catalogue shipped beside the test programs, copied into a
// program folder of the test's own.
bool copyCatalogue(const QString& programDir)
{
    QString shipped = QString::fromStdString(programFolder()) + "/" + kCatalogueFile;
    if (!QFile::exists(shipped))
        shipped = qEnvironmentVariable("QUILLMAR_SOURCE", QDir::currentPath()) + "/data/" + kCatalogueFile;
    return QFile::copy(shipped, programDir + "/" + kCatalogueFile);
}

} // namespace

class BatchGuiTest : public QObject {
    Q_OBJECT

private slots:
    // Drives the dialog through the window's list-dialog hook so that the
    // command's own path writes (or does not write) the setting.
    void listDialogEditsThePopUpSetting()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        Workbench& wb = win.workbench();
        wb.settings.popUpMenu.clear();

        int shown = 0;
        QStringList offeredNames;
        win.ui().listDialogHook = [&](ListDialog& core) {
            ++shown;
            ListDialogQt d(core, &win);
            QCOMPARE(d.windowTitle(), QString("Select PopUpMenu Item"));
            QVERIFY(d.addButton()->isEnabled());
            QVERIFY(!d.removeButton()->isEnabled()); // nothing chosen yet
            QVERIFY(d.offeredList()->count() > 2);
            for (int i = 0; i < 3; ++i)
                offeredNames << d.offeredList()->item(i)->text();
            d.offeredList()->setCurrentRow(1);
            QTest::mouseClick(d.addButton(), Qt::LeftButton);
            QCOMPARE(d.chosenList()->count(), 1);
            QCOMPARE(d.chosenList()->item(0)->text(), offeredNames[1]);
            QVERIFY(d.removeButton()->isEnabled());
            // Nine more fill the list: "=>" goes grey, "<=" frees a place.
            for (int i = 0; i < 9; ++i) {
                d.offeredList()->setCurrentRow(i % 3);
                QTest::mouseClick(d.addButton(), Qt::LeftButton);
            }
            QCOMPARE(d.chosenList()->count(), kListCapacity);
            QVERIFY(!d.addButton()->isEnabled());
            d.chosenList()->setCurrentRow(0);
            QTest::mouseClick(d.removeButton(), Qt::LeftButton);
            QCOMPARE(d.chosenList()->count(), kListCapacity - 1);
            QVERIFY(d.addButton()->isEnabled());
            QCOMPARE(d.chosenList()->item(0)->text(), offeredNames[0]);
            QTest::mouseClick(buttonOf(&d, "OK"), Qt::LeftButton);
            QCOMPARE(d.result(), int(QDialog::Accepted));
        };
        win.run(183);
        QCOMPARE(shown, 1);
        QCOMPARE(wb.settings.popUpMenu.size(), std::size_t(kListCapacity - 1));
        QVERIFY(store.values.count("PopUpMenu"));
        const std::string written = store.values["PopUpMenu"];
        QVERIFY(!written.empty());

        // Cancel after changes writes nothing.
        win.ui().listDialogHook = [&](ListDialog& core) {
            ++shown;
            ListDialogQt d(core, &win);
            QCOMPARE(d.chosenList()->count(), kListCapacity - 1); // the stored list
            d.chosenList()->setCurrentRow(0);
            QTest::mouseClick(d.removeButton(), Qt::LeftButton);
            QTest::mouseClick(buttonOf(&d, "Cancel"), Qt::LeftButton);
            QCOMPARE(d.result(), int(QDialog::Rejected));
        };
        win.run(183);
        QCOMPARE(shown, 2);
        QCOMPARE(wb.settings.popUpMenu.size(), std::size_t(kListCapacity - 1));
        QCOMPARE(store.values["PopUpMenu"], written);

        // Reset closes the dialog and stores the empty list.
        win.ui().listDialogHook = [&](ListDialog& core) {
            ++shown;
            ListDialogQt d(core, &win);
            QTest::mouseClick(buttonOf(&d, "Reset"), Qt::LeftButton);
            QCOMPARE(d.result(), int(QDialog::Accepted));
        };
        win.run(183);
        QCOMPARE(shown, 3);
        QVERIFY(wb.settings.popUpMenu.empty());
        QVERIFY(store.values["PopUpMenu"] != written);
    }

    void scriptMenuFollowsTheScriptFolder()
    {
        QTemporaryDir dir;
        const QString scripts = dir.filePath("scripts");
        for (const char* name : {"a.spt", "b.spt", "notes.spt.txt", "sub/c.spt", "readme.txt"})
            writeFile(scripts + "/" + name, "[Commands]\r\n");
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        Workbench& wb = win.workbench();
        wb.settings.pathScript = scripts.toStdString();
        std::vector<int> ran;
        wb.scriptHook = [&](Workbench&, int id) { ran.push_back(id); };

        QMenu* menu = win.mainMenu().menu("Script");
        QVERIFY(menu);
        win.run(kReloadScriptsId);
        const QList<QAction*> actions = menu->actions();
        // "Reload" stays first; every name containing ".spt" is a script.
        QStringList texts;
        for (QAction* a : actions.mid(1))
            texts << a->text();
        QCOMPARE(texts, (QStringList{"a", "b", "notes.spt", "sub"}));
        QCOMPARE(actions[1]->data().toInt(), kFirstScriptId);
        QCOMPARE(actions[2]->data().toInt(), kFirstScriptId + 1);
        QCOMPARE(actions[3]->data().toInt(), kFirstScriptId + 2);
        QMenu* sub = actions[4]->menu();
        QVERIFY(sub);
        QCOMPARE(sub->title(), QString("sub"));
        QCOMPARE(sub->actions().size(), 1);
        QCOMPARE(sub->actions()[0]->text(), QString("c"));
        QCOMPARE(sub->actions()[0]->data().toInt(), kFirstScriptId + 3);

        sub->actions()[0]->trigger();
        actions[2]->trigger();
        QCOMPARE(ran, (std::vector<int>{kFirstScriptId + 3, kFirstScriptId + 1}));

        // A second reload replaces the items instead of adding to them.
        QFile::remove(scripts + "/b.spt");
        win.run(kReloadScriptsId);
        texts.clear();
        for (QAction* a : menu->actions().mid(1))
            texts << a->text();
        QCOMPARE(texts, (QStringList{"a", "notes.spt", "sub"}));
    }

    void scriptEditorPacketHeaderAndSaveAs()
    {
        QTemporaryDir dir;
        QVERIFY(copyCatalogue(dir.path()));
        const CommandCatalogue catalogue = CommandCatalogue::load(dir.filePath(kCatalogueFile).toStdString());
        ScriptEditor core(catalogue, dir.path().toStdString());
        QVERIFY(core.usable());
        QMainWindow owner;
        QtUi ui(&owner);
        const QString target = dir.filePath("new.pkf");
        int asked = 0;
        ui.fileHook = [&](const FileDialogSpec&, bool save) -> std::optional<std::string> {
            ++asked;
            if (!save)
                return std::nullopt;
            return target.toStdString();
        };
        ScriptEditorQt d(core, ui, &owner);
        QCOMPARE(d.windowTitle(), QString("Script Editor"));
        QCOMPARE(d.commandList()->count(), int(core.entries().size()));
        QCOMPARE(d.fileLabel()->text(), QString("None"));

        QTest::mouseClick(buttonOf(&d, "Pack Hdr"), Qt::LeftButton);
        QCOMPARE(d.textEdit()->toPlainText(), QString(kPacketSkeleton).remove('\r'));
        d.textEdit()->moveCursor(QTextCursor::End);
        d.textEdit()->insertPlainText("Nothing\n");

        QTest::mouseClick(buttonOf(&d, "Save As..."), Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(readFile(target), QByteArray(kPacketSkeleton) + "Nothing\r\n");
        QCOMPARE(d.fileLabel()->text(), target);

        // "Open" with the dialog cancelled keeps the text; "Clear" empties it.
        QTest::mouseClick(buttonOf(&d, "Open"), Qt::LeftButton);
        QCOMPARE(asked, 2);
        QVERIFY(d.textEdit()->toPlainText().endsWith("Nothing\n"));
        QTest::mouseClick(buttonOf(&d, "Clear"), Qt::LeftButton);
        QCOMPARE(d.textEdit()->toPlainText(), QString("[Commands]\n"));
        QCOMPARE(d.fileLabel()->text(), QString("None"));
    }

    void packetRunFromTheWindow()
    {
        QTemporaryDir dir;
        QVERIFY(copyCatalogue(dir.path()));
        const QString source = qEnvironmentVariable("QUILLMAR_SOURCE", QDir::currentPath());
        const QString inDir = source + "/examples/sun3-18";
        QVERIFY(QFile::exists(inDir + "/set.0hd"));
        const QString outDir = dir.filePath("out");
        QDir().mkpath(outDir);
        const QString packet = dir.filePath("run.pkf");
        writeFile(packet, ("[Init]\r\nAppHide=1\r\nAppExit=0\r\nOutFile=Log.txt\r\nOutDir=" + outDir +
                           "\r\nInDir=" + inDir + "\r\n\r\n[Files]\r\nset.0hd\r\n\r\n[Commands]\r\nNothing\r\n")
                              .toLocal8Bit());
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        win.show();
        Workbench& wb = win.workbench();
        int questions = 0;
        win.ui().messageHook = [&](const std::string&, const std::string&, MsgButtons, MsgIcon) {
            ++questions;
            return 1;
        };

        const PacketRun run = runPacketFile(wb, packet.toStdString());
        QCOMPARE(run.status, PacketStatus::Completed);
        QCOMPARE(run.loaded, 1);
        QCOMPARE(readFile(outDir + "/Log.txt"), QByteArray("set.0hd-OK:)\n"));
        QCOMPARE(questions, 0);
        QVERIFY(wb.interactiveMode);
        QVERIFY(!run.exitRequested);
        QVERIFY(win.isVisible()); // hidden for the run, shown again after it
        QCOMPARE(win.windowTitle(), QString("Quillmar"));
    }
};

static RegisterGuiTest registerBatchGuiTest([] { return new BatchGuiTest; });

} // namespace qm::test

#include "batch_gui_test.moc"
