#include "platform/TerminationSignals.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "reports/ReportModule.h"
#include "reports/ui/QtReportOutput.h"
#include "shell/Dialogs.h"
#include "shell/QtTranslations.h"
#include "widgets/DatabaseActivity.h"
#include "widgets/UnhandledError.h"
#include "window/CrashReport.h"
#include "window/FormCompras.h"
#include "window/GuardedApplication.h"
#include "window/QtDialogs.h"
#include "window/StartUp.h"

#include <cstdio>
#include <cstring>

namespace {

const QString kApplicationTitle = QStringLiteral("Cadastro de Compras de Produtos e Componentes");
constexpr int kExitUnexpectedError = 3;

void takeSettings(SessionState& session, const LocalSettings& settings)
{
    session.ServerAddress = settings.ServerAddress;
    session.WindowColour = settings.WindowColour;
    session.DefaultStockLocation = settings.DefaultStockLocation;
    session.AutoPriceUpdate = settings.autoPriceUpdateOn();
    session.NfeInboxFolder = settings.NfeInboxFolder;
    session.ProgramFolder = settings.ProgramFolder;
}

// Qt's own texts (the print dialog, the preview's tools, the edit menus) in Portuguese, when the
// translations are installed.
// The settings and the databases first (either missing ends the program with its message), then
// the data module and the report module, and the window on them; showing the window starts the
// work.
int run(QApplication& app)
{
    StartUp startUp(QCoreApplication::applicationDirPath());
    const StartUp::Outcome outcome = startUp.run();
    if (outcome != StartUp::Outcome::Connected)
        return StartUp::exitCode(outcome);
    QuitOnTerminationSignals();
    InstallDatabaseActivityDisplay();

    SessionState session;
    takeSettings(session, startUp.settings());
    InstallCrashReporter(session);
    TDM dm(startUp.connections().shared, startUp.connections().workstation, session);
    TRM RM(dm, session);
    TFormCompras form(dm, RM);
    form.show();
    SetTerminationHandler([&form] { form.endOnTerminationSignal(); });
    const int exitCode = app.exec();
    SetTerminationHandler({});
    SetErrorReporter({});
    return exitCode;
}

} // namespace

int main(int argc, char** argv)
{
    // Answered before anything needs a display or a settings file.
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("korvanis (Korvanis Compras) %s\n", KORVANIS_VERSION);
        return 0;
    }
    GuardedApplication app(argc, argv);
    QtDialogs::makeDefault();
    QtReportOutput::makeDefault();
    InstallQtTranslations(app);
    // The title names the program to the clerk (message boxes carry it). No display name is set:
    // the platform would append it to the window's caption, which must show the login in full.
    QApplication::setApplicationName(kApplicationTitle);
    try {
        return run(app);
    } catch (const std::exception& e) {
        ShowMessage(QStringLiteral("Erro inesperado: ") + QString::fromStdString(e.what()));
        return kExitUnexpectedError;
    }
}
