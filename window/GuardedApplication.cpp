#include "window/GuardedApplication.h"

#include "widgets/UnhandledError.h"

bool GuardedApplication::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
