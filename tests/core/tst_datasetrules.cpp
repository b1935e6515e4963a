#include "data/DbError.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "tests/support/PurchaseRows.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

namespace {

// A window that records what the rules asked of it.
class FakeWindow : public WindowState {
public:
    QStringList calls;
    QStringList messages;
    bool painelCompras = true;
    bool painelOutrasDespesas = false;
    bool dateField = true;
    QString valRest = QStringLiteral("   80,00");

    void DisableMainButtons() override { calls << QStringLiteral("DisableMainButtons"); }
    void EnableMainButtons() override { calls << QStringLiteral("EnableMainButtons"); }
    void LockInvoiceFields() override { calls << QStringLiteral("LockInvoiceFields"); }
    void UnlockInvoiceFields() override { calls << QStringLiteral("UnlockInvoiceFields"); }
    bool isPainelComprasVisible() const override { return painelCompras; }
    bool isPainelOutrasDespesasVisible() const override { return painelOutrasDespesas; }
    bool isDateFieldEnabledAndVisible() const override { return dateField; }
    void makeDateFieldWritable() override { calls << QStringLiteral("makeDateFieldWritable"); }
    void focusDateField() override { calls << QStringLiteral("focusDateField"); }
    void selectItemGridFirstColumn() override { calls << QStringLiteral("selectItemGridFirstColumn"); }
    QString editValRestText() const override { return valRest; }
    void ShowItemCostPerUnit() override {}
    void RecalcInstalmentBalance() override { calls << QStringLiteral("RecalcInstalmentBalance"); }
    void showMessage(const QString& text) override { messages << text; }
};

struct Workstation {
    SessionState session;
    FakeWindow window;
    std::unique_ptr<TDM> dm;

    explicit Workstation(const TestDatabase& db)
    {
        session.WorkstationCode = QStringLiteral("01");
        session.StoreCnpj = QStringLiteral("11222333444455");
        session.DefaultStockLocation = QStringLiteral("Almoxarifado");
        dm = std::make_unique<TDM>(db.sharedParams(), db.workstationParams(), session, window);
    }
};

} // namespace

