// The main window against the core: menus and hints from the command table,
// enabled states before and after a load, the data list and the close
// question.
#include "app/command_table.h"
#include "app/settings_store.h"
#include "batch/popup_menu.h"
#include "gui/data_list.h"
#include "gui/list_dialog.h"
#include "gui/main_menu.h"
#include "gui/report_window.h"
#include "gui/tool_bar.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>
#include <QFontInfo>
#include <QImage>

#include <cstring>
#include <memory>

namespace qm::test {

namespace {

std::unique_ptr<ScanRecord> makeScan(float freq, const char* date, const char* time, int n = 64)
{
    auto r = std::make_unique<ScanRecord>();
    r->frequency = freq;
    std::strcpy(r->dateObs, date);
    std::strcpy(r->timeObs, time);
    std::strcpy(r->object, "Sun");
    r->nPoints = static_cast<int16_t>(n);
    r->step = 1.5f;
    r->beamHalfsize = 20.0f;
    r->allocChannel(1);
    r->allocChannel(2);
    for (int i = 0; i < n; ++i) {
        r->dataI()[i] = 100.0f + static_cast<float>(i);
        r->dataV()[i] = static_cast<float>(i % 7);
    }
    r->copyDataToWorksheet();
    return r;
}

// Loads three scans the way a reader does: pushed at the head, then the
// common after-load step.
void loadThree(Workbench& wb)
{
    wb.scans.pushHead(makeScan(3.0f, "2004/05/01", "10:00:00"));
    wb.scans.pushHead(makeScan(2.8f, "2004/05/01", "09:00:00"));
    wb.scans.pushHead(makeScan(3.0f, "2004/05/02", "11:30:15.25"));
    wb.afterLoad("/tmp/set.0hd");
}

// Every action under a menu, with the path of menus above it.
void collect(QMenu* m, const QString& path, std::vector<std::pair<QString, QAction*>>& out)
{
    for (QAction* a : m->actions()) {
        if (a->isSeparator())
            continue;
        if (a->menu())
            collect(a->menu(), path + " > " + a->menu()->title(), out);
        else
            out.emplace_back(path, a);
    }
}

QStringList listLines(const DataList& list)
{
    QStringList lines;
    for (int i = 0; i < list.list()->count(); ++i)
        lines << list.list()->item(i)->text();
    return lines;
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void menusMirrorTheCommandTable()
    {
        MemorySettingsStore store;
        WrkWin win(store, QDir::tempPath().toStdString());
        QCOMPARE(win.windowTitle(), QString("Quillmar"));
        QCOMPARE(win.minimumSize(), QSize(540, 300));

        QStringList tops;
        std::vector<std::pair<QString, QAction*>> items;
        for (QAction* a : win.menuBar()->actions()) {
            tops << a->text();
            collect(a->menu(), a->text(), items);
        }
        QCOMPARE(tops, QStringList({"File", "Scan", "Transform", "Calc", "View", "Spec.Func", "Script", "Help"}));

        int withPath = 0;
        for (const CommandInfo& c : commandCatalog()) {
            if (c.menuPath.empty())
                continue;
            ++withPath;
            const QString path = QString::fromStdString(c.menuPath);
            // 157 shows the program it starts; the others their caption.
            const QString caption = c.id == 157 ? QString("Run xdg-open") : QString::fromStdString(c.caption);
            int found = 0;
            for (const auto& [p, a] : items)
                if (p == path && a->text() == caption) {
                    ++found;
                    QCOMPARE(a->statusTip(), QString::fromStdString(c.hint));
                }
            if (found != 1)
                QFAIL(qPrintable(QString("%1 items at \"%2: %3\"").arg(found).arg(path, caption)));
        }
        QCOMPARE(static_cast<int>(items.size()), withPath);

        // The tool bar: its fourteen items in order, hints from the table.
        const std::vector<int> bar{100, 102, 101, 106, 118, 107, 112, 108, 128, 149, 228, 163, 164, 195};
        QCOMPARE(ToolBar::itemIds(), bar);
        QCOMPARE(win.toolBar().button(106)->statusTip(), QString("Work with (ALL or ONE) scan(s)"));
    }

    void loadEnablesDataCommandsAndFillsTheList()
    {
        MemorySettingsStore store;
        WrkWin win(store, QDir::tempPath().toStdString());
        Workbench& wb = win.workbench();
        MainMenu& menu = win.mainMenu();

        // Nothing loaded: every data command greyed, "Open" available.
        for (const CommandInfo& c : commandCatalog())
            if (c.dataCommand && menu.action(c.id))
                QVERIFY2(!menu.action(c.id)->isEnabled(), qPrintable(QString::number(c.id)));
        QVERIFY(menu.action(100)->isEnabled());
        QVERIFY(!win.toolBar().button(102)->isEnabled());
        QCOMPARE(listLines(win.dataList()), QStringList{" [GHz]  year/m/d   h:m:ss.ss"});

        loadThree(wb);
        QVERIFY(menu.action(102)->isEnabled());
        QVERIFY(menu.action(172)->isEnabled());
        QVERIFY(!menu.action(100)->isEnabled());
        QVERIFY(menu.menu("Script")->menuAction()->isEnabled());
        QVERIFY(win.toolBar().button(107)->isEnabled());
        QVERIFY(win.toolBar().field(163)->text().startsWith("D=20.00"));

        // Heading, then the labels in list order: ascending frequency, the
        // latest observation first within one frequency.
        const QStringList expected{" [GHz]  year/m/d   h:m:ss.ss", "02.800 2004/05/01 09:00:00",
                                   "03.000 2004/05/02 11:30:15.25", "03.000 2004/05/01 10:00:00"};
        QCOMPARE(listLines(win.dataList()), expected);
        QCOMPARE(win.dataList().list()->currentRow(), 1);

        // Close (answered OK) greys everything again and empties the list.
        win.ui().messageHook = [](const std::string&, const std::string&, MsgButtons, MsgIcon) { return int(kOk); };
        menu.action(111)->trigger();
        QVERIFY(!wb.setLoaded);
        QVERIFY(!menu.action(172)->isEnabled());
        QCOMPARE(listLines(win.dataList()).size(), 1);
    }

    // A command without a handler is greyed wherever it is offered: menu,
    // tool bar, pop-up menu and the list dialog; the rest stay available,
    // plug-in items (run through the plug-in hook) among them.
    void commandsWithoutAHandlerAreGreyed()
    {
        const QByteArray home = qgetenv("QUILLMAR_HOME"); // the build folder, with Startup
        QVERIFY(!home.isEmpty());
        MemorySettingsStore store;
        WrkWin win(store, home.toStdString());
        Workbench& wb = win.workbench();
        loadThree(wb);
        QAction* absorption = win.mainMenu().action(10011);
        QVERIFY(absorption && absorption->isEnabled());
        wb.commands().handle(124, {}); // "Gauss Flux"
        wb.commands().handle(128, {}); // "Print..."
        wb.ui().stateChanged();
        QVERIFY(!win.mainMenu().action(124)->isEnabled());
        QVERIFY(!win.toolBar().button(128)->isEnabled());
        QVERIFY(win.mainMenu().action(110)->isEnabled());
        QVERIFY(win.toolBar().button(102)->isEnabled());

        wb.settings.popUpMenu = {179, 124};
        const std::vector<PopupMenuItem> items = popupMenuItems(wb);
        QCOMPARE(items.size(), std::size_t{2});
        QVERIFY(items[0].enabled);
        QVERIFY(!items[1].enabled);

        ListDialog core(ListKind::QuickList, {}, &wb.commands());
        ListDialogQt dialog(core);
        const auto found = dialog.offeredList()->findItems("Gauss Flux", Qt::MatchExactly);
        QCOMPARE(found.size(), 1);
        QVERIFY(!(found[0]->flags() & Qt::ItemIsEnabled));
        core.add(dialog.offeredList()->row(found[0]));
        QVERIFY(core.chosen().empty());
        const auto median = dialog.offeredList()->findItems("Median", Qt::MatchExactly);
        QCOMPARE(median.size(), 1);
        QVERIFY(median[0]->flags() & Qt::ItemIsEnabled);
    }

    // The close question comes only with unsaved work: not after a load or
    // a save, but after a change or an edited report; "Save" writes the
    // workspace and then closes.
    void closeAsksOnlyWithUnsavedWork()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        std::vector<std::pair<std::string, std::string>> asked;
        int answer = kCancel;
        auto hook = [&](const std::string& text, const std::string& caption, MsgButtons b, MsgIcon) {
            asked.emplace_back(text, caption);
            [&] { QCOMPARE(b, MsgButtons::SaveDiscardCancel); }();
            return answer;
        };
        WrkWin win(store, dir.path().toStdString());
        win.ui().messageHook = hook;
        win.show();
        loadThree(win.workbench());
        QCOMPARE(win.windowTitle(), QString("Quillmar - set.0hd"));
        QVERIFY(win.close());
        QVERIFY(asked.empty());

        win.show();
        win.workbench().scans.head()->wrkI()[3] = -1.0f;
        QVERIFY(!win.close());
        QVERIFY(win.isVisible());
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(asked[0].first, std::string("Delete ALL data from memory without Save?"));
        QCOMPARE(asked[0].second, std::string("Information"));
        QCOMPARE(win.workbench().scans.count(), 3);

        // A running packet never stops on the question.
        win.workbench().interactiveMode = false;
        QVERIFY(win.close());
        QCOMPARE(asked.size(), std::size_t{1});
        win.workbench().interactiveMode = true;
        win.show();

        // "Save": the workspace dialog gets a name without extension.
        const QString saved = dir.filePath("kept");
        win.ui().fileHook = [&](const FileDialogSpec&, bool save) -> std::optional<std::string> {
            [&] { QVERIFY(save); }();
            return saved.toStdString();
        };
        answer = kYes;
        QVERIFY(win.close());
        QCOMPARE(asked.size(), std::size_t{2});
        QVERIFY(QFileInfo(saved + ".wsf").size() > 0);

        // An edited report counts at exit; the set is saved.
        win.show();
        win.workbench().deliverReport("Sigma", "F\tsigma\r\n2.8\t0.1\r\n");
        QVERIFY(win.close());
        QCOMPARE(asked.size(), std::size_t{2});
        win.show();
        win.workbench().deliverReport("Sigma", "F\tsigma\r\n2.8\t0.1\r\n");
        QTest::keyClicks(win.ui().latestReport()->editor(), "note");
        answer = kCancel;
        QVERIFY(!win.close());
        QCOMPARE(asked.size(), std::size_t{3});
    }

