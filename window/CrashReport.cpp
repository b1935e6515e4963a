#include "window/CrashReport.h"

#include "platform/ProductFolder.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/ErrorLog.h"
#include "widgets/UnhandledError.h"

void InstallCrashReporter(const SessionState& session)
{
    SetErrorReporter([&session](const std::exception& error) {
        const QString text = ErrorText(error);
        try {
            AppendErrorLog(productfolder::errorLog(), session.CurrentUserName, session.WorkstationCode, text);
        } catch (const std::exception&) {
            // A log that cannot be written must not hide the error itself.
        }
        ShowMessage(text);
    });
}
