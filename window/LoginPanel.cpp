#include "window/LoginPanel.h"

#include "data/AsciiCase.h"
#include "widgets/EnterAsTab.h"
#include "widgets/FocusColours.h"
#include "widgets/PanelParts.h"
#include "widgets/UnhandledError.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QRect kPlace(224, 149, 331, 130);
constexpr int kNameChars = 60;

QLineEdit* field(QWidget* panel, const QString& name, int top)
{
    auto* edit = new QLineEdit(panel);
    edit->setObjectName(name);
    edit->setGeometry(70, top, 240, 22);
    HighlightOnFocus(edit);
    return edit;
}

QPushButton* button(QWidget* panel, const QString& name, const QString& caption, int left)
{
    auto* b = new QPushButton(caption, panel);
    b->setObjectName(name);
    b->setGeometry(left, 94, 75, 26);
    return b;
}

} // namespace

LoginPanel::LoginPanel(QWidget* parent) : QFrame(parent)
{
    panelparts::framePanel(this, QStringLiteral("PainelLogin"), kPlace);
    panelparts::titleBar(this, QStringLiteral("PainelLoginTitulo"), QStringLiteral("Identificação do Usuário"));

    panelparts::label(this, QStringLiteral("Nome"), 16, 34);
    EditNome = field(this, QStringLiteral("EditNome"), 30);
    EditNome->setMaxLength(kNameChars);
    panelparts::label(this, QStringLiteral("Senha"), 16, 64);
    EditSenhaU = field(this, QStringLiteral("EditSenhaU"), 60);
    EditSenhaU->setEchoMode(QLineEdit::Password);
    // Every typed character of the password shows as "#".
    EditSenhaU->setStyleSheet(QStringLiteral("lineedit-password-character: %1;").arg(int(u'#')));
    BotOkSenha = button(this, QStringLiteral("BotOkSenha"), QStringLiteral("OK"), 90);
    BotCancSenha = button(this, QStringLiteral("BotCancSenha"), QStringLiteral("Cancela"), 170);
    setTabOrder(EditNome, EditSenhaU);
    setTabOrder(EditSenhaU, BotOkSenha);
    setTabOrder(BotOkSenha, BotCancSenha);

    EnterMovesToNextControl(EditNome);
    EditNome->installEventFilter(this);
    EditSenhaU->installEventFilter(this);
    connect(BotOkSenha, &QPushButton::clicked, this, &LoginPanel::okClicked);
    connect(BotCancSenha, &QPushButton::clicked, this, &LoginPanel::cancelClicked);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        const bool wasInside = old && isAncestorOf(old);
        if (reporting_ && now && isAncestorOf(now) && !wasInside)
            emit entered();
    });
}

QString LoginPanel::userName() const
{
    return EditNome->text();
}

QString LoginPanel::password() const
{
    return EditSenhaU->text();
}

void LoginPanel::setUserName(const QString& name)
{
    EditNome->setText(name);
}

void LoginPanel::showFor(const QString& userName)
{
    EditNome->setText(userName);
    setGeometry(kPlace);
    show();
    raise();
    focusName();
}

void LoginPanel::clearFields()
{
    EditNome->clear();
    EditSenhaU->clear();
}

void LoginPanel::focusName()
{
    panelparts::tryFocus(EditNome);
}

void LoginPanel::focusPassword()
{
    panelparts::tryFocus(EditSenhaU);
}

void LoginPanel::stopReporting()
{
    reporting_ = false;
}

bool LoginPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (!reporting_)
        return false;
    // Before the login the menu answers no Alt key; the letter of one is no text for the name or
    // the password either.
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->modifiers().testFlag(Qt::AltModifier))
        return true;
    // The name is kept in capitals, as the users table holds it.
    if (watched == EditNome && event->type() == QEvent::FocusOut)
        EditNome->setText(ascii::upper(EditNome->text()));
    if (watched == EditSenhaU && event->type() == QEvent::KeyPress && IsEnterKey(*static_cast<QKeyEvent*>(event))) {
        BotOkSenha->click();
        return true;
    }
    return false;
}