    // Load WorkSpace asks for the file before anything else: Cancel there
    // or at the close question changes nothing, and a file that does not
    // load leaves the old set after the user agreed to drop it.
    void loadWorkspaceAsksForTheFileFirst()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        Workbench& wb = win.workbench();
        loadThree(wb);
        wb.scans.head()->wrkI()[2] = 5; // unsaved work
        std::vector<std::string> asked;
        int answer = kCancel;
        win.ui().messageHook = [&](const std::string& text, const std::string&, MsgButtons, MsgIcon) {
            asked.push_back(text);
            return answer;
        };
        std::optional<std::string> chosen;
        win.ui().fileHook = [&](const FileDialogSpec&, bool) { return chosen; };
        win.run(186);
        QVERIFY(asked.empty());
        QCOMPARE(wb.scans.count(), 3);

        const QString bad = dir.filePath("bad.wsf");
        {
            QFile f(bad);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a workspace at all");
        }
        chosen = bad.toStdString();
        win.run(186);
        QCOMPARE(asked.size(), std::size_t{1});
        QCOMPARE(wb.scans.count(), 3);
        answer = kNo;
        win.run(186);
        QCOMPARE(asked.size(), std::size_t{3});
        QCOMPARE(asked[2], "Workspace file is BAD: " + bad.toStdString());
        QCOMPARE(wb.scans.count(), 3);
        QVERIFY(wb.unsavedChanges());
    }

