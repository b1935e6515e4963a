// The login panel: name and password checked against the users, the rights of the access string,
// then the workstation of the user and the work area.
#include "window/BackupWarning.h"
#include "window/FormCompras.h"
#include "window/LoginPanel.h"

#include "data/AsciiCase.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/Login.h"
#include "shell/Workstation.h"
#include "widgets/DBEdit.h"
#include "widgets/KeyRoles.h"
#include "widgets/UnhandledError.h"

#include <QMenuBar>
#include <QPushButton>

void TFormCompras::connectLoginHandlers()
{
    connect(PainelLogin, &LoginPanel::okClicked, this, [this] { RunGuarded([this] { BotOkSenhaClick(); }); });
    connect(PainelLogin, &LoginPanel::cancelClicked, this, [this] { RunGuarded([this] { BotCancSenhaClick(); }); });
    connect(PainelLogin, &LoginPanel::entered, this, [this] { RunGuarded([this] { PainelLoginEnter(); }); });
}

void TFormCompras::disconnectLoginHandlers()
{
    PainelLogin->stopReporting();
}

void TFormCompras::PainelLoginEnter()
{
    itemEntry_->cost->hide();
}

void TFormCompras::BotCancSenhaClick()
{
    close();
}

void TFormCompras::BotOkSenhaClick()
{
    const LoginCheck check = CheckLogin(dm_->SQLConnection1, PainelLogin->userName(), PainelLogin->password());
    if (check.financialAccessRead)
        session_.FinancialAccess = check.financialAccess;
    switch (check.outcome) {
    case LoginCheck::Outcome::Accepted:
        break;
    case LoginCheck::Outcome::WrongPassword:
        ShowMessage(LoginRefusalMessage(check.outcome, PainelLogin->userName()));
        PainelLogin->focusPassword();
        return;
    default:
        ShowMessage(LoginRefusalMessage(check.outcome, PainelLogin->userName()));
        PainelLogin->focusName();
        return;
    }

    enterWorkArea();
    session_.CurrentUserName = check.name;

    PainelLogin->setUserName(session_.CurrentUserName);
    const WorkstationBinding binding = IdentifyWorkstation(*dm_, session_);
    for (const QString& message : binding.messages)
        ShowMessage(message);
    if (!binding.caption.isEmpty())
        setWindowTitle(binding.caption);
    if (binding.databaseName.isEmpty()) {
        ShowMessage(QStringLiteral("Não foi identificada uma área de trabalho para o usuáro ") +
                    ascii::upper(PainelLogin->userName()));
        // Without a workstation nobody works here: the program ends, whatever the reminder's answer.
        closingWithoutReminder_ = true;
        close();
        return;
    }
    ShowBackupWarningIfDue();
}

void TFormCompras::enterWorkArea()
{
    PainelLogin->hide();
    PainelLogin->clearFields();
    keyroles::setCancelButton(this, BotSairCompras);
    BotSairCompras->setFocus(Qt::OtherFocusReason); // hidden: it does not take it
    PainelCompras->show();
    menuBar()->setEnabled(true);
    itemEntry_->cost->show();
    focusDateFieldIfUsable();
    EnableMainButtons();
    dm_->rules().setMode(InvoiceMode::Browsing);
}
