#pragma once

// At login: the warning about the backups (the newest one too old, or the last one failed), once a day.
void ShowBackupWarningIfDue();
