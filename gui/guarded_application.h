#pragma once
// The application object of the GUI. An allocation failure that escapes an
// event handler (painting, the mouse, a dialog) is reported with the core's
// "Can't allocate memory" and the program goes on; the core's own entry
// points (the dispatcher, loads) catch theirs before it gets here.
#include <QApplication>

namespace qm {

class GuardedApplication : public QApplication {
    Q_OBJECT
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};

} // namespace qm
