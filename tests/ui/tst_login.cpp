#include "admin/Users.h"
#include "db/Schema.h"
#include "platform/ProductFolder.h"
#include "shell/Credential.h"
#include "shell/ErrorLog.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/UnhandledError.h"
#include "window/CrashReport.h"

#include <QFile>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QtTest>

namespace {

const QString kStoreCnpj = QStringLiteral("11222333444455");

enum class Access { ModuleAndFinancial, ModuleOnly, Cut20, Cut15, None };

QString accessOf(Access access, QChar initial)
{
    switch (access) {
    case Access::ModuleAndFinancial:
        return users::accessString(initial, true);
    case Access::ModuleOnly:
        return users::accessString(initial, false);
    case Access::Cut20: // the financial right would stand at 24
        return users::accessString(initial, true).left(20);
    case Access::Cut15: // the module right would stand at 16
        return users::accessString(initial, true).left(15);
    case Access::None:
        return QString(100, QLatin1Char('x'));
    }
    return {};
}

void addUser(FbConnection& sql, const QString& name, const QString& password, Access access)
{
    sql.execute(QStringLiteral("insert into USUARIOS (USUARIO, SENHA, ACESSO) values (?, ?, ?)"),
                {EncodeCredential(name), EncodeCredential(password), accessOf(access, name.at(0))});
}

void addWorkstation(FbConnection& sql, const QString& code, const QString& user, const QString& cnpj)
{
    sql.execute(QStringLiteral("insert into ESTACOES (ESTACAO, DATBASNAM, USUARIO, CNPJ) values (?, 'C:\\K\\I', ?, ?)"),
                {code, user, cnpj.isEmpty() ? Value() : Value(cnpj)});
}

QString noWorkstationText(const QString& user)
{
    return QStringLiteral("Não foi possível selecionar uma área de trabalho para o usuário \"") + user +
           QStringLiteral("\". \r\rCausas prováveis: \r\r  1) Na tabela \"Estacoes.db\" não foi incluída uma estação "
                          "para o usuário \"") +
           user +
           QStringLiteral("\".\r     Obs: Criar também a área de trabalho física (pasta C:\\Korvanis\\InterfacXX) "
                          "para este usuário.\r  --> Favor contactar o suporte técnico da KOR SISTEMAS <--");
}

// A window at its login panel, with the users ANA (every right, password "123", workstation "012"
// of store 11222333444455, whose stock location is "Matriz") and whatever a test adds.
struct LoginWindow {
    LoginWindow()
    {
        addUser(w.sql(), QStringLiteral("ANA"), QStringLiteral("123"), Access::ModuleAndFinancial);
        addWorkstation(w.sql(), QStringLiteral("012"), QStringLiteral("ana"), kStoreCnpj);
        w.sql().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('Matriz', ?)"), {kStoreCnpj});
        w.session.DefaultStockLocation = QStringLiteral("Do arquivo");
    }
    bool up() { return w.startUp() && w.form->findChild<QWidget*>("PainelLogin")->isVisible(); }
    void login(const QString& name, const QString& password)
    {
        w.form->findChild<QLineEdit*>("EditNome")->setText(name);
        w.form->findChild<QLineEdit*>("EditSenhaU")->setText(password);
        w.form->findChild<QPushButton*>("BotOkSenha")->click();
    }
    QStringList messages() { return w.dialogs().messages; }

