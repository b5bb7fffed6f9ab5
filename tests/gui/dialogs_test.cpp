// The dialogs of the Qt front end, driven as a person would: the number
// prompt's keypad, the configuration dialog writing the store, the group
// dialog, the progress dialog, report windows and the single instance.
#include "app/report_window.h"
#include "app/settings_store.h"
#include "app/workbench.h"
#include "gui/config_dialog_qt.h"
#include "gui/group_dialog_qt.h"
#include "gui/main_menu.h"
#include "gui/number_prompt.h"
#include "gui/progress_dialog.h"
#include "gui/qt_ui.h"
#include "gui/report_window.h"
#include "gui/single_instance.h"
#include "gui/text_dialog.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

namespace qm::test {

namespace {

// Drives the next modal dialog of type D once its event loop runs.
template <class D>
void whenModal(std::function<void(D*)> drive)
{
    auto* timer = new QTimer;
    QObject::connect(timer, &QTimer::timeout, [timer, drive] {
        auto* d = qobject_cast<D*>(QApplication::activeModalWidget());
        if (!d)
            return;
        timer->stop();
        timer->deleteLater();
        drive(d);
    });
    timer->start(10);
}

void press(QDialog* d, QDialogButtonBox::StandardButton which)
{
    d->findChild<QDialogButtonBox*>()->button(which)->click();
}

auto okHook(std::vector<std::string>& seen)
{
    return [&seen](const std::string& text, const std::string&, MsgButtons, MsgIcon) {
        seen.push_back(text);
        return int(kOk);
    };
}

} // namespace

class DialogsTest : public QObject {
    Q_OBJECT

private slots:
    void numberPromptKeypadEditsTheField()
    {
        NumberPrompt d("Enter N");
        QLineEdit* f = d.field();
        for (const char* k : {"1", "2", ".", "5", "E", "--", "3"})
            d.key(k)->click();
        QCOMPARE(f->text(), QString("12.5E-3"));
        d.key("<-")->click();
        QCOMPARE(f->text(), QString("12.5E-"));
        // "<-" takes the last character even with the cursor elsewhere.
        f->setCursorPosition(0);
        d.key("<-")->click();
        QCOMPARE(f->text(), QString("12.5E"));
        d.key("C")->click();
        QCOMPARE(f->text(), QString());
        for (int i = 0; i < 25; ++i)
            d.key(QString::number(i % 10))->click();
        QCOMPARE(f->text(), QString("012345678901234567"));
        for (const char* k : {"4", "5", "6", "7", "8", "9", "0"})
            QVERIFY(d.key(k));

        // Through the port: OK hands back the text, Esc nothing.
        QMainWindow owner;
        QtUi ui(&owner);
        whenModal<NumberPrompt>([](NumberPrompt* p) {
            p->key("7")->click();
            p->key("--")->click();
            press(p, QDialogButtonBox::Ok);
        });
        QCOMPARE(ui.askText("Enter N"), std::optional<std::string>("7-"));
        whenModal<NumberPrompt>([](NumberPrompt* p) {
            p->key("7")->click();
            QTest::keyClick(p, Qt::Key_Escape);
        });
        QCOMPARE(ui.askText("Enter N"), std::nullopt);
    }

    void configDialogWritesTheStore()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        whenModal<ConfigDialogQt>([](ConfigDialogQt* d) {
            QCOMPARE(d->windowTitle(), QString("Initial Setting for Quillmar"));
            QCOMPARE(d->field("Flux Koef: ")->text(), QString("1.000e+00"));
            QCOMPARE(d->field("Vert.Beam Coef.: ")->text(), QString("190.00"));
            QCOMPARE(d->field("Flux Units: ")->maxLength(), 19);
            for (const char* browse : {"Sun flux Folder: ", "Output Folder: ", "Script Folder: ", "Auto Script File: ",
                                       "Ext program File: ", "Log corr. File: ", "3D Palette File: ",
                                       "Fits Palette File: "})
                QVERIFY2(d->browseButton(browse), browse);
            QCOMPARE(d->colourButton(kRgbGrp3)->text(), QString("Group-3"));
            QCOMPARE(d->swatch(kRgbDataI)->palette().color(QPalette::Window), QColor(0x00, 0xaa, 0x00));

            d->field("Flux Koef: ")->setText("2.5");
            d->field("Min Yaxis scale I: ")->setText("-50");
            d->field("Autosave time[min]: ")->setText("0");
            d->field("X axis Units: ")->clear();
            d->field("Ext program File: ")->setText("/usr/bin/xterm");
            d->chooseColour = [](uint32_t, QWidget*) { return std::optional<uint32_t>(0x00123456); };
            d->colourButton(kRgbDataI)->click();
            QCOMPARE(d->swatch(kRgbDataI)->palette().color(QPalette::Window), QColor(0x56, 0x34, 0x12));
            d->chooseColour = [](uint32_t, QWidget*) { return std::nullopt; }; // chooser cancelled
            d->colourButton(kRgbDataV)->click();
            press(d, QDialogButtonBox::Ok);
        });
        win.run(117);
        QCOMPARE(store.values["KoefFlux"], std::string(" 2.500e+00"));
        QCOMPARE(store.values["MinYscaleI"], std::string("50.000"));
        QCOMPARE(store.values["AutoTime"], std::string("1"));
        QCOMPARE(store.values["UnitAxisX"], std::string("\""));
        QCOMPARE(store.values["ExtProgram"], std::string("/usr/bin/xterm"));
        QCOMPARE(store.values["rgbDataI"], std::string("0x00123456"));
        QVERIFY(store.values.count("rgbDataV") == 0);
        QCOMPARE(win.mainMenu().action(157)->text(), QString("Run xterm"));

