// The batch pieces of the front end: the "List" dialog against the setting
// it edits and packet runs from the main window.
#include "app/program_folder.h"
#include "app/settings_store.h"
#include "batch/command_catalogue.h"
#include "gui/list_dialog.h"
#include "gui/report_window.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QProcess>
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
    // command's own path writes the setting.
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
        QVERIFY(!store.values["PopUpMenu"].empty());
    }

    // From the menu a packet never throws work away: the close question
    // first (Cancel runs nothing), and afterwards the program stays open
    // whatever AppExit says, shown again after AppHide, and shows the log.
    // An unreadable packet: a message, the set untouched.
    void menuPacketAsksFirstAndStaysOpen()
    {
        QTemporaryDir dir;
        QVERIFY(copyCatalogue(dir.path()));
        const QString source = qEnvironmentVariable("QUILLMAR_SOURCE", QDir::currentPath());
        const QString outDir = dir.filePath("out");
        const QString packet = dir.filePath("run.pkf");
        writeFile(packet, ("[Init]\nAppHide=1\nOutFile=Log.txt\nOutDir=" + outDir + "\nInDir=" + source +
                           "/examples/sun3-18\n\n[Files]\nset.0hd\n\n[Commands]\nNothing\n")
                              .toLocal8Bit());
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        win.show();
        Workbench& wb = win.workbench();
        QVERIFY(win.loadFile(source + "/examples/sun3-18/set.0hd"));
        const int loaded = wb.scans.count();
        wb.scans.head()->wrkI()[4] += 1; // unsaved work
        std::vector<std::string> asked;
        int answer = kCancel;
        win.ui().messageHook = [&](const std::string& text, const std::string&, MsgButtons, MsgIcon) {
            asked.push_back(text);
            return answer;
        };
        QString chosen = dir.filePath("missing.pkf");
        win.ui().fileHook = [&](const FileDialogSpec&, bool) -> std::optional<std::string> {
            return chosen.toStdString();
        };
        win.run(99);
        QCOMPARE(asked.size(), std::size_t{1});
        QVERIFY(QString::fromStdString(asked[0]).contains("cannot be read"));
        QCOMPARE(wb.scans.count(), loaded);

        chosen = packet;
        win.run(99);
        QCOMPARE(asked.size(), std::size_t{2});
        QCOMPARE(asked[1], std::string("Delete ALL data from memory without Save?"));
        QCOMPARE(wb.scans.count(), loaded);
        QVERIFY(!QFile::exists(outDir + "/Log.txt"));

        answer = kNo; // discard
        win.run(99);
        QTest::qWait(50); // an exit would be posted to the event loop
        QVERIFY(win.isVisible());
        QVERIFY(wb.interactiveMode);
        QCOMPARE(readFile(outDir + "/Log.txt"), QByteArray("set.0hd-OK:)\n"));
        ReportWindow* log = win.ui().latestReport();
        QVERIFY(log);
        QCOMPARE(log->windowTitle(), QString("Log.txt"));
        QCOMPARE(log->text(), std::string("set.0hd-OK:)\r\n"));
    }

    // The program as a new user starts it: no settings yet, the bundled
    // packet (which names no OutDir) on the command line.
    void bundledPacketWithAFreshConfiguration()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath("home");
        QDir().mkpath(home);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("QUILLMAR_HOME");
        env.remove("XDG_CONFIG_HOME");
        env.remove("XDG_DATA_HOME");
        env.insert("HOME", home);
        env.insert("QUILLMAR_CONFIG", dir.filePath("settings.ini"));
        env.insert("TMPDIR", dir.path()); // a single-instance socket of its own
        env.insert("QT_QPA_PLATFORM", "offscreen");
        QProcess gui;
        gui.setProcessEnvironment(env);
        gui.setWorkingDirectory(dir.path());
        const QString source = qEnvironmentVariable("QUILLMAR_SOURCE", QDir::currentPath());
        gui.start(QCoreApplication::applicationDirPath() + "/quillmar",
                  {"-pk", source + "/examples/packets/sun3-18.pkf"});
        QVERIFY(gui.waitForFinished(300000));
        QCOMPARE(gui.exitCode(), 0);

        const QString out = home + "/Quillmar/";
        QCOMPARE(readFile(out + "sun3-18.log"), QByteArray("set.0hd-OK:)\n"));
        for (const char* name : {"p_set_0hd.0hd", "p_set_0hd.014", "sun3-18_20040501.wsf", "Scan's sigma.dat"})
            QVERIFY2(QFileInfo(out + name).size() > 0, name);
    }
};

static RegisterGuiTest registerBatchGuiTest([] { return new BatchGuiTest; });

} // namespace qm::test

#include "batch_gui_test.moc"
