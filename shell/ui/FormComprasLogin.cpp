// The login panel: name and password checked against the users, the rights of the access string,
// then the workstation of the user and the work area.
#include "shell/ui/FormCompras.h"

#include "data/AsciiCase.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/HeaderEntry.h"
#include "entry/ui/ItemEntry.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/Login.h"
#include "shell/Workstation.h"
#include "widgets/DBEdit.h"
#include "widgets/EnterAsTab.h"
#include "widgets/KeyRoles.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The keys and focus changes of the login fields that Qt's own signals do not give.
class LoginFieldEvents : public QObject {
public:
    LoginFieldEvents(TFormCompras& form) : QObject(&form), form_(form)
    {
        setObjectName(kName);
        form.EditNome->installEventFilter(this);
        form.EditSenhaU->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == form_.EditNome && event->type() == QEvent::FocusOut)
            RunGuarded([this] { form_.EditNomeExit(); });
        if (watched == form_.EditSenhaU && event->type() == QEvent::KeyPress &&
            IsEnterKey(*static_cast<QKeyEvent*>(event))) {
            form_.BotOkSenha->click();
            return true;
        }
        return false;
    }

    inline static const QString kName = QStringLiteral("loginFieldEvents");

private:
    TFormCompras& form_;
};

} // namespace

void TFormCompras::connectLoginHandlers()
{
    EnterMovesToNextControl(EditNome);
    new LoginFieldEvents(*this);
    connect(BotOkSenha, &QPushButton::clicked, this, [this] { RunGuarded([this] { BotOkSenhaClick(); }); });
    connect(BotCancSenha, &QPushButton::clicked, this, [this] { RunGuarded([this] { BotCancSenhaClick(); }); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool wasInside = old && PainelLogin->isAncestorOf(old);
        if (now && PainelLogin->isAncestorOf(now) && !wasInside)
            RunGuarded([this] { PainelLoginEnter(); });
    });
}

// While the window is taken apart its controls lose the focus one by one: no login handler may
// look at them then.
void TFormCompras::disconnectLoginHandlers()
{
    disconnect(qApp, &QApplication::focusChanged, this, nullptr);
    delete findChild<QObject*>(LoginFieldEvents::kName, Qt::FindDirectChildrenOnly);
}

void TFormCompras::PainelLoginEnter()
{
    itemEntry_->cost->hide();
}

void TFormCompras::EditNomeExit()
{
    EditNome->setText(ascii::upper(EditNome->text()));
}

void TFormCompras::BotCancSenhaClick()
{
    close();
}

void TFormCompras::BotOkSenhaClick()
{
    const LoginCheck check = CheckLogin(dm_->Usuarios, EditNome->text(), EditSenhaU->text());
    if (check.financialAccessRead)
        session_.FinancialAccess = check.financialAccess;
    switch (check.outcome) {
    case LoginCheck::Outcome::Accepted:
        break;
    case LoginCheck::Outcome::WrongPassword:
        ShowMessage(LoginRefusalMessage(check.outcome, EditNome->text()));
        EditSenhaU->setFocus(Qt::OtherFocusReason);
        return;
    default:
        ShowMessage(LoginRefusalMessage(check.outcome, EditNome->text()));
        EditNome->setFocus(Qt::OtherFocusReason);
        return;
    }

    enterWorkArea();
    session_.CurrentUserName = check.name;

    EditNome->setText(session_.CurrentUserName);
    const WorkstationBinding binding = IdentifyWorkstation(*dm_, session_);
    for (const QString& message : binding.messages)
        ShowMessage(message);
    if (!binding.caption.isEmpty())
        setWindowTitle(binding.caption);
    if (binding.databaseName.isEmpty()) {
        ShowMessage(QStringLiteral("Não foi identificada uma área de trabalho para o usuáro ") +
                    ascii::upper(EditNome->text()));
        // Without a workstation nobody works here: the program ends, whatever the reminder's answer.
        closingWithoutReminder_ = true;
        close();
    }
}

void TFormCompras::enterWorkArea()
{
    PainelLogin->hide();
    EditNome->clear();
    EditSenhaU->clear();
    keyroles::setCancelButton(this, BotSairCompras);
    BotSairCompras->setFocus(Qt::OtherFocusReason); // hidden: it does not take it
    PainelCompras->show();
    itemEntry_->cost->show();
    if (headerEntry_->isDateFieldEnabledAndVisible())
        headerEntry_->focusDateField();
    EnableMainButtons();
}
