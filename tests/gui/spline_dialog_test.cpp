// The "Koeff of spline" dialog: what it shows, how its controls set the
// shared state, and that its buttons post command 140 only when the core
// lets them; QtUi closes it from inside the button's own handler.
#include "gui/qt_ui.h"
#include "gui/spline_dialog.h"
#include "tests/gui/gui_test_registry.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace qm::test {

class SplineDialogTest : public QObject {
    Q_OBJECT

private slots:
    void controlsSetTheStateAndButtonsPost()
    {
        QMainWindow owner;
        QtUi ui(&owner);
        SplineDialogState state;
        state.phase = SplinePhase::Choosing;
        int posts = 0;
        state.post = [&] { ++posts; };
        ui.showSplineDialog(state);
        SplineDialog* d = ui.splineDialog();
        QVERIFY(d);
        QVERIFY(d->isVisible());
        QCOMPARE(d->exponent()->value(), 7);
        QCOMPARE(d->coefficientLabel()->text(), QString("p = 128"));

        // While knots are picked OK and Preview do nothing.
        QTest::mouseClick(d->button(SplineButton::Ok), Qt::LeftButton);
        QTest::mouseClick(d->button(SplineButton::Preview), Qt::LeftButton);
        QCOMPARE(posts, 0);

        state.phase = SplinePhase::DialogOpen;
        d->exponent()->setValue(14);
        QCOMPARE(d->coefficientLabel()->text(), QString("p = 16384"));
        d->boundary()->setChecked(true);
        QVERIFY(state.natural);
        QTest::mouseClick(d->button(SplineButton::Preview), Qt::LeftButton);
        QCOMPARE(posts, 1);
        QCOMPARE(state.phase, SplinePhase::Preview);
        QCOMPARE(state.p, 16384.0);
        QVERIFY(d->isVisible());

        // Esc acts as Cancel; the core's answer closes the dialog from
        // inside the handler.
        state.phase = SplinePhase::DialogOpen;
        state.post = [&] {
            ++posts;
            ui.closeSplineDialog();
        };
        QPointer<SplineDialog> watch(d);
        QTest::keyClick(d, Qt::Key_Escape);
        QCOMPARE(posts, 2);
        QCOMPARE(state.phase, SplinePhase::Cancel);
        QVERIFY(!ui.splineDialog());
        QVERIFY(!watch || !watch->isVisible());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!watch);
    }
};

static RegisterGuiTest registerSplineDialogTest([] { return new SplineDialogTest; });

} // namespace qm::test

#include "spline_dialog_test.moc"
