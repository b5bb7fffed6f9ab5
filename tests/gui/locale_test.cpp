// The suite runs under a decimal-comma locale set before the QApplication
// starts (main.cpp), as a German user's desktop would; after the program's
// locale reset, reports, settings and parsing still use the C number form.
#include "app/settings.h"
#include "app/text_format.h"
#include "app/workbench.h"
#include "tests/gui/gui_test_registry.h"
#include "tests/support/fake_ui.h"
#include "tests/support/temp_dir.h"

#include <QLocale>
#include <QTest>

namespace qm::test {
namespace {

class LocaleTest : public QObject {
    Q_OBJECT
private slots:
    void numbersStayCUnderACommaLocale()
    {
        if (!commaLocaleActive())
            QSKIP("no decimal-comma locale could be built on this system");
        QCOMPARE(QLocale::system().decimalPoint(), QString(","));

        TempDir dir("quillmar-locale");
        FakeUi ui;
        MemorySettingsStore store;
        Workbench wb(ui, store, dir.path().string());
        wb.interactiveMode = false;
        wb.settings.output = dir.path().string();
        wb.currentFileLabel = "set.001";
        wb.deliverReport("Sigma", format("%.3f\t%e\r\n", 1.5, 2500.0));
        QCOMPARE(QString::fromStdString(readTextFile(dir.file("Sigma.dat"))),
                 QString("\r\nset.001\r\n1.500\t2.500000e+03\r\n"));

        wb.settings.koefFlux = 1.5f;
        QVERIFY(writeSetting(store, wb.settings, SettingId::KoefFlux));
        QCOMPARE(QString::fromStdString(*store.readText("KoefFlux")), QString(" 1.500e+00"));
        float v = 0;
        QVERIFY(scanFloat("2.25", v));
        QCOMPARE(v, 2.25f);
    }
};

const RegisterGuiTest reg([] { return new LocaleTest; });

} // namespace
} // namespace qm::test

#include "locale_test.moc"