    WorkingWindow w;
};

} // namespace

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    // Until someone logs in, nothing but the login panel answers the keyboard: not the menu, not
    // the navigator. After the login the menu answers.
    void onlyTheLoginPanelAnswersBeforeLogin_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Alt+P: Pesquisa") << int(Qt::Key_P);
        QTest::newRow("Alt+T: Tabela") << int(Qt::Key_T);
        QTest::newRow("Alt+R: Relatórios") << int(Qt::Key_R);
        QTest::newRow("Alt+Ins: new invoice") << int(Qt::Key_Insert);
        QTest::newRow("Alt+Home: first invoice") << int(Qt::Key_Home);
    }

    void onlyTheLoginPanelAnswersBeforeLogin()
    {
        QFETCH(int, key);
        LoginWindow l;
        l.w.sql().execute(
            QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                           "GRUPDESP, CODIGOFORNECEDOR) values ('01', 1, '2024-03-01', '10', 'Alfa', 'SUP', '0001')"));
        l.w.sql().execute(
            QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                           "GRUPDESP, CODIGOFORNECEDOR) values ('01', 2, '2024-03-02', '11', 'Alfa', 'SUP', '0001')"));
        QVERIFY(l.up());
        TFormCompras& form = *l.w.form;
        QVERIFY(QTest::qWaitForWindowActive(&form));
        auto* name = form.findChild<QLineEdit*>("EditNome");
        QTRY_VERIFY(name->hasFocus());
        const qint64 invoice = l.w.dm->NFiscal.asInteger(QStringLiteral("CODIGO"));
        const QString typedName = name->text();

        QTest::keyClick(name, Qt::Key(key), Qt::AltModifier);
        QCoreApplication::processEvents();
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(form.PainelPesquisaCompras->isHidden());
        QVERIFY(form.TabelaNFiscais->isHidden());
        QCOMPARE(l.w.dm->NFiscal.state(), CachedDataset::State::Browse);
        QCOMPARE(l.w.dm->NFiscal.asInteger(QStringLiteral("CODIGO")), invoice);
        QVERIFY(name->hasFocus());
        QCOMPARE(name->text(), typedName); // a shortcut that answers nothing is no text either

        l.login(QStringLiteral("ana"), QStringLiteral("123"));
        QVERIFY(form.menuBar()->isEnabled());
    }

    // Typed by keyboard: Enter in the name goes to the password, Enter in the password logs in.
    void lowerCaseNameByKeyboard()
    {
        LoginWindow l;
        QVERIFY(l.up());
        TFormCompras& form = *l.w.form;
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.findChild<QLineEdit*>("EditNome")->clear();
        form.findChild<QLineEdit*>("EditNome")->setFocus();
        QTest::keyClicks(form.findChild<QLineEdit*>("EditNome"), QStringLiteral("ana"));
        QTest::keyClick(form.findChild<QLineEdit*>("EditNome"), Qt::Key_Return);
        QTRY_VERIFY(form.findChild<QLineEdit*>("EditSenhaU")->hasFocus());
        QTest::keyClicks(form.findChild<QLineEdit*>("EditSenhaU"), QStringLiteral("123"));
        QTest::keyClick(form.findChild<QLineEdit*>("EditSenhaU"), Qt::Key_Return);

        QCOMPARE(l.messages(), QStringList());
        QVERIFY(!form.findChild<QWidget*>("PainelLogin")->isVisible());
        QVERIFY(form.PainelCompras->isVisible() && form.findChild<QFrame*>("PainelDetalhes")->isVisible());
        QVERIFY(form.BotSairCompras->isEnabled());
        QCOMPARE(form.windowTitle(), QStringLiteral("  NOTAS FISCAIS DE SUPRIMENTOS DE USO INTERNO  -  Usuário: "
                                                    "\"ANA\"   Estação: 01  Loja: 11.222.333/4444-55"));
        const SessionState& s = l.w.session;
        QCOMPARE(s.CurrentUserName, QStringLiteral("ANA"));
        QCOMPARE(s.WorkstationCode, QStringLiteral("01"));
        QCOMPARE(s.StoreCnpj, kStoreCnpj);
        QCOMPARE(s.DefaultStockLocation, QStringLiteral("Matriz"));
        QVERIFY(s.FinancialAccess);
        const Values row = l.w.sql().executeRow(QStringLiteral("select EMUSO, ATCAIXA from ESTACOES"));
        QCOMPARE(std::get<QString>(row.at(0)), QStringLiteral("S"));
        QVERIFY(std::get<QString>(row.at(1)).startsWith(QStringLiteral("Ultima atividade: ")));
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("focused");

        QTest::newRow("no name") << ""
                                 << "123"
                                 << "Não foi informado o Nome do Usuário."
                                 << "EditNome";
        QTest::newRow("unknown user") << "ZECA"
                                      << "123"
                                      << "Usuário ZECA não autorizado"
                                      << "EditNome";
        QTest::newRow("name too long to be stored") << "ANAANAANAANAANAA"
                                                    << "123"
                                                    << "Usuário ANAANAANAANAANAA não autorizado"
                                                    << "EditNome";
        QTest::newRow("wrong password") << "ANA"
                                        << "124"
                                        << "Senha incorreta. Tente novamente."
                                        << "EditSenhaU";
        QTest::newRow("no module right") << "BETO"
                                         << "1"
                                         << "Usuário BETO não autorizado"
                                         << "EditNome";
        QTest::newRow("access string of 15") << "CIDA"
                                             << "1"
                                             << "Usuário CIDA não autorizado"
                                             << "EditNome";
    }

    void refusals()
    {
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(QString, message);
        QFETCH(QString, focused);
        LoginWindow l;
        addUser(l.w.sql(), QStringLiteral("BETO"), QStringLiteral("1"), Access::None);
        addUser(l.w.sql(), QStringLiteral("CIDA"), QStringLiteral("1"), Access::Cut15);
        QVERIFY(l.up());
        QVERIFY(QTest::qWaitForWindowActive(l.w.form.get()));
        l.login(name, password);
        QCOMPARE(l.messages(), QStringList{message});
        QVERIFY(l.w.form->findChild<QWidget*>("PainelLogin")->isVisible());
        QVERIFY(!l.w.form->PainelCompras->isVisible());
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), focused);
    }

    void passwordIgnoresLetterCase()
    {
        LoginWindow l;
        addUser(l.w.sql(), QStringLiteral("DORA"), QStringLiteral("ABC"), Access::ModuleAndFinancial);
        addWorkstation(l.w.sql(), QStringLiteral("02"), QStringLiteral("DORA"), kStoreCnpj);
        QVERIFY(l.up());
        l.login(QStringLiteral("DORA"), QStringLiteral("abc"));
        QCOMPARE(l.messages(), QStringList());
        QVERIFY(l.w.form->PainelCompras->isVisible());
    }

    void shortAccessStringGrantsTheModuleOnly()
    {
        LoginWindow l;
        addUser(l.w.sql(), QStringLiteral("EVA"), QStringLiteral("1"), Access::Cut20);
        addWorkstation(l.w.sql(), QStringLiteral("03"), QStringLiteral("EVA"), kStoreCnpj);
        l.w.session.FinancialAccess = true;
        QVERIFY(l.up());
        l.login(QStringLiteral("EVA"), QStringLiteral("1"));
        QCOMPARE(l.messages(), QStringList());
        QVERIFY(l.w.form->PainelCompras->isVisible());
        QVERIFY(!l.w.session.FinancialAccess);
    }

    // Nobody works without a workstation: the program ends, even with an invoice to remind of.
    void userWithoutWorkstationEndsTheProgram()
    {
        LoginWindow l;
        addUser(l.w.sql(), QStringLiteral("FABIO"), QStringLiteral("1"), Access::ModuleOnly);
        l.w.sql().execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, CODIGOFORNECEDOR, "
                                         "FORNECEDOR, GRUPDESP, VALBRUTO) values ('01', 1, '01/15/24', '10', '0001', "
                                         "'ACME', 'SUP', 100)"));
        QVERIFY(l.up());
        l.login(QStringLiteral("fabio"), QStringLiteral("1"));
        QCOMPARE(l.messages(),
                 (QStringList{noWorkstationText(QStringLiteral("FABIO")),
                              QStringLiteral("Não foi identificada uma área de trabalho para o usuáro FABIO")}));
        QCOMPARE(l.w.dialogs().questions, QStringList());
        QVERIFY(!l.w.form->isVisible());
        QVERIFY(!QFile::exists(productfolder::inUseStamp()));
    }

    void workstationWithoutCnpj()
    {
        LoginWindow l;
        addUser(l.w.sql(), QStringLiteral("GIL"), QStringLiteral("1"), Access::ModuleOnly);
        addWorkstation(l.w.sql(), QStringLiteral("07"), QStringLiteral("GIL"), QString());
        QVERIFY(l.up());
        l.login(QStringLiteral("GIL"), QStringLiteral("1"));
        QCOMPARE(l.messages(), QStringList{QStringLiteral("Erro na configuração da tabela ESTACOES:\rO campo CNPJ "
                                                          "tabela ESTACOES não foi preenchido para o a estação 07")});
        QVERIFY(l.w.form->PainelCompras->isVisible());
        QCOMPARE(l.w.form->windowTitle(), QStringLiteral("  NOTAS FISCAIS DE SUPRIMENTOS DE USO INTERNO  -  Usuário: "
                                                         "\"GIL\"   Estação: 07  Loja: ../-"));
        QCOMPARE(l.w.session.DefaultStockLocation, QStringLiteral("Do arquivo"));
    }

    // An error no handler catches: the clerk sees the server's text, erros.log keeps it, and the
    // window goes on answering.
    void errorInAHandlerIsReportedAndLogged()
    {
        LoginWindow l;
        QVERIFY(l.up());
        InstallCrashReporter(l.w.session);
        l.w.session.CurrentUserName = QStringLiteral("ANA");
        l.w.session.WorkstationCode = QStringLiteral("01");
        FbConnection& shared = l.w.dm->SQLConnection1;
        shared.execute(QStringLiteral("drop procedure VERIFICAR_USUARIO"));
        l.login(QStringLiteral("ANA"), QStringLiteral("123"));
        SetErrorReporter({});

        QCOMPARE(l.messages().size(), 1);
        QVERIFY2(l.messages().at(0).contains(QStringLiteral("VERIFICAR_USUARIO")), qPrintable(l.messages().at(0)));
        QFile log(productfolder::errorLog());
        QVERIFY(log.open(QIODevice::ReadOnly));
        const QString line = QString::fromLatin1(log.readAll());
        QVERIFY2(line.contains(QStringLiteral("ANA")) && line.contains(QStringLiteral("01")) &&
                     line.contains(QStringLiteral("VERIFICAR_USUARIO")),
                 qPrintable(line));

        schema::createMissingAccess(shared, QStringLiteral("shared-access.sql"));
        l.login(QStringLiteral("ANA"), QStringLiteral("123"));
        QCOMPARE(l.messages().size(), 1);
        QVERIFY(l.w.form->PainelCompras->isVisible());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
