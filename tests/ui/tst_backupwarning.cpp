#include "admin/Users.h"
#include "shell/BackupStatus.h"
#include "shell/Credential.h"
#include "tests/ui/WorkingWindow.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

namespace {

// The window at its login panel with the user ANA (password "123") and her workstation.
struct LoginWindow {
    LoginWindow()
    {
        const QString cnpj = QStringLiteral("11222333444455");
        w.sql().execute(QStringLiteral("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)"),
                        {EncodeCredential(QStringLiteral("ANA")), EncodeCredential(QStringLiteral("123")),
                         users::accessString(QLatin1Char('A'), true)});
        w.sql().execute(
            QStringLiteral(
                "insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO, CNPJ) values ('01', 'C:\\K\\I', 'ANA', ?)"),
            {cnpj});
        w.sql().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('Matriz', ?)"), {cnpj});
    }
    QStringList logIn(const QString& password)
    {
        if (!w.startUp())
            return {QStringLiteral("a janela não iniciou")};
        w.form->findChild<QLineEdit*>("EditNome")->setText(QStringLiteral("ANA"));
        w.form->findChild<QLineEdit*>("EditSenhaU")->setText(password);
        w.form->findChild<QPushButton*>("BotOkSenha")->click();
        return w.dialogs().messages;
    }

    WorkingWindow w;
};

} // namespace

class TestBackupWarning : public QObject {
    Q_OBJECT

private slots:
    // The warning comes after a successful login, not at a refused one.
    void failedBackupIsToldAfterLogin()
    {
        LoginWindow first;
        const QString folder = first.w.db.productFolder() + QStringLiteral("/backups");
        backupstatus::recordFailure(folder, QStringLiteral("disco cheio"), QDateTime::currentDateTime());

        const QStringList refused = first.logIn(QStringLiteral("errada"));
        QVERIFY2(refused.filter(QStringLiteral("backup")).isEmpty(), qPrintable(refused.join('|')));
        first.w.dialogs().messages.clear();
        first.w.form->findChild<QLineEdit*>("EditSenhaU")->setText(QStringLiteral("123"));
        first.w.form->findChild<QPushButton*>("BotOkSenha")->click();
        const QStringList shown = first.w.dialogs().messages;
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.front().contains(QStringLiteral("falhou:\rdisco cheio")) && shown.front().contains(folder),
                 qPrintable(shown.front()));
        QVERIFY(first.w.form->PainelCompras->isVisible());
    }
};

QTEST_MAIN(TestBackupWarning)
#include "tst_backupwarning.moc"
