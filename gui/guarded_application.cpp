#include "gui/guarded_application.h"

#include "app/workbench.h"

#include <QMessageBox>

#include <new>
#include <stdexcept>

namespace qm {

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::bad_alloc&) {
    } catch (const std::length_error&) {
    }
    // The box runs its own event loop: a paint that fails again while it is
    // open must not stack up boxes.
    static bool showing = false;
    if (!showing) {
        showing = true;
        QMessageBox::critical(activeWindow(), QString(), QString::fromLatin1(kNoMemoryText));
        showing = false;
    }
    return false;
}

} // namespace qm
