#include "window/BackupWarning.h"

#include "shell/BackupStatus.h"
#include "shell/Dialogs.h"

#include <QDateTime>

void ShowBackupWarningIfDue()
{
    const QString warning = backupstatus::takeDailyWarning(QDateTime::currentDateTime());
    if (!warning.isEmpty())
        ShowMessage(warning);
}
