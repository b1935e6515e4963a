#include "data/Formats.h"
#include "platform/ProductFolder.h"
#include "platform/TerminationSignals.h"
#include "shell/InUseStamp.h"
#include "shell/LogonUser.h"
#include "tests/support/ScopedEnv.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBGrid.h"
#include "widgets/DBNavigator.h"
#include "window/QtDialogs.h"

#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QToolButton>
#include <QtTest>

#include <cmath>
#include <csignal>

namespace {

const QString kAnotherModule = QStringLiteral(
    "Você tentou executar mais de um módulo do KORVANIS ao mesmo tempo.\rEste sistema foi projetado para executar "
    "somente um módulo de cada \rvez no mesmo computador. Este módulo será finalizado.");
const QString kReminder =
    QStringLiteral("ATENÇÃO: Esta Nota Fiscal ainda não foi incluída no \"Contas a Pagar\".\rDeseja fazer isso agora?");

QString readStamp()
{
    QFile f(productfolder::inUseStamp());
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).trimmed() : QString();
}

void writeStamp(const QString& text)
{
    QFile f(productfolder::inUseStamp());
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toLatin1() + "\r\n");
}

// A closed supply invoice (gross value 100) of supplier ACME, with or without its payable.
void addClosedInvoice(FbConnection& sql, bool inPayables)
{
    sql.execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, CODIGOFORNECEDOR, FORNECEDOR, "
                               "GRUPDESP, VALBRUTO) values ('01', 1, '01/15/24', '10', '0001', 'ACME', 'SUP', 100)"));
    if (inPayables)
        sql.execute(
            QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR) values (1, 'N.Fiscal 10 ACME', "
                           "100)"));
}

