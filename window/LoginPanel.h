#pragma once

#include <QFrame>

class QLineEdit;
class QPushButton;

// The panel "Identificação do Usuário": name, password, "OK" and "Cancela". It owns its
// controls; the window hears of them through the signals and checks the login itself.
class LoginPanel : public QFrame {
    Q_OBJECT

public:
    explicit LoginPanel(QWidget* parent);

    QString userName() const;
    QString password() const;
    void setUserName(const QString& name);

    // Shows the panel in its place over the work area with the focus on the name.
    void showFor(const QString& userName);
    void clearFields();
    void focusName();
    void focusPassword();
    QPushButton* cancelButton() const { return BotCancSenha; }

    // While the window is taken apart its controls lose the focus one by one: from then on the
    // panel reports nothing.
    void stopReporting();

signals:
    void okClicked();
    void cancelClicked();
    // The focus came into the panel from outside it.
    void entered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* EditNome;
    QLineEdit* EditSenhaU;
    QPushButton* BotOkSenha;
    QPushButton* BotCancSenha;
    bool reporting_ = true;
};
