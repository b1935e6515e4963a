#include "admin/Generator.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "payments/CustomInstalments.h"
#include "payments/IncludeInPayables.h"
#include "payments/PayableDescription.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "tests/support/CallerWalk.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

namespace {

const QString kSuccess = QStringLiteral(
    "                           * * * SUCESSO * * *\r-> Nota Fiscal incluída corretamente no Contas a Pagar.");
const QString kDescription = QStringLiteral("N.Fiscal 4711 D'Ávila Química");

} // namespace

// The schedule of an invoice sent to accounts payable, and the instalments typed for it, on a
// real database: one invoice "4711" of D'Ávila Química, closed, with the payment forms a test adds.
class TestPayments : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    SessionState session;
    std::unique_ptr<TDM> dm;
    RecordingDialogs* dialogs = nullptr;

    FbConnection& sql() { return db->connection(); }

    qint64 count(const QString& statement) { return std::get<qint64>(sql().executeRow(statement).front()); }

    void addForm(int code, const QString& type, const QString& description, const QString& days, int count,
                 const QString& surcharge = QStringLiteral("0"))
    {
        sql().execute(QStringLiteral("insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS, TAXA1) "
                                     "values (?, ?, ?, ?, ?, ") +
                          surcharge + QStringLiteral(")"),
                      {qint64(code), type, description, days, qint64(count)});
    }

    // The invoice, closed with its net value, positioned in `NFiscal`.
    void addInvoice(const QDate& date, const QString& net, const QString& form)
    {
        sql().execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                     "CODIGOFORNECEDOR, GRUPDESP, VALBRUTO, VALLIQUIDO, FORMAPAGTO) values "
                                     "('01', 1, ?, '4711', 'D''Ávila Química', '0001', 'SUP', ") +
                          net + QStringLiteral(", ") + net + QStringLiteral(", ?)"),
                      {date, form});
        dm->NFiscal.close();
        dm->NFiscal.open();
    }

    void setPaymentForm(const QString& form)
    {
        sql().execute(QStringLiteral("update NFISCAL set FORMAPAGTO = ?"), {form});
        dm->NFiscal.refresh();
    }

    void addInstalment(int code, int order, const QString& date, const QString& value,
                       const QString& number = QStringLiteral("4711"))
    {
        sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                     "values (?, ?, ") +
                          (date.isEmpty() ? QStringLiteral("null") : QStringLiteral("'") + date + QStringLiteral("'")) +
                          QStringLiteral(", ") + value + QStringLiteral(", ?, 'D''Ávila Química')"),
                      {qint64(code), qint64(order), number});
    }

    // Every payable of the invoice: due date, amount, remarks, accrual period and status.
    QStringList payables()
    {
        QStringList out;
        auto cursor = sql().openCursor(
            QStringLiteral("select VENCIMENTO, VALOR, OBSERVACOES, COMPETENCIA, SITUACAO, CODPLANOCT from CTAPAGAR "
                           "where DESCRICAO = ? order by VENCIMENTO, CODCTAPAGAR"),
            {kDescription});
        while (cursor->fetch())
            out << QStringLiteral("%1 %2 %3 %4 %5 %6")
                       .arg(std::get<QDate>(cursor->value(0)).toString(QStringLiteral("dd/MM/yyyy")),
                            std::get<Decimal>(cursor->value(1)).toString(), cursor->text(2), cursor->text(3),
                            cursor->text(4), QString::number(std::get<qint64>(cursor->value(5))))
                       .simplified();
        return out;
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        session = SessionState{};
        session.WorkstationCode = QStringLiteral("01");
        dm = testdm::open(*db, session);
        auto recorder = std::make_unique<RecordingDialogs>();
        dialogs = recorder.get();
        Dialogs::install(std::move(recorder));
    }
    void cleanup()
    {
        Dialogs::install(nullptr);
        dm.reset();
        db.reset();
    }

    // ---- Schedules ---------------------------------------------------------------------------

    void schedules_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("days");
        QTest::addColumn<int>("instalments");
        QTest::addColumn<QString>("surcharge");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("net");
        QTest::addColumn<QStringList>("typed"); // custom instalments: "mm/dd/yyyy amount"
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("messages");

        const QString open = QStringLiteral("Atualizado (pagar) 0");
        const auto rows = [&](std::initializer_list<const char*> lines) {
            QStringList out;
            for (const char* l : lines)
                out << QString::fromUtf8(l) + QLatin1Char(' ') + open;
            return out;
        };
        QTest::newRow("Dias Corridos 30,60,90")
            << "Dias Corridos"
            << "30,60,90" << 3 << "0" << QDate(2024, 3, 10) << "300.00" << QStringList()
            << rows({"09/04/2024 100.00 Parc. 1/3 04/2024", "09/05/2024 100.00 Parc. 2/3 05/2024",
                     "08/06/2024 100.00 Parc. 3/3 06/2024"})
            << QStringList();
        QTest::newRow("blanks around the entries")
            << "Dias Corridos"
            << "  30 ,  60  " << 2 << "0" << QDate(2024, 3, 10) << "200.00" << QStringList()
            << rows({"09/04/2024 100.00 Parc. 1/2 04/2024", "09/05/2024 100.00 Parc. 2/2 05/2024"}) << QStringList();
        QTest::newRow("an entry that is no number counts as 0 days")
            << "Dias Corridos"
            << "30,trinta" << 2 << "0" << QDate(2024, 3, 10) << "200.00" << QStringList()
            << rows({"10/03/2024 100.00 Parc. 2/2 03/2024", "09/04/2024 100.00 Parc. 1/2 04/2024"})
            << QStringList{QStringLiteral("Não foi possível converter trinta para o tipo \"Inteiro\". Favor verificar "
                                          "o formato do campo \"Dias\".")};
        QTest::newRow("Dia Fixo from 31/01/2024")
            << "Dia Fixo"
            << "" << 3 << "0" << QDate(2024, 1, 31) << "300.00" << QStringList()
            << rows({"31/01/2024 100.00 Parc. 1/3 01/2024", "29/02/2024 100.00 Parc. 2/3 02/2024",
                     "31/03/2024 100.00 Parc. 3/3 03/2024"})
            << QStringList();
        QTest::newRow("Dia Fixo 0+ from 15/12/2024")
            << "Dia Fixo"
            << "0+" << 2 << "0" << QDate(2024, 12, 15) << "200.00" << QStringList()
            << rows({"15/01/2025 100.00 Parc. 1/2 01/2025", "15/02/2025 100.00 Parc. 2/2 02/2025"}) << QStringList();
        QTest::newRow("one instalment has no remarks")
            << "À Vista"
            << "" << 0 << "0" << QDate(2024, 5, 2) << "57.31" << QStringList() << rows({"02/05/2024 57.31 05/2024"})
            << QStringList();
        QTest::newRow("cents: the last instalment takes what is left")
            << "Outro"
            << "" << 3 << "0" << QDate(2024, 5, 2) << "100.00" << QStringList()
            << rows({"02/05/2024 33.33 Parc. 1/3 05/2024", "02/05/2024 33.33 Parc. 2/3 05/2024",
                     "02/05/2024 33.34 Parc. 3/3 05/2024"})
            << QStringList();
        QTest::newRow("a surcharge raises the instalments")
            << "Dias Corridos"
            << "30,60,90" << 3 << "2" << QDate(2024, 3, 10) << "300.00" << QStringList()
            << rows({"09/04/2024 102.00 Parc. 1/3 04/2024", "09/05/2024 102.00 Parc. 2/3 05/2024",
                     "08/06/2024 102.00 Parc. 3/3 06/2024"})
            << QStringList();
        QTest::newRow("custom instalments")
            << ""
            << "" << 0 << "0" << QDate(2024, 4, 20) << "200.00"
            << QStringList{QStringLiteral("05/05/2024 120.00"), QStringLiteral("06/05/2024 80.00")}
            << rows({"05/05/2024 120.00 Parc. 1/2 05/2024", "05/06/2024 80.00 Parc. 2/2 06/2024"}) << QStringList();
    }
    void schedules()
    {
        QFETCH(QString, type);
        QFETCH(QString, days);
        QFETCH(int, instalments);
        QFETCH(QString, surcharge);
        QFETCH(QDate, date);
        QFETCH(QString, net);
        QFETCH(QStringList, typed);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, messages);

        QString form = kCustomInstalmentsForm;
        if (typed.isEmpty()) {
            form = QStringLiteral("A forma");
            addForm(1, type, form, days, instalments, surcharge);
        }
        for (int i = 0; i < typed.size(); ++i) {
            const QStringList parts = typed.at(i).split(QLatin1Char(' '));
            addInstalment(i + 1, i + 1, parts.at(0), parts.at(1));
        }
        addInvoice(date, net, form);

        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(payables(), expected);
        QCOMPARE(dialogs->messages, messages + QStringList{kSuccess});
        // The dataset is left as the module knows it.
        QVERIFY(!dm->ContasP.isOpen());
        QCOMPARE(dm->ContasP.commandText(), TDM::standingQuery(QStringLiteral("ContasP")));
    }

    // ---- Including again -----------------------------------------------------------------------

    void includingTwiceWritesNothingNew()
    {
        addForm(1, QStringLiteral("Outro"), QStringLiteral("Três vezes"), QString(), 3);
        addInvoice(QDate(2024, 5, 2), QStringLiteral("100.00"), QStringLiteral("Três vezes"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        const QStringList first = payables();
        const qint64 greatest = count(QStringLiteral("select max(CODCTAPAGAR) from CTAPAGAR"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(payables(), first);
        QCOMPARE(count(QStringLiteral("select max(CODCTAPAGAR) from CTAPAGAR")), greatest);
        QCOMPARE(dialogs->messages, (QStringList{kSuccess, kSuccess}));
    }

    void changingTheFormReplacesThePayables()
    {
        addForm(1, QStringLiteral("Dias Corridos"), QStringLiteral("30/60/90"), QStringLiteral("30,60,90"), 3);
        addForm(2, QStringLiteral("Dias Corridos"), QStringLiteral("30/60"), QStringLiteral("30,60"), 2);
        addInvoice(QDate(2024, 3, 10), QStringLiteral("300.00"), QStringLiteral("30/60/90"));
        // Another invoice's payable is none of this invoice's business.
        sql().execute(QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values "
                                     "(50, 'N.Fiscal 4712 D''Ávila Química', 10, 'Atualizado (pagar)')"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        setPaymentForm(QStringLiteral("30/60"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(payables(), (QStringList{QStringLiteral("09/04/2024 150.00 Parc. 1/2 04/2024 Atualizado (pagar) 0"),
                                          QStringLiteral("09/05/2024 150.00 Parc. 2/2 05/2024 Atualizado (pagar) 0")}));
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR where CODCTAPAGAR = 50")), 1);
    }

    // A new schedule keeps the open payables written as it would write them (same code) and the
    // ones the finance module holds; an open twin of a held payable goes, whichever was read first.
    void replacingKeepsThePayablesThatFit_data()
    {
        QTest::addColumn<QString>("setUp");
        QTest::addColumn<bool>("custom");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("keptCode"); // the payable that must stand with its code
        QTest::newRow("an open payable of the new schedule")
            << QString() << true
            << QStringList{QStringLiteral("09/04/2024 150.00 Parc. 1/2 04/2024 Atualizado (pagar) 0"),
                           QStringLiteral("24/04/2024 150.00 Parc. 2/2 04/2024 Atualizado (pagar) 0")}
            << QStringLiteral("1");
        QTest::newRow("a paid payable read after its open twin")
            << QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, CODPLANOCT, DESCRICAO, VALOR, VENCIMENTO, "
                              "SITUACAO, COMPETENCIA, OBSERVACOES) select 50, CODPLANOCT, DESCRICAO, VALOR, "
                              "VENCIMENTO, 'Pago', COMPETENCIA, OBSERVACOES from CTAPAGAR where CODCTAPAGAR = 1")
            << false
            << QStringList{QStringLiteral("09/04/2024 150.00 Parc. 1/2 04/2024 Pago 0"),
                           QStringLiteral("09/05/2024 150.00 Parc. 2/2 05/2024 Atualizado (pagar) 0")}
            << QStringLiteral("50");
    }

    void replacingKeepsThePayablesThatFit()
    {
        QFETCH(QString, setUp);
        QFETCH(bool, custom);
        QFETCH(QStringList, expected);
        QFETCH(QString, keptCode);
        addForm(1, QStringLiteral("Dias Corridos"), QStringLiteral("30/60"), QStringLiteral("30,60"), 2);
        addInvoice(QDate(2024, 3, 10), QStringLiteral("300.00"), QStringLiteral("30/60"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR where CODCTAPAGAR = 1 and VENCIMENTO = "
                                      "'04/09/2024'")),
                 1);
        // Another invoice's payable: a payable written again would get a code above it.
        sql().execute(QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values "
                                     "(90, 'N.Fiscal 4712 D''Ávila Química', 10, 'Atualizado (pagar)')"));
        if (!setUp.isEmpty())
            sql().execute(setUp);
        if (custom) {
            addInstalment(1, 1, QStringLiteral("04/09/2024"), QStringLiteral("150"));
            addInstalment(2, 2, QStringLiteral("04/24/2024"), QStringLiteral("150"));
            setPaymentForm(kCustomInstalmentsForm);
        }
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(payables(), expected);
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR where VENCIMENTO = '04/09/2024' and "
                                      "CODCTAPAGAR = ") +
                       keptCode),
                 1);
    }

    // A payable the finance module took over is never removed; when it does not fit the new
    // schedule nothing changes and the clerk is told.
    void paidPayablesSurvive()
    {
        addForm(1, QStringLiteral("Dias Corridos"), QStringLiteral("30/60/90"), QStringLiteral("30,60,90"), 3);
        addForm(2, QStringLiteral("Dias Corridos"), QStringLiteral("30/60"), QStringLiteral("30,60"), 2);
        addInvoice(QDate(2024, 3, 10), QStringLiteral("300.00"), QStringLiteral("30/60/90"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        sql().execute(QStringLiteral("update CTAPAGAR set SITUACAO = 'Pago', DATAPAGTO = VENCIMENTO where "
                                     "VENCIMENTO = '04/09/2024'"));
        const QStringList paid = payables();

        // The same form again: the paid instalment counts as written.
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QCOMPARE(payables(), paid);

        setPaymentForm(QStringLiteral("30/60"));
        dialogs->messages.clear();
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Refused);
        QCOMPARE(payables(), paid);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages.front().contains(QStringLiteral("1 parcela desta Nota Fiscal, no valor de 100,00")),
                 qPrintable(dialogs->messages.front()));
        QVERIFY(dialogs->messages.front().contains(QStringLiteral("Nada foi alterado")));
    }

    // Rows the database refuses make the payables fail to add up: three warnings, and the invoice
    // keeps the payables it had.
    void refusedRowsLeaveThePayablesAsTheyWere()
    {
        // The database's own objects come before the module attaches.
        sql().execute(QStringLiteral("create exception E_RECUSADO 'recusado'"));
        sql().execute(QStringLiteral("create trigger T_RECUSA for CTAPAGAR before insert as begin "
                                     "if (new.VALOR = 50) then exception E_RECUSADO; end"));
        addForm(1, QStringLiteral("Outro"), QStringLiteral("À vista"), QString(), 1);
        addForm(2, QStringLiteral("Outro"), QStringLiteral("Duas vezes"), QString(), 2);
        addInvoice(QDate(2024, 5, 2), QStringLiteral("100.00"), QStringLiteral("À vista"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        const QStringList before = payables();
        setPaymentForm(QStringLiteral("Duas vezes"));
        dialogs->messages.clear();
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Failed);
        QCOMPARE(payables(), before);
        QStringList warnings;
        for (int i = 1; i <= 3; ++i)
            warnings << QStringLiteral("ATENÇÃO: Não foi possível registrar os valores desta Nota Fiscal no módulo de "
                                       "Contas a Pagar.\rFavor informar ao responsável pelo setor financeiro.\r"
                                       "Aviso %1 de 3")
                            .arg(i);
        QCOMPARE(dialogs->messages, warnings);
    }

    void aDatabaseErrorLeavesThePayablesAsTheyWere()
    {
        // The database's own objects come before the module attaches.
        sql().execute(QStringLiteral("create exception E_RECUSADO 'recusado'"));
        sql().execute(QStringLiteral("create trigger T_RECUSA for CTAPAGAR before delete as begin "
                                     "exception E_RECUSADO; end"));
        addForm(1, QStringLiteral("Outro"), QStringLiteral("À vista"), QString(), 1);
        addForm(2, QStringLiteral("Outro"), QStringLiteral("Duas vezes"), QString(), 2);
        addInvoice(QDate(2024, 5, 2), QStringLiteral("100.00"), QStringLiteral("À vista"));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        const QStringList before = payables();
        setPaymentForm(QStringLiteral("Duas vezes"));
        QVERIFY_THROWS_EXCEPTION(DbError, IncludeInPayables(*dm));
        QCOMPARE(payables(), before);
        QVERIFY(!sql().inWork());
        QVERIFY(!dm->SQLConnection1.inWork());
    }

    // ---- Refusals ------------------------------------------------------------------------------

    void refusals_data()
    {
        QTest::addColumn<int>("instalments");
        QTest::addColumn<QStringList>("typed"); // custom instalments: "mm/dd/yyyy amount"
        QTest::addColumn<QString>("message");
        QTest::newRow("more than 180 instalments") << 181 << QStringList()
                                                   << "A forma de pagamento resulta em 181 parcelas, mas o limite é de "
                                                      "180 parcelas. Nada foi incluído no Contas a Pagar.";
        QTest::newRow("custom instalments short of the net value")
            << 0 << QStringList{QStringLiteral("05/05/2024 120.00")}
            << "As parcelas de \"Datas e valores diversos\" somam 120,00, mas o valor líquido da Nota Fiscal é 200,00. "
               "Corrija as parcelas antes de incluir no Contas a Pagar. Nada foi incluído no Contas a Pagar.";
        QTest::newRow("a custom instalment without date")
            << 0 << QStringList{QStringLiteral("05/05/2024 120.00"), QStringLiteral(" 80.00")}
            << "Há parcela sem data de vencimento em \"Datas e valores diversos\". Corrija as parcelas antes de "
               "incluir no Contas a Pagar. Nada foi incluído no Contas a Pagar.";
        QTest::newRow("no custom instalment")
            << 0 << QStringList{QString()}
            << "Nenhuma parcela foi informada em \"Datas e valores diversos\". Nada foi incluído no Contas a Pagar.";
    }
    void refusals()
    {
        QFETCH(int, instalments);
        QFETCH(QStringList, typed);
        QFETCH(QString, message);
        QString form = QStringLiteral("Muitas vezes");
        addForm(1, QStringLiteral("Dias Corridos"), form, QStringLiteral("30"), instalments);
        if (!typed.isEmpty()) {
            form = kCustomInstalmentsForm;
            for (int i = 0; i < typed.size(); ++i) {
                if (typed.at(i).isEmpty())
                    continue;
                const QStringList parts = typed.at(i).split(QLatin1Char(' '));
                addInstalment(i + 1, i + 1, parts.at(0), parts.at(1));
            }
        }
        addInvoice(QDate(2024, 4, 20), QStringLiteral("200.00"), form);
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Refused);
        QCOMPARE(dialogs->messages, QStringList{message});
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR")), 0);
    }

    // ---- Typed instalments ---------------------------------------------------------------------

    void balanceAndOrderOfTypedInstalments()
    {
        addInvoice(QDate(2024, 4, 20), QStringLiteral("200.00"), kCustomInstalmentsForm);
        QCOMPARE(instalments::OpenInvoiceInstalments(*dm), 0);
        QCOMPARE(instalments::BalanceText(instalments::InstalmentBalance(*dm)), QStringLiteral("   200,00"));

        addInstalment(1, 1, QStringLiteral("05/05/2024"), QStringLiteral("60.10"));
        addInstalment(2, 2, QStringLiteral("06/05/2024"), QStringLiteral("30.05"));
        addInstalment(3, 3, QStringLiteral("07/05/2024"), QStringLiteral("29.85"));
        addInstalment(4, 9, QStringLiteral("07/05/2024"), QStringLiteral("500"), QStringLiteral("9999"));
        sql().execute(QStringLiteral("delete from PAGDIVER where ORDEM = 2"));
        QCOMPARE(instalments::OpenInvoiceInstalments(*dm), 3);
        QCOMPARE(dm->PagDiver.recordCount(), 2);
        QCOMPARE(instalments::BalanceText(instalments::InstalmentBalance(*dm)), QStringLiteral("   110,05"));
        addInstalment(5, 4, QStringLiteral("08/05/2024"), QStringLiteral("110.05"));
        QCOMPARE(instalments::InstalmentBalance(*dm), (Decimal{0, 2}));
        addInstalment(6, 5, QStringLiteral("08/05/2024"), QStringLiteral("10"));
        QCOMPARE(instalments::BalanceText(instalments::InstalmentBalance(*dm)), QStringLiteral("   -10,00"));
    }

    // The instalment rules (the balance a new instalment starts with, the check before it is
    // stored) and the inclusion run while a caller walks the command object: they leave it alone.
    void instalmentsLeaveTheCallersCommandAlone()
    {
        addInvoice(QDate(2024, 4, 20), QStringLiteral("200.00"), kCustomInstalmentsForm);
        addInstalment(1, 1, QStringLiteral("05/05/2024"), QStringLiteral("60.10"));
        const testdm::CallerWalk walk(*dm, QStringLiteral("select ORDEM from PAGDIVER order by ORDEM"),
                                      QStringLiteral("ORDEM"));
        session.InstalmentCounter = instalments::OpenInvoiceInstalments(*dm);
        dm->PagDiver.append();
        QVERIFY(walk.intact());
        dm->PagDiver.setDate(QStringLiteral("DATA"), QDate(2024, 6, 5));
        dm->PagDiver.post();
        QVERIFY(walk.intact());
        QCOMPARE(instalments::InstalmentBalance(*dm), (Decimal{0, 2}));
        QCOMPARE(IncludeInPayables(*dm), Inclusion::Included);
        QVERIFY(walk.intact());
    }

    void onlyTheInvoicesUndatedInstalmentsAreRemoved()
    {
        addInvoice(QDate(2024, 4, 20), QStringLiteral("200.00"), kCustomInstalmentsForm);
        addInstalment(1, 1, QString(), QStringLiteral("200"));
        addInstalment(2, 1, QString(), QStringLiteral("50"), QStringLiteral("9999"));
        addInstalment(3, 2, QStringLiteral("05/05/2024"), QStringLiteral("150"));
        instalments::DeleteUndatedInstalments(*dm);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where NFISCAL = '9999'")), 1);
        instalments::DeleteInvoiceInstalments(*dm);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), 1);
    }

    // ---- Generated pharmacy ----------------------------------------------------------------------

    // The payables of a generated pharmacy are what the module itself would write: including any
    // of its invoices again finds every instalment there and writes nothing.
    void generatedPayablesAreWhatTheModuleWrites()
    {
        generator::Options options;
        options.invoices = 120;
        options.itemsPerInvoice = 1;
        options.products = 10;
        options.suppliers = 5;
        generator::generate(sql(), nullptr, QStringLiteral("maria"), options, QDate(2026, 6, 30));
        const qint64 invoices = count(QStringLiteral("select count(*) from NFISCAL where VALBRUTO is not null"));
        const qint64 payables = count(QStringLiteral("select count(*) from CTAPAGAR"));
        QVERIFY2(payables >= invoices * 5 / 2 && payables <= invoices * 7 / 2,
                 qPrintable(QStringLiteral("%1 payables for %2 invoices").arg(payables).arg(invoices)));
        QVERIFY(count(QStringLiteral("select count(*) from CTAPAGAR where SITUACAO = 'Pago'")) > payables * 9 / 10);
        QVERIFY(count(QStringLiteral("select count(*) from PAGDIVER")) > 0);
        QVERIFY(count(QStringLiteral("select count(*) from FORMASPG where TAXA1 > 0")) > 0);
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL N where N.FORMAPAGTO = 'Datas e valores diversos' "
                                      "and N.VALLIQUIDO <> (select sum(VALOR) from PAGDIVER P where P.NFISCAL = "
                                      "N.NOTAFISCAL and P.FORNECEDOR = N.FORNECEDOR)")),
                 0);

        dm->NFiscal.open();
        int included = 0;
        for (dm->NFiscal.first(); !dm->NFiscal.eof(); dm->NFiscal.next()) {
            if (dm->NFiscal.isNull(QStringLiteral("VALBRUTO")))
                continue;
            const QString description = PayableDescription(dm->NFiscal.asText(QStringLiteral("NOTAFISCAL")),
                                                           dm->NFiscal.asText(QStringLiteral("FORNECEDOR")));
            const auto of = [&] {
                return std::get<qint64>(
                    sql()
                        .executeRow(QStringLiteral("select count(*) from CTAPAGAR where DESCRICAO = ?"), {description})
                        .front());
            };
            const qint64 before = of();
            QVERIFY2(IncludeInPayables(*dm) == Inclusion::Included, qPrintable(description));
            QCOMPARE(of(), before);
            ++included;
        }
        QCOMPARE(included, int(invoices));
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR")), payables);
    }

    // ---- Indexes -------------------------------------------------------------------------------

    // A database made before the indexes of the payables joined the schema gets them.
    void missingIndexesAreAdded()
    {
        sql().execute(QStringLiteral("drop index IX_CTAPAGAR_DESCRICAO"));
        sql().execute(QStringLiteral("drop index IX_PAGDIVER_NOTA"));
        QCOMPARE(schema::createMissingIndexes(sql()),
                 (QStringList{QStringLiteral("IX_CTAPAGAR_DESCRICAO"), QStringLiteral("IX_PAGDIVER_NOTA")}));
        QCOMPARE(schema::createMissingIndexes(sql()), QStringList());
        QCOMPARE(count(QStringLiteral("select count(*) from RDB$INDICES where RDB$INDEX_NAME in "
                                      "('IX_CTAPAGAR_DESCRICAO', 'IX_PAGDIVER_NOTA')")),
                 2);
    }
};

QTEST_GUILESS_MAIN(TestPayments)
#include "tst_payments.moc"