    // Choosing a line by keys or click shows that scan; the heading never
    // stays highlighted.
    void listSelectionDrivesTheActiveScan()
    {
        MemorySettingsStore store;
        WrkWin win(store, QDir::tempPath().toStdString());
        Workbench& wb = win.workbench();
        loadThree(wb);
        QListWidget* list = win.dataList().list();
        QCOMPARE(list->currentRow(), 1);
        list->setCurrentRow(3);
        QCOMPARE(wb.activeScan, wb.scans.at(2));
        QTest::keyClick(list, Qt::Key_Up);
        QCOMPARE(wb.activeScan, wb.scans.at(1));
        QCOMPARE(list->currentRow(), 2);
        list->setCurrentRow(0);
        QTest::qWait(20);
        QCOMPARE(list->currentRow(), 2);
        QCOMPARE(wb.activeScan, wb.scans.at(1));
        win.run(108); // the tool bar's step moves the highlight along
        QCOMPARE(list->currentRow(), 1);
    }

    // A report window shows its widest line whole, in a fixed-pitch font.
    void reportWindowFitsItsText()
    {
        MemorySettingsStore store;
        WrkWin win(store, QDir::tempPath().toStdString());
        const std::string longest = "Sun flux at 17.75 GHz over the whole disk, quiet level subtracted";
        win.workbench().deliverReport("Flux", "F\tflux\r\n2.800\t1234.5\r\n" + longest + "\r\n");
        ReportWindow* w = win.ui().latestReport();
        QVERIFY(w);
        const QFontMetrics fm(w->editor()->font());
        QVERIFY2(fm.horizontalAdvance("iiiiii") == fm.horizontalAdvance("WWWWWW"), qPrintable(QFontInfo(w->editor()->font()).family()));
        w->show();
        const QImage shot = w->grab().toImage();
        const int needed = QFontMetrics(w->editor()->font()).horizontalAdvance(QString::fromStdString(longest));
        QVERIFY2(shot.width() >= needed, qPrintable(QString("%1 < %2").arg(shot.width()).arg(needed)));
        QVERIFY(w->editor()->viewport()->width() >= needed);
    }
};

static RegisterGuiTest registerMainWindowTest([] { return new MainWindowTest; });

} // namespace qm::test

#include "main_window_test.moc"