// Relative luminance and contrast ratio of two colours, as the accessibility guidelines define them.
double luminance(const QColor& c)
{
    const auto channel = [](double v) {
        v /= 255.0;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(const QColor& a, const QColor& b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

} // namespace

// The window's life: the start-up sequence, the single-module guard, closing, and the timers.
class TestWindowLife : public QObject {
    Q_OBJECT

private slots:
    void singleModuleGuard_data()
    {
        QTest::addColumn<int>("secondsAgo"); // the stamp's age; INT_MIN: no stamp, INT_MAX: unreadable
        QTest::addColumn<bool>("refused");
        QTest::newRow("no stamp") << INT_MIN << false;
        QTest::newRow("30 seconds ago") << 30 << true;
        QTest::newRow("41 seconds ago") << 41 << false;
        QTest::newRow("in the future") << -20 << true;
        QTest::newRow("unreadable") << INT_MAX << false;
    }

    void singleModuleGuard()
    {
        QFETCH(int, secondsAgo);
        QFETCH(bool, refused);
        WorkingWindow w;
        QString stamp;
        if (secondsAgo == INT_MAX)
            stamp = QStringLiteral("ontem à tarde");
        else if (secondsAgo != INT_MIN)
            stamp = formats::dateTimeText(QDateTime::currentDateTime().addSecs(-secondsAgo));
        if (!stamp.isEmpty())
            writeStamp(stamp);

        QVERIFY(w.startUp());
        QCOMPARE(w.form->refusedByGuard(), refused);
        if (refused) {
            QCOMPARE(w.dialogs().messages, QStringList{kAnotherModule});
            QTRY_VERIFY(!w.form->isVisible());
            QCOMPARE(readStamp(), stamp); // it belongs to the module that is running
            QVERIFY(!w.dm->NFiscal.isOpen());
        } else {
            QCOMPARE(w.dialogs().messages, QStringList());
            QVERIFY(w.form->findChild<QWidget*>("PainelLogin")->isVisible());
            QVERIFY(readStamp() != stamp);
            QCOMPARE(stamp::check(productfolder::inUseStamp()), stamp::Verdict::Live);
            QVERIFY(w.form->Timer2->isActive());
        }
    }

    // A product folder where the stamp cannot be written (here a folder stands in its place):
    // one message, and the window closes instead of staying blank.
    void unwritableProductFolderEndsCleanly()
    {
        WorkingWindow w;
        QVERIFY(QDir().mkpath(productfolder::inUseStamp()));
        QVERIFY(w.startUp());
        QCOMPARE(w.dialogs().messages.size(), 1);
        QVERIFY2(w.dialogs().messages.front().contains(QStringLiteral("não pode ser gravada: o programa será "
                                                                      "encerrado")),
                 qPrintable(w.dialogs().messages.front()));
        QTRY_VERIFY(!w.form->isVisible());
        QVERIFY(!w.dm->NFiscal.isOpen());
    }

    // With every table empty the window still comes up at its login panel.
    void startUpWithEmptyTables()
    {
        WorkingWindow w;
        w.session.LastSupplierCode = 9;
        w.session.StockLocationCount = 9;
        QVERIFY(w.startUp());
        TFormCompras& form = *w.form;
        QCOMPARE(w.dialogs().messages, QStringList());
        QCOMPARE(w.session.StockLocationCount, 0);
        QCOMPARE(form.findChild<DBGrid*>("DBGrid1")->pickList(5), QStringList());
        QCOMPARE(w.session.LastSupplierCode, 0);
        QCOMPARE(form.DBComboBox1->count(), 1);
        QCOMPARE(form.DBComboBox1->itemText(0), QStringLiteral("Datas e valores diversos"));
        QVERIFY(w.dm->NFiscal.isOpen() && w.dm->NFiscal.isEmpty() && w.dm->Compras.isEmpty());
        QVERIFY(!w.dm->Compras2.isOpen());

        QVERIFY(form.findChild<QWidget*>("PainelLogin")->isVisible());
        QCOMPARE(form.findChild<QWidget*>("PainelLogin")->geometry(), QRect(224, 149, 331, 130));
        QCOMPARE(form.findChild<QLineEdit*>("EditNome")->text(), GetLogonUserName());
        QCOMPARE(w.session.CurrentUserName, GetLogonUserName());
        QVERIFY(!form.PainelCompras->isVisible() && !form.findChild<QFrame*>("PainelDetalhes")->isVisible());
        QVERIFY(form.BotSairCompras->isEnabled()); // the sequence ends enabling the main buttons
        QVERIFY(!form.findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        QCOMPARE(form.findChild<QFrame*>("PainelAlertaCusto")->pos(), QPoint(268, 104));
        QCOMPARE(form.PainelAguarde->parentWidget(), form.PainelCompras);
        QTRY_VERIFY(form.findChild<QLineEdit*>("EditNome")->hasFocus());
    }

    void startUpLists()
    {
        WorkingWindow w;
        FbConnection& sql = w.sql();
        sql.execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('Matriz', '1')"));
        sql.execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values ('Filial', '2')"));
        sql.execute(QStringLiteral("insert into FORNECED (CODIGO, NOMEFANTASIA) values ('0007', 'ZETA')"));
        sql.execute(QStringLiteral("insert into FORNECED (CODIGO, NOMEFANTASIA) values ('0012', 'ALFA')"));
        sql.execute(QStringLiteral("insert into FORMASPG (CODIGOFP, DESCRICAO) values (1, 'Boleto 30 dias')"));
        sql.execute(QStringLiteral("insert into FORMASPG (CODIGOFP, DESCRICAO) values (2, null)"));
        sql.execute(QStringLiteral("insert into FORMASPG (CODIGOFP, DESCRICAO) values (3, 'A vista')"));
        QVERIFY(w.startUp());
        QCOMPARE(w.form->findChild<DBGrid*>("DBGrid1")->pickList(5), (QStringList{"Filial", "Matriz"}));
        QCOMPARE(w.session.StockLocationCount, 2);
        QCOMPARE(w.session.LastSupplierCode, 7);
        QStringList entries;
        for (int i = 0; i < w.form->DBComboBox1->count(); ++i)
            entries << w.form->DBComboBox1->itemText(i);
        QCOMPARE(entries, (QStringList{"Datas e valores diversos", "A vista", "Boleto 30 dias"}));
    }

    void lastSupplierCodeNotANumber()
    {
        WorkingWindow w;
        w.sql().execute(QStringLiteral("insert into FORNECED (CODIGO, NOMEFANTASIA) values ('X1', 'ZETA')"));
        QVERIFY(w.startUp());
        QCOMPARE(w.dialogs().messages, QStringList());
        QCOMPARE(w.session.LastSupplierCode, 0);
    }

    // The sweep reports what it marked; the last invoice stays current.
    void sweepMessageAndLastInvoice()
    {
        WorkingWindow w;
        FbConnection& sql = w.sql();
        sql.execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('P1', 'XAROPE', 'REV')"));
        for (int code = 1; code <= 2; ++code) {
            sql.execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, CODIGOFORNECEDOR, "
                                       "FORNECEDOR, GRUPDESP) values ('01', ?, '01/15/24', ?, '0001', 'ACME', 'SUP')"),
                        {qint64(code), QString::number(code * 10)});
            sql.execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, "
                                       "COMPONENTE, CODIGOFORNECEDOR, CODIGO, VALIDADE) values ('01', ?, '01/15/24', "
                                       "?, 'ACME', 'XAROPE', '0001', 'P1', '01/01/20')"),
                        {qint64(code), QString::number(code * 10)});
        }
        QVERIFY(w.startUp());
        QCOMPARE(w.dialogs().messages,
                 QStringList{QStringLiteral("Foi feita a identificação e o registro automático de 2 lotes vencidos que "
                                            "não haviam sido utilizados ainda.")});
        QCOMPARE(w.dm->NFiscal.asText("NOTAFISCAL"), QStringLiteral("20"));
        QCOMPARE(w.dm->Compras.asText("NOTAFISCAL"), QStringLiteral("20"));
        QVERIFY(!w.form->PainelAguarde->isVisible());
    }

    void closeAsksTheReminder_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes: the window stays") << true;
        QTest::newRow("No: the program ends") << false;
    }

    void closeAsksTheReminder()
    {
        QFETCH(bool, answer);
        WorkingWindow w;
        addClosedInvoice(w.sql(), false);
        QVERIFY(w.startWork());
        w.dialogs().answers = {answer};
        w.form->Sair1->trigger();
        QCOMPARE(w.dialogs().questions, QStringList{kReminder});
        if (answer) {
            QCOMPARE(w.dialogs().messages, QStringList{QStringLiteral("Especifique a \"FORMA DE PAGAMENTO\" e acione o "
                                                                      "botão \"INCLUIR NO CONTAS A PAGAR\".")});
            QVERIFY(w.form->isVisible());
            QVERIFY(w.form->DBComboBox1->isEnabled());
            QTRY_VERIFY(w.form->DBComboBox1->hasFocus());
            QVERIFY(QFile::exists(productfolder::inUseStamp()));
        } else {
            QCOMPARE(w.dialogs().messages, QStringList());
            QVERIFY(!w.form->isVisible());
            QVERIFY(!QFile::exists(productfolder::inUseStamp()));
            QVERIFY(!w.dm->NFiscal.isOpen() && !w.dm->Compras.isOpen() && !w.dm->Componentes.isOpen());
            QVERIFY(!w.form->Timer2->isActive() && !w.form->Timer3->isActive());
        }
    }

    void noReminderForAnInvoiceInPayables()
    {
        WorkingWindow w;
        addClosedInvoice(w.sql(), true);
        QVERIFY(w.startWork());
        w.form->close();
        QCOMPARE(w.dialogs().questions, QStringList());
        QVERIFY(!w.form->isVisible());
    }

    // The menu's entries open with Alt and their letter.
    void menuAltKeys()
    {
        WorkingWindow w;
        QVERIFY(w.startWork());
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::AltModifier);
        auto* reports = w.form->findChild<QMenu*>("Relatorios1");
        QTRY_VERIFY(reports->isVisible());
        QTest::keyClick(reports, Qt::Key_Escape);
        QTRY_VERIFY(!reports->isVisible());
        if (QApplication::focusWidget() == w.form->menuBar())
            QTest::keyClick(w.form->menuBar(), Qt::Key_Escape);
        w.dialogs().answers = {false};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
        QTRY_VERIFY(!w.form->isVisible());
    }

    // While an invoice is browsed its fields, totals and items are read-only: their text keeps a
    // contrast of at least 4.5:1 against their background, as while they are typed into.
    void browsedInvoiceReadsClearly()
    {
        WorkingWindow w;
        addClosedInvoice(w.sql(), true);
        QVERIFY(w.startWork());
        const auto* grid = w.form->findChild<QWidget*>("DBGrid1");
        QVERIFY(!grid->isEnabled()); // browsing
        for (const char* name :
             {"DBEditData", "DBEdit6", "DBEditNotaFiscal", "DBEditForn", "DBEdit1", "DBEdit2", "DBEdit3", "DBGrid1"}) {
            const auto* control = w.form->findChild<QWidget*>(name);
            QVERIFY2(control, name);
            const QPalette::ColorGroup group = control->isEnabled() ? QPalette::Active : QPalette::Disabled;
            const QPalette& p = control->palette();
            const double ratio = contrast(p.color(group, QPalette::Text), p.color(group, QPalette::Base));
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1: %2:1").arg(QLatin1String(name)).arg(ratio)));
        }
        const QPalette& titles = w.form->findChild<DBGrid*>("DBGrid1")->horizontalHeader()->palette();
        QVERIFY(contrast(titles.color(QPalette::Disabled, QPalette::ButtonText),
                         titles.color(QPalette::Disabled, QPalette::Button)) >= 4.5);
    }

    // Escape answers at the login panel (closing the window, after the same reminder), and
    // nowhere once logged in.
    void escape_data()
    {
        QTest::addColumn<bool>("loggedIn");
        QTest::newRow("at the login panel") << false;
        QTest::newRow("after login") << true;
    }

    void escape()
    {
        QFETCH(bool, loggedIn);
        WorkingWindow w;
        addClosedInvoice(w.sql(), false);
        w.dialogs().answers = {false};
        QVERIFY(loggedIn ? w.startWork() : w.startUp());
        QVERIFY(QTest::qWaitForWindowActive(w.form.get()));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        if (loggedIn) {
            QCOMPARE(w.dialogs().questions, QStringList());
            QVERIFY(w.form->isVisible());
        } else {
            QCOMPARE(w.dialogs().questions, QStringList{kReminder});
            QVERIFY(!w.form->isVisible());
            QVERIFY(!QFile::exists(productfolder::inUseStamp()));
        }
    }

    // The system ends the program (SIGTERM, as a shutdown sends it) while a message box waits for
    // the clerk, on an invoice whose close would ask the accounts-payable reminder: the box goes,
    // nobody is asked anything, the receipt date typed into the header is stored as a normal
    // close stores it, and the program ends.
    void terminationSignalEndsTheProgramWithAMessageBoxOpen()
    {
        WorkingWindow w;
        addClosedInvoice(w.sql(), false);
        QVERIFY(w.startWork());
        Dialogs::install(std::make_unique<QtDialogs>()); // boxes that wait for the clerk
        w.form->findChild<DBNavigator*>("DBNavigator5")->button(DBNavigator::Edit)->click();
        auto* receipt = w.form->findChild<DBEdit*>("DBEdit6");
        receipt->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(receipt->hasFocus());
        receipt->selectAll();
        QTest::keyClicks(receipt, "200124");

        QuitOnTerminationSignals();
        SetTerminationHandler([&w] { w.form->endOnTerminationSignal(); });
        QTimer::singleShot(0, [] { ShowMessage(QStringLiteral("Confira os dados da Nota Fiscal.")); });
        QTimer signalOnceShown;
        connect(&signalOnceShown, &QTimer::timeout, [&signalOnceShown] {
            if (!QApplication::activeModalWidget())
                return;
            signalOnceShown.stop();
            std::raise(SIGTERM);
        });
        signalOnceShown.start(10);
        // Ends a failing run, which would wait for an answer.
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
        guard.start(30000);
        const int exitCode = QApplication::exec();
        SetTerminationHandler({});

        QCOMPARE(exitCode, 0);
        QVERIFY(!w.form->isVisible());
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(!QFile::exists(productfolder::inUseStamp()));
        QCOMPARE(std::get<qint64>(w.sql()
                                      .executeRow(QStringLiteral(
                                          "select count(*) from NFISCAL where CODIGO = 1 and DATARECEBIM = '01/20/24'"))
                                      .front()),
                 1);
    }

    // The activity file: date and time lines; a folder that is not there stops the timer, reported.
    void activityTimer()
    {
        WorkingWindow w;
        w.form->Timer3Timer();
        QFile file(productfolder::activityFile());
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromLatin1(file.readAll()).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.at(0), formats::shortDate2(QDate::currentDate()));
        QCOMPARE(lines.at(1).size(), 8);
        QVERIFY(w.form->Timer3->isActive());
        QCOMPARE(w.dialogs().messages, QStringList());

        ScopedEnv missing("KORVANIS_DIR", QFile::encodeName(w.db.productFolder() + QStringLiteral("/nada")));
        w.form->Timer3Timer();
        QCOMPARE(w.dialogs().messages.size(), 1);
        QVERIFY(!w.form->Timer3->isActive());
    }
};

QTEST_MAIN(TestWindowLife)
#include "tst_windowlife.moc"