class TestDatasetRules : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<Workstation> ws;
    FbConnection& conn() { return db->connection(); }
    TDM& dm() { return *ws->dm; }

    qint64 count(const QString& sql) { return std::get<qint64>(conn().executeRow(sql).front()); }
    QString text(const QString& sql)
    {
        const Values row = conn().executeRow(sql);
        return row.empty() || isNull(row.front()) ? QString() : std::get<QString>(row.front());
    }

    void addInvoice(int code, const char* date, const char* number, const char* supplier, const char* supplierCode)
    {
        testrows::Invoice invoice;
        invoice.code = code;
        invoice.date = date;
        invoice.number = number;
        invoice.supplier = supplier;
        invoice.supplierCode = supplierCode;
        invoice.netValue = 200;
        testrows::insertInvoice(conn(), invoice);
    }
    void addItem(int code, const char* number, const char* supplierCode, const char* responsavel,
                 const char* date = "01/15/24")
    {
        testrows::Item item;
        item.code = code;
        item.date = QString::fromLatin1(date);
        item.number = number;
        item.supplier = QStringLiteral("ACME");
        item.supplierCode = supplierCode;
        item.responsible = responsavel;
        testrows::insertItem(conn(), item);
    }
    void addPayable(const char* description, const char* status = "Atualizado (pagar)")
    {
        conn().execute(QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values "
                                      "((select coalesce(max(CODCTAPAGAR), 0) + 1 from CTAPAGAR), ?, 10, ?)"),
                       {QString::fromLatin1(description), QString::fromLatin1(status)});
    }
    void openInvoices() { dm().NFiscal.open(); }
    void newInvoice(CachedDataset& nf, const char* number)
    {
        nf.append();
        nf.setText(QStringLiteral("DATA"), QStringLiteral("15/01/24"));
        nf.setText(QStringLiteral("NOTAFISCAL"), QString::fromLatin1(number));
        nf.setText(QStringLiteral("FORNECEDOR"), QStringLiteral("ACME"));
        nf.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("0001"));
        nf.setValue(QStringLiteral("VALLIQUIDO"), Decimal{20000, 2});
        nf.post();
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        ws = std::make_unique<Workstation>(*db);
    }
    void cleanup()
    {
        ws.reset();
        db.reset();
    }

    void firstKeysOfAnEmptyDatabase()
    {
        openInvoices();
        newInvoice(dm().NFiscal, "123");
        QCOMPARE(count(QStringLiteral("select CODIGO from NFISCAL where NOTAFISCAL = '123'")), 1);
        QCOMPARE(text(QStringLiteral("select ESTACAO || LOJA || GRUPDESP || TIPOOPERACAO from NFISCAL")),
                 QStringLiteral("0111222333444455SUP1"));

        CachedDataset& items = dm().Compras;
        items.append();
        QCOMPARE(items.asInteger(QStringLiteral("CODCOMPRA")), 1);
        QCOMPARE(items.asText(QStringLiteral("RESPONSAVEL")), QStringLiteral("0001"));
        QCOMPARE(items.asText(QStringLiteral("NOTAFISCAL")), QStringLiteral("123"));
        QCOMPARE(items.asText(QStringLiteral("LABORATORIO")), QStringLiteral("Almoxarifado"));
        QCOMPARE(items.asText(QStringLiteral("SITUACAO")), QStringLiteral("Estoque"));
        items.setText(QStringLiteral("COMPONENTE"), QStringLiteral("ALCOOL"));
        items.setText(QStringLiteral("LOTE"), QStringLiteral("L 12 3"));
        items.post();
        QCOMPARE(text(QStringLiteral("select LOTE from COMPRAS where CODCOMPRA = 1")), QStringLiteral("L123"));
        QVERIFY(ws->window.calls.contains(QStringLiteral("selectItemGridFirstColumn")));

        CachedDataset& suppliers = dm().Fornecedor;
        suppliers.open();
        suppliers.append();
        suppliers.setText(QStringLiteral("CODIGO"), QStringLiteral("0042")); // provisional, replaced
        suppliers.setText(QStringLiteral("NOMEFANTASIA"), QStringLiteral("ACME"));
        suppliers.post();
        QCOMPARE(text(QStringLiteral("select CODIGO from FORNECED")), QStringLiteral("0001"));

        dm().ContasP.open();
        dm().ContasP.append();
        QCOMPARE(dm().ContasP.asInteger(QStringLiteral("CODCTAPAGAR")), 1);

        ws->session.InstalmentCounter = 2;
        dm().PagDiver.open();
        dm().PagDiver.append();
        QCOMPARE(dm().PagDiver.asInteger(QStringLiteral("CODPAGDIVER")), 1);
        QCOMPARE(dm().PagDiver.asInteger(QStringLiteral("ORDEM")), 3);
        QCOMPARE(dm().PagDiver.asText(QStringLiteral("VALOR")), QStringLiteral("80"));
        QCOMPARE(dm().PagDiver.asText(QStringLiteral("NFISCAL")), QStringLiteral("123"));
        dm().PagDiver.setText(QStringLiteral("DATA"), QStringLiteral("15/02/24"));
        dm().PagDiver.post();
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where ORDEM = 3 and VALOR = 80")), 1);
        QCOMPARE(ws->window.calls.last(), QStringLiteral("RecalcInstalmentBalance"));
    }

    // An instalment is stored only with a due date and an amount above zero that keeps the
    // invoice's instalments within its net value (200.00, of which 150.00 are typed already).
    void instalmentsTheRulesRefuse_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<bool>("stored");
        QTest::newRow("the rest exactly") << "15/02/24"
                                          << "50" << true;
        QTest::newRow("above the net value") << "15/02/24"
                                             << "50.01" << false;
        QTest::newRow("no due date") << ""
                                     << "10" << false;
        QTest::newRow("zero") << "15/02/24"
                              << "0" << false;
        QTest::newRow("negative") << "15/02/24"
                                  << "-5" << false;
    }
    void instalmentsTheRulesRefuse()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(bool, stored);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        conn().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                      "values (1, 1, '02/01/2024', 150, '123', 'ACME')"));
        openInvoices();
        CachedDataset& instalments = dm().PagDiver;
        instalments.open();
        instalments.append();
        if (!date.isEmpty())
            instalments.setText(QStringLiteral("DATA"), date);
        instalments.setText(QStringLiteral("VALOR"), amount);
        if (stored)
            instalments.post();
        else
            QVERIFY_THROWS_EXCEPTION(DatasetError, instalments.post());
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), stored ? 2 : 1);
    }

    void instalmentNeedsANumberInTheRemainingField()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        ws->window.valRest = QStringLiteral("abc");
        dm().PagDiver.open();
        QVERIFY_THROWS_EXCEPTION(ConversionError, dm().PagDiver.append());
    }

    void invoiceWindowStates_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("outrasDespesas");
        QTest::addColumn<QStringList>("calls");
        QTest::newRow("insert") << "insert" << false
                                << QStringList{"DisableMainButtons", "UnlockInvoiceFields", "focusDateField",
                                               "makeDateFieldWritable", "focusDateField"};
        QTest::newRow("edit") << "edit" << false
                              << QStringList{"DisableMainButtons", "UnlockInvoiceFields", "makeDateFieldWritable",
                                             "focusDateField"};
        QTest::newRow("edit under the tax panel") << "edit" << true << QStringList{};
        QTest::newRow("post") << "post" << false
                              << QStringList{"EnableMainButtons", "LockInvoiceFields", "focusDateField"};
        QTest::newRow("post under the tax panel") << "post" << true << QStringList{};
    }
    void invoiceWindowStates()
    {
        QFETCH(QString, action);
        QFETCH(bool, outrasDespesas);
        QFETCH(QStringList, calls);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        ws->window.painelOutrasDespesas = outrasDespesas;
        if (action == QLatin1String("post")) {
            nf.edit();
            nf.setText(QStringLiteral("OBSERVACAO"), QStringLiteral("x"));
        }
        ws->window.calls.clear();
        if (action == QLatin1String("insert"))
            nf.append();
        else if (action == QLatin1String("edit"))
            nf.edit();
        else
            nf.post();
        QCOMPARE(ws->window.calls, calls);
        QCOMPARE(ws->session.InsertingInvoice, action == QLatin1String("insert"));
    }

    void headerEditReachesTheCurrentItem_data()
    {
        QTest::addColumn<bool>("outrasDespesas");
        QTest::addColumn<QString>("itemDate");
        QTest::newRow("work area") << false << "20/02/2024";
        QTest::newRow("tax panel") << true << "15/01/2024";
    }
    void headerEditReachesTheCurrentItem()
    {
        QFETCH(bool, outrasDespesas);
        QFETCH(QString, itemDate);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addItem(1, "123", "0001", "0001");
        openInvoices();
        ws->window.painelOutrasDespesas = outrasDespesas;
        CachedDataset& nf = dm().NFiscal;
        nf.edit();
        QCOMPARE(ws->session.SavedFieldText.date, outrasDespesas ? QString() : QStringLiteral("15/01/2024"));
        nf.setText(QStringLiteral("DATA"), QStringLiteral("20/02/24"));
        nf.post();
        const Values item = conn().executeRow(QStringLiteral("select DATA from COMPRAS"));
        QCOMPARE(std::get<QDate>(item.front()).toString(QStringLiteral("dd/MM/yyyy")), itemDate);
    }

    void deletingAnInvoiceRemovesItsItemsAndPayables()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addInvoice(2, "01/16/24", "124", "ACME", "0001");
        for (int i = 1; i <= 3; ++i)
            addItem(i, "123", "0001", "0001");
        addItem(4, "124", "0001", "0001", "01/16/24");
        for (const char* d : {"N.Fiscal 123 ACME", "N.Fiscal 123 ACME", "N.Fiscal 124 ACME"})
            addPayable(d);
        addPayable("N.Fiscal 123 ACME", "Pago"); // taken over by the finance module: it stays
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        QVERIFY(nf.locate({QDate(2024, 1, 15)}));
        QCOMPARE(dm().Compras.recordCount(), 3);
        nf.remove();
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS where NOTAFISCAL = '123'")), 0);
        QCOMPARE(text(QStringLiteral("select SITUACAO from CTAPAGAR where DESCRICAO = 'N.Fiscal 123 ACME'")),
                 QStringLiteral("Pago"));
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL = '123'")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR")), 2);
        QCOMPARE(nf.asText(QStringLiteral("NOTAFISCAL")), QStringLiteral("124"));
        QCOMPARE(dm().Compras.recordCount(), 1); // the items of the invoice now current
    }

    // Two invoices of one supplier with one number on different days, as an older database may
    // hold them: each shows and deletes only its own items, and the payables whose description
    // both share stay, with a word to the clerk.
    void deletingAnInvoiceLeavesItsTwinAlone()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addInvoice(2, "01/20/24", "123", "ACME", "0001");
        addItem(1, "123", "0001", "0001");
        addItem(2, "123", "0001", "0002");
        addItem(3, "123", "0001", "0001", "01/20/24");
        addPayable("N.Fiscal 123 ACME");
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        QVERIFY(nf.locate({QDate(2024, 1, 20)}));
        QCOMPARE(dm().Compras.recordCount(), 1);
        nf.remove();
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS where DATA = '01/15/24'")), 2);
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS where DATA = '01/20/24'")), 0);
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR")), 1);
        QCOMPARE(ws->window.messages.size(), 1);
        QVERIFY(ws->window.messages.front().contains(QStringLiteral("N.Fiscal 123 ACME")));
    }

    // A new invoice whose number another invoice of the supplier (by code or by name) carries is
    // refused, and no item goes under that number meanwhile.
    void aNumberTheSupplierAlreadyUsesIsRefused_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("supplier");
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("refused");
        QTest::newRow("same number and supplier") << "123"
                                                  << "ACME"
                                                  << "0001" << true;
        QTest::newRow("same supplier code, other name") << "123"
                                                        << "ACME LTDA"
                                                        << "0001" << true;
        QTest::newRow("same supplier name, other code") << "123"
                                                        << "ACME"
                                                        << "0009" << true;
        QTest::newRow("another supplier") << "123"
                                          << "BETA"
                                          << "0002" << false;
        QTest::newRow("another number") << "124"
                                        << "ACME"
                                        << "0001" << false;
    }
    void aNumberTheSupplierAlreadyUsesIsRefused()
    {
        QFETCH(QString, number);
        QFETCH(QString, supplier);
        QFETCH(QString, code);
        QFETCH(bool, refused);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        nf.append();
        nf.setText(QStringLiteral("DATA"), QStringLiteral("20/01/24"));
        nf.setText(QStringLiteral("NOTAFISCAL"), number);
        nf.setText(QStringLiteral("FORNECEDOR"), supplier);
        nf.setText(QStringLiteral("CODIGOFORNECEDOR"), code);
        if (!refused) {
            nf.post();
            QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 2);
            return;
        }
        const QString message = QStringLiteral("N.Fiscal 123\rdo fornecedor ") + supplier +
                                QStringLiteral(" já encontra-se no Cadastro de Notas Fiscais do KORVANIS.");
        try {
            dm().Compras.append();
            QFAIL("an item went under the taken number");
        } catch (const DatasetError& e) {
            QCOMPARE(e.message(), message);
        }
        try {
            nf.post();
            QFAIL("posted");
        } catch (const DatasetError& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(nf.state(), CachedDataset::State::Insert);
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL")), 1);
    }

    // Twins stored before the check existed can still be edited; only a change of number or
    // supplier is checked.
    void storedTwinsStayEditable()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addInvoice(2, "01/20/24", "123", "ACME", "0001");
        addInvoice(3, "01/25/24", "124", "ACME", "0001");
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        QVERIFY(nf.locate({QDate(2024, 1, 20)}));
        nf.edit();
        nf.setText(QStringLiteral("FORMAPAGTO"), QStringLiteral("A vista"));
        nf.post();
        QVERIFY(nf.locate({QDate(2024, 1, 25)}));
        nf.edit();
        nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("123"));
        QVERIFY_THROWS_EXCEPTION(DatasetError, nf.post());
        nf.cancel();
        QCOMPARE(count(QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL = '124'")), 1);
    }

    void itemCounterFollowsTheFirstItemOfTheInvoice()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addInvoice(2, "01/16/24", "124", "ACME", "0001");
        addItem(1, "123", "0001", "0007");
        addItem(2, "123", "0001", "0003");
        ws->session.ItemCounter = 42;
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        QCOMPARE(ws->session.ItemCounter, 7);
        dm().Compras.append();
        QCOMPARE(dm().Compras.asText(QStringLiteral("RESPONSAVEL")), QStringLiteral("0008"));
        dm().Compras.cancel();
        nf.next(); // no items: the counter stays
        QCOMPARE(ws->session.ItemCounter, 8);
        nf.append();
        QCOMPARE(ws->session.ItemCounter, 0);
        nf.cancel();
        newInvoice(nf, "125");
        dm().Compras.append();
        QCOMPARE(dm().Compras.asText(QStringLiteral("RESPONSAVEL")), QStringLiteral("0001"));
    }

    void itemThatCannotBePostedLosesItsChanges()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        CachedDataset& items = dm().Compras;
        items.append();
        try {
            items.post(); // no COMPONENTE
            QFAIL("posted");
        } catch (const DbError& e) {
            QCOMPARE(e.sqlcode(), DbError::kRequiredNull);
        }
        QCOMPARE(items.state(), CachedDataset::State::Browse);
        QVERIFY(items.isEmpty());
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS")), 0);
    }

    void itemWriteFailureIsShownAndStaysPending()
    {
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addItem(1, "123", "0001", "0001");
        openInvoices();
        CachedDataset& items = dm().Compras;
        conn().execute(QStringLiteral("delete from COMPRAS"));
        items.edit();
        items.setText(QStringLiteral("LOTE"), QStringLiteral("X"));
        items.post();
        QCOMPARE(ws->window.messages.size(), 1);
        QCOMPARE(ws->window.messages.front(),
                 QStringLiteral("Erro tentando salvar o registro corrente na tabela COMPRAS.\r\rRegistro não "
                                "encontrado ou alterado por outro usuário."));
        QCOMPARE(items.pendingChanges(), 1);
    }

    // A new row the database refuses (here a check of the database's own, until it is lifted) is
    // reported, stays listed and pending, and is written by the next write once the database takes it.
    void refusedNewRowIsReportedAndNeverDropped_data()
    {
        QTest::addColumn<QString>("dataset");
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("message");
        QTest::newRow("item") << "Compras"
                              << "COMPONENTE"
                              << "Erro tentando salvar o registro corrente na tabela COMPRAS.";
        QTest::newRow("supplier") << "Fornecedor"
                                  << "NOMEFANTASIA"
                                  << "Não foi possível gravar o fornecedor no cadastro.";
    }
    void refusedNewRowIsReportedAndNeverDropped()
    {
        QFETCH(QString, dataset);
        QFETCH(QString, column);
        QFETCH(QString, message);
        try {
            refusedNewRowCase(dataset, column, message);
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }
    void refusedNewRowCase(const QString& dataset, const QString& column, const QString& message)
    {
        CachedDataset& ds = *dm().dataset(dataset);
        conn().execute(QStringLiteral("create table RECUSAS (X integer)"));
        conn().execute(QStringLiteral("insert into RECUSAS values (1)"));
        conn().execute(QStringLiteral("create exception RECUSADO 'recusado pelo banco'"));
        conn().execute(QStringLiteral("create trigger RECUSA for %1 before insert as begin if (new.%2 = 'RECUSADO' "
                                      "and exists (select 1 from RECUSAS)) then exception RECUSADO; end")
                           .arg(ds.table(), column));
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        ds.open();
        const auto enter = [&](const char* value) {
            ds.append();
            ds.setText(column, QString::fromLatin1(value));
            ds.post();
        };
        enter("RECUSADO");
        QCOMPARE(ds.pendingChanges(), 1);
        QCOMPARE(ws->window.messages.size(), 1);
        QVERIFY2(ws->window.messages.front().startsWith(message), qPrintable(ws->window.messages.front()));
        QVERIFY2(ws->window.messages.front().contains(QStringLiteral("recusado pelo banco")),
                 qPrintable(ws->window.messages.front()));
        if (dataset == QLatin1String("Compras")) {
            // The next Insert writes the refused item first; still refused, the Insert waits, and
            // neither it nor a move to another invoice reads the list again over the item.
            QVERIFY_THROWS_EXCEPTION(DatasetError, ds.append());
            QVERIFY_THROWS_EXCEPTION(DatasetError, dm().NFiscal.next());
            // A new invoice waits too, refused before its row exists: no half-made header is left
            // in the list to refuse every later one for its empty date.
            QVERIFY_THROWS_EXCEPTION(DatasetError, dm().NFiscal.append());
            QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Browse);
            QCOMPARE(dm().NFiscal.recordCount(), 1);
            QCOMPARE(ds.recordCount(), 1);
            QCOMPARE(ds.asText(column), QStringLiteral("RECUSADO"));
            QCOMPARE(ds.pendingChanges(), 1);
        }
        conn().execute(QStringLiteral("delete from RECUSAS"));
        enter("ACEITO");
        QCOMPARE(ds.pendingChanges(), 0);
        QCOMPARE(
            count(QStringLiteral("select count(*) from %1 where %2 in ('RECUSADO', 'ACEITO')").arg(ds.table(), column)),
            2);
    }

    void twoWorkstationsDrawingTheSameKeyBothStore_data()
    {
        QTest::addColumn<QString>("dataset");
        QTest::newRow("invoice") << "NFiscal";
        QTest::newRow("supplier") << "Fornecedor";
        QTest::newRow("payable") << "ContasP";
    }
    void twoWorkstationsDrawingTheSameKeyBothStore()
    {
        QFETCH(QString, dataset);
        Workstation other(*db);
        CachedDataset* mine = ws->dm->dataset(dataset);
        CachedDataset* theirs = other.dm->dataset(dataset);
        auto fill = [&](CachedDataset& ds, const char* name) {
            if (dataset == QLatin1String("NFiscal")) {
                ds.setText(QStringLiteral("DATA"), QStringLiteral("15/01/24"));
                ds.setText(QStringLiteral("NOTAFISCAL"), QString::fromLatin1(name));
                ds.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("0001"));
            } else if (dataset == QLatin1String("Fornecedor")) {
                ds.setText(QStringLiteral("NOMEFANTASIA"), QString::fromLatin1(name));
            } else {
                ds.setText(QStringLiteral("DESCRICAO"), QString::fromLatin1(name));
            }
        };
        mine->open();
        theirs->open();
        mine->append();
        theirs->append(); // both draw the same greatest + 1
        fill(*mine, "mine");
        fill(*theirs, "theirs");
        mine->post();
        theirs->post();
        // The workstation that drew again goes on storing its next rows.
        for (CachedDataset* ds : {mine, theirs}) {
            ds->append();
            fill(*ds, ds == mine ? "mine 2" : "theirs 2");
            ds->post();
        }
        const QString table = mine->table();
        QCOMPARE(count(QStringLiteral("select count(*) from ") + table), 4);
        QCOMPARE(mine->pendingChanges() + theirs->pendingChanges(), 0);
    }
};

QTEST_GUILESS_MAIN(TestDatasetRules)
#include "tst_datasetrules.moc"
