// Lost-focus checks of text boxes.
#include "settings/lost_focus_watcher.h"

#include <QFocusEvent>
#include <QLineEdit>

namespace {

// Focus that moves to another window (a message box, a menu) is not the user
// leaving the box.
bool leavesForAnotherControl(Qt::FocusReason reason)
{
    return reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason;
}

} // namespace

void LostFocusWatcher::watch(QLineEdit& box, std::function<void()> check)
{
    checks_.emplace_back(&box, std::move(check));
    box.installEventFilter(this);
}

void LostFocusWatcher::giveFocusBack(QLineEdit& box)
{
    returningFocus_ = true;
    box.setFocus(Qt::OtherFocusReason);
    returningFocus_ = false;
}

bool LostFocusWatcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::FocusOut || returningFocus_)
        return false;
    if (!leavesForAnotherControl(static_cast<QFocusEvent*>(event)->reason()))
        return false;
    for (const auto& [box, check] : checks_) {
        // The check may show a message box and move the focus; it runs once the
        // focus change in progress is complete.
        if (box == watched)
            QMetaObject::invokeMethod(this, check, Qt::QueuedConnection);
    }
    return false;
}
