// The two FITS dialogs show the core's fields and give back what was changed.
#include "gui/fits_dialogs.h"
#include "tests/gui/gui_test_registry.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

namespace qm::test {

class FitsDialogsTest : public QObject {
    Q_OBJECT
private slots:
    void loadingDialogRoundTrip()
    {
        FitsLoadingFields f = fitsLoadingFields(FitsOptions{});
        FitsLoadingDialog d(f);
        QCOMPARE(d.windowTitle(), QString("FITS loading options"));
        QVERIFY(d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Close));
        const auto radios = d.findChildren<QRadioButton*>();
        QCOMPARE(radios.size(), 10);
        QVERIFY(radios[0]->isChecked());
        QCOMPARE(radios[3]->text(), QString("Maxium limit"));
        radios[kFitsPowerScale]->setChecked(true);
        auto* keyword = d.findChild<QLineEdit*>("Radius keyword");
        QCOMPARE(keyword->text(), QString("RADIUS"));
        keyword->setText("RADIUS_IN_ARCSEC");
        QCOMPARE(keyword->text(), QString("RADIUS_IN")); // 9 characters
        QCOMPARE(d.findChild<QLineEdit*>("Angle P sign [-1;0;1]")->text(), QString("1"));
        d.findChild<QLineEdit*>("Quiet Sun level")->setText("800");
        for (auto* c : d.findChildren<QCheckBox*>())
            if (c->text() == "arc.sec." || c->text() == "ORVAN beam convolution")
                c->setChecked(!c->isChecked());
        const FitsLoadingFields out = d.fields();
        QCOMPARE(out.mode, int(kFitsPowerScale));
        QVERIFY(out.arcSeconds && !out.beamConvolution && !out.inversion);
        QCOMPARE(out.quietSun, std::string("800"));
        QCOMPARE(out.maxLevel, std::string("1"));
    }

    void viewDialogRoundTrip()
    {
        FitsOptions o;
        o.mode = kFitsLogScale;
        o.minLevel = -3;
        FitsViewDialog d(fitsViewFields(o));
        QCOMPARE(d.windowTitle(), QString("FITS view options"));
        QVERIFY(d.findChildren<QRadioButton*>()[kFitsLogScale]->isChecked());
        QCOMPARE(d.findChild<QLineEdit*>("Min level")->text(), QString("-3"));
        d.findChild<QLineEdit*>("Zero level")->setText("2");
        const FitsViewFields out = d.fields();
        QCOMPARE(out.mode, int(kFitsLogScale));
        QCOMPARE(out.zeroLevel, std::string("2"));
    }
};

static RegisterGuiTest registerFitsDialogsTest([] { return new FitsDialogsTest; });

} // namespace qm::test

#include "fits_dialogs_test.moc"
