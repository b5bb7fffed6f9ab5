// The dialogs of the Qt front end, driven as a person would: the number
// prompt's keypad, the configuration and beam dialogs writing the store,
// dialog 7 of Gauss Flux, the ephemerides dialog and the export panel.
#include "app/settings_store.h"
#include "beam/beam_config.h"
#include "gui/beam_dialog.h"
#include "gui/config_dialog_qt.h"
#include "gui/gauss_dialog.h"
#include "gui/qt_ui.h"
#include "gui/ephemerides_dialog.h"
#include "gui/export_panel_qt.h"
#include "gui/number_prompt.h"
#include "gui/wrk_win.h"
#include "tests/gui/gui_test_registry.h"

#include <QApplication>
#include <QCheckBox>
#include <QMainWindow>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
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
    }

    void configDialogWritesTheStore()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        whenModal<ConfigDialogQt>([](ConfigDialogQt* d) {
            QCOMPARE(d->field("Flux Koef: ")->text(), QString("1.000e+00"));
            QCOMPARE(d->field("Vert.Beam Coef.: ")->text(), QString("190.00"));

            d->field("Flux Koef: ")->setText("2.5");
            d->field("Min Yaxis scale I: ")->setText("-50");
            d->field("Autosave time[min]: ")->setText("0");
            d->field("X axis Units: ")->clear();
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
        QCOMPARE(store.values["rgbDataI"], std::string("0x00123456"));
        QVERIFY(store.values.count("rgbDataV") == 0);

        // Cancel leaves store and settings alone.
        whenModal<ConfigDialogQt>([](ConfigDialogQt* d) {
            d->field("Flux Koef: ")->setText("9");
            press(d, QDialogButtonBox::Cancel);
        });
        win.run(117);
        QCOMPARE(store.values["KoefFlux"], std::string(" 2.500e+00"));
    }

    void gaussDialogReturnsWhatWasTyped()
    {
        QMainWindow owner;
        QtUi ui(&owner);
        whenModal<GaussDialog>([](GaussDialog* d) {
            QVERIFY(d->componentsEdit()->text().isEmpty());
            d->componentsEdit()->setText("4");
            d->findChild<QCheckBox*>()->setChecked(true);
            press(d, QDialogButtonBox::Ok);
        });
        GaussDialogFields f;
        QVERIFY(ui.gaussDialog(f));
        QCOMPARE(f.components, std::string("4"));
        QCOMPARE(f.initial, std::string());
        QVERIFY(f.splineBackground);
    }

    void beamDialogStoresTheRecord()
    {
        QTemporaryDir dir;
        MemorySettingsStore store;
        WrkWin win(store, dir.path().toStdString());
        whenModal<BeamDialog>([](BeamDialog* d) {
            QCOMPARE(d->windowTitle(), QString("FFT Beam convolution"));
            QCOMPARE(d->field("R polarization shift,mm :")->text(), QString("12.5"));
            d->field("FFT noise level: ")->setText("0.01");
            d->field("Y shift from focus,mm :")->setText("y");
            press(d, QDialogButtonBox::Ok);
        });
        QVERIFY(runBeamDialog(win.workbench()));
        const auto c = loadBeamConfig(store);
        QVERIFY(c.has_value());
        QCOMPARE(c->noiseLevel, 0.01f);
        QCOMPARE(c->shiftY, 0.0f);
        QCOMPARE(c->shiftL, -12.5f);
        whenModal<BeamDialog>([](BeamDialog* d) {
            QCOMPARE(d->field("FFT noise level: ")->text(), QString("0.01000"));
            press(d, QDialogButtonBox::Cancel);
        });
        QVERIFY(!runBeamDialog(win.workbench()));
    }

    void ephemeridesDialogShowsAndReturnsItsFields()
    {
        EphemeridesParams p{"1.000000", "2.5", "40", "-3", "1500.5", "Sun"};
        EphemeridesDialog d(p);
        QCOMPARE(d.windowTitle(), QString("Ephemerides setting"));
        const auto edits = d.findChildren<QLineEdit*>();
        QCOMPARE(edits.size(), 6);
        QCOMPARE(edits[4]->text(), QString("1500.5"));
        edits[0]->setText("0.5");
        edits[5]->setText("A very long object name");
        const EphemeridesParams out = d.params();
        QCOMPARE(out.step, std::string("0.5"));
        QCOMPARE(out.azimuth, std::string("2.5"));
        QCOMPARE(out.object, std::string("A very long ob")); // 14 characters
    }

    void exportPanelShowsItsTypesAndReturnsTheChoice()
    {
        ExportPanel d(ExportPanelFields{});
        QCOMPARE(d.windowTitle(), QString("Export page control panel"));
        const auto types = d.findChildren<QRadioButton*>();
        QCOMPARE(types.size(), 6);
        QCOMPARE(types[0]->text(), QString("PostScript(B&&W)")); // shown as "PostScript(B&W)"
        QVERIFY(types[1]->isChecked());
        const auto edits = d.findChildren<QLineEdit*>();
        edits[0]->setText("9");
        edits[1]->setText("800");
        edits[2]->setText("x");
        types[4]->setChecked(true);
        const ExportPanelFields f = d.fields();
        QCOMPARE(f.thickness, 9); // clamped when the page is made
        QCOMPARE(f.width, 800);
        QCOMPARE(f.height, 0);    // not a number: refused as a page size
        QCOMPARE(f.type, 5);
    }
};

static RegisterGuiTest registerDialogsTest([] { return new DialogsTest; });

} // namespace qm::test

#include "dialogs_test.moc"