        // Cancel leaves store and settings alone.
        whenModal<ConfigDialogQt>([](ConfigDialogQt* d) {
            d->field("Flux Koef: ")->setText("9");
            press(d, QDialogButtonBox::Cancel);
        });
        win.run(117);
        QCOMPARE(store.values["KoefFlux"], std::string(" 2.500e+00"));
    }

    void zeroFluxCoefficientForcesTheDialogAtStartUp()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        store.values["KoefFlux"] = "0";
        WrkWin win(store, dir.path().toStdString());
        int cancelsIgnored = 0;
        whenModal<ConfigDialogQt>([&cancelsIgnored](ConfigDialogQt* d) {
            QCOMPARE(d->field("Flux Koef: ")->text(), QString("1")); // template text
            QCOMPARE(d->field("Horiz.Beam Coef.: ")->text(), QString("-1"));
            press(d, QDialogButtonBox::Cancel);
            QTest::keyClick(d, Qt::Key_Escape);
            if (d->isVisible())
                ++cancelsIgnored;
            d->field("Flux Koef: ")->setText("3");
            press(d, QDialogButtonBox::Ok);
        });
        win.startUp({});
        QCOMPARE(cancelsIgnored, 1);
        QCOMPARE(store.values["KoefFlux"], std::string(" 3.000e+00"));
        QCOMPARE(win.workbench().settings.koefFlux, 3.0f);
    }

    void groupDialogMovesLinesAndKeepsTheArrayViewSmall()
    {
        GroupDialogParams p;
        for (int i = 0; i < 12; ++i)
            p.available.push_back(QString("%1 2004/05/01 10:00:00").arg(2.0 + i * 0.5, 6, 'f', 3, '0').toStdString());
        GroupDialogQt d(p);
        QCOMPARE(d.windowTitle(), QString("Video control panel"));
        QVERIFY(d.modeButton(3)->isChecked());
        QCOMPARE(d.modeButton(1)->text(), QString("Array of scans [<9]"));
        QCOMPARE(d.skipField()->text(), QString("0.000"));
        QCOMPARE(d.availableCount()->text(), QString("12"));
        QVERIFY(!d.removeButton()->isEnabled());

        for (int row = 0; row < 11; ++row)
            d.availableList()->item(row)->setSelected(true);
        d.addButton()->click();
        QCOMPARE(d.availableCount()->text(), QString("1"));
        QCOMPARE(d.chosenCount()->text(), QString("11"));
        QVERIFY(d.removeButton()->isEnabled());

        // A double click moves one line back.
        emit d.chosenList()->itemDoubleClicked(d.chosenList()->item(0));
        QCOMPARE(d.chosenCount()->text(), QString("10"));
        QCOMPARE(d.availableList()->item(0)->text(), QString::fromStdString(p.available[0]));

        // Ten scans do not fit the array view: OK switches to the stacked view.
        d.modeButton(1)->click();
        d.skipField()->setText("4.25");
        d.accept();
        QVERIFY(d.modeButton(3)->isChecked());
        QCOMPARE(d.result(), int(QDialog::Rejected));
        d.accept();
        QCOMPARE(d.result(), int(QDialog::Accepted));
        const GroupDialogParams r = d.params();
        QCOMPARE(r.mode, 3);
        QCOMPARE(r.skipFrequency, 4.25f);
        QCOMPARE(r.chosen.size(), std::size_t{10});
        QCOMPARE(r.chosen.front(), p.available[1]);
    }

    void progressDialogStepsAndAborts()
    {
        QMainWindow owner;
        QtUi ui(&owner);
        ui.progressOpen("Gauss smooth", 4, true);
        ProgressDialog* d = ui.progress();
        QVERIFY(d);
        QCOMPARE(d->windowTitle(), QString("Gauss smooth"));
        QCOMPARE(d->bar()->maximum(), 40);
        QVERIFY(!ui.progressStep());
        QVERIFY(!ui.progressStep());
        QCOMPARE(d->bar()->value(), 20);
        QCOMPARE(d->abortButton()->text(), QString("Abort"));
        d->abortButton()->click();
        QVERIFY(ui.progressStep());
        QVERIFY(ui.pump());
        // A new dialog replaces the old one; without "Abort" it cannot stop.
        ui.progressOpen("Scan modification", 2, false);
        QVERIFY(ui.progress() != nullptr);
        QVERIFY(!ui.progress()->abortButton());
        ui.progress()->reject();
        QVERIFY(!ui.progressStep());
        ui.progressClose();
        QVERIFY(!ui.progress());

        // Through the workbench an abort ends the target walk.
        MemorySettingsStore store;
        Workbench wb(ui, store, QDir::tempPath().toStdString());
        wb.progressOpen("Walk", 3, true);
        ui.progress()->abortButton()->click();
        QVERIFY(!wb.progressStep());
        QCOMPARE(wb.cancelFlag, kProgressAborted);
        wb.progressClose();
    }

    void reportWindowsHoldEditAndSaveTheirText()
    {
        QTemporaryDir dir;
        QMainWindow owner;
        QtUi ui(&owner);
        std::vector<std::string> seen;
        ui.messageHook = okHook(seen);
        ui.outputDir = [&dir] { return dir.path().toStdString(); };

        const std::string text = "N\tr\r\n1\t0.5\r\n2\t0.25";
        ui.openReport("Correlation", text);
        ReportWindow* first = ui.latestReport();
        QVERIFY(first && first->isVisible());
        QCOMPARE(first->windowTitle(), QString("Correlation"));
        QCOMPARE(ui.openReportText(), text);
        QStringList captions;
        QMenu* edit = first->menuBar()->actions().first()->menu();
        QCOMPARE(edit->title(), QString("Edit"));
        for (QAction* a : edit->actions())
            captions << a->text();
        QCOMPARE(captions, QStringList({"Undo", "Clear", "Copy", "Paste", "Save As..."}));

        // Two reports leave two windows; appending goes to the latest.
        ui.openReport("Sigma", "s\r\n1");
        QVERIFY(ui.latestReport() != first);
        QVERIFY(first->isVisible());
        ui.setOpenReportText("s\r\n1\r\n\r\nSigma\r\n2");
        QCOMPARE(ui.openReportText(), std::string("s\r\n1\r\n\r\nSigma\r\n2"));
        ui.latestReport()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!ui.hasOpenReport());

        // "Save As..." writes the text with CR LF line ends.
        const QString path = dir.filePath("corr.dat");
        ui.fileHook = [&path](const FileDialogSpec& s, bool save) {
            [&] {
                QVERIFY(save);
                QCOMPARE(s.filters.size(), std::size_t{2});
            }();
            return std::optional<std::string>(path.toStdString());
        };
        QVERIFY(first->saveAs());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll().toStdString(), text);
        QVERIFY(seen.empty());
        ui.fileHook = [&dir](const FileDialogSpec&, bool) {
            return std::optional<std::string>(dir.filePath("no/such/folder/x.dat").toStdString());
        };
        QVERIFY(!first->saveAs());
        QCOMPARE(seen, std::vector<std::string>{kMsgErrorOfWriting});

        // Typing stops at the limit of the edit field.
        seen.clear();
        first->setText(std::string(kReportEditLimit - 5, 'a'));
        first->editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(first->editor(), "bcdefghij");
        QCoreApplication::processEvents();
        QCOMPARE(first->editor()->toPlainText().size(), kReportEditLimit);
        QVERIFY(first->editor()->toPlainText().endsWith("abcdef"));
        QCOMPARE(seen, std::vector<std::string>(4, kMsgMemoryOverfull)); // one per refused key
        // A longer report is shown whole; typing cannot grow it.
        seen.clear();
        first->setText(std::string(kReportEditLimit + 100, 'z'));
        first->editor()->moveCursor(QTextCursor::End);
        QTest::keyClicks(first->editor(), "q");
        QCoreApplication::processEvents();
        QCOMPARE(first->editor()->toPlainText().size(), kReportEditLimit + 100);
        QCOMPARE(seen.size(), std::size_t{1});
    }

    void fileFiltersAndConversions()
    {
        QCOMPARE(fileFilterString({{"Header Files", "*.?hd;*.fits"}, {"Any Files", "*.*"}}),
                 QString("Header Files (*.?hd *.fits);;Any Files (*.*)"));
        QCOMPARE(fileFilterString({{"Script files(*.spt)", "*.spt"}}), QString("Script files(*.spt)"));
        QCOMPARE(toQColor(0x00112233), QColor(0x33, 0x22, 0x11));
        QCOMPARE(fromQColor(QColor(0x33, 0x22, 0x11)), 0x00112233u);
        QCOMPARE(fromCoreText("a\r\nb\r\n"), QString("a\nb\n"));
        QCOMPARE(toCoreText("a\nb"), std::string("a\r\nb"));
    }

    void secondStartRaisesTheFirst()
    {
        const QString name = QString("quillmar-test-%1").arg(QCoreApplication::applicationPid());
        SingleInstance first(name);
        QVERIFY(first.becomePrimary());
        QSignalSpy raised(&first, &SingleInstance::activationRequested);
        SingleInstance second(name);
        QVERIFY(!second.becomePrimary());
        QVERIFY(raised.wait());
        QCOMPARE(raised.count(), 1);
    }
};

static RegisterGuiTest registerDialogsTest([] { return new DialogsTest; });

} // namespace qm::test

#include "dialogs_test.moc"
