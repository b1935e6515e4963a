#include "widgets/DatabaseWaitCursor.h"

#include "data/DbActivity.h"

#include <QApplication>

void InstallDatabaseWaitCursor()
{
    dbactivity::Hooks hooks;
    hooks.callBegins = [] { QApplication::setOverrideCursor(Qt::WaitCursor); };
    hooks.callEnds = [] { QApplication::restoreOverrideCursor(); };
    dbactivity::install(std::move(hooks));
}
