#include "data/DbError.h"
#include "data/FieldValue.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "tests/support/PurchaseRows.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

namespace {

// A change of the invoice's mode as the rules tell it: "from>to".
QString modeChange(InvoiceMode from, InvoiceMode to)
{
    return QLatin1String(InvoiceModeName(from)) + QLatin1Char('>') + QLatin1String(InvoiceModeName(to));
}

// A workstation's data module with no window, and what its rules told: the messages, the mode
// changes and how often a new item and a stored instalment were announced.
struct Workstation {
    SessionState session;
    std::unique_ptr<TDM> dm;
    std::unique_ptr<testdm::Messages> messages;
    QStringList modeChanges;
    int itemsAdded = 0;
    int instalmentChanges = 0;
    std::vector<ListenerHandle> listening;

    explicit Workstation(const TestDatabase& db)
    {
        session.WorkstationCode = QStringLiteral("01");
        session.StoreCnpj = QStringLiteral("11222333444455");
        session.DefaultStockLocation = QStringLiteral("Almoxarifado");
        dm = testdm::open(db, session);
        messages = std::make_unique<testdm::Messages>(*dm);
        DatasetRules& rules = dm->rules();
        listening.push_back(
            rules.modeChanged.add([this](InvoiceMode from, InvoiceMode to) { modeChanges << modeChange(from, to); }));
        listening.push_back(rules.itemAdded.add([this] { ++itemsAdded; }));
        listening.push_back(rules.instalmentsChanged.add([this] { ++instalmentChanges; }));
    }
    const QStringList& told() const { return messages->texts; }
};

} // namespace

Q_DECLARE_METATYPE(InvoiceMode)

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
        QCOMPARE(ws->itemsAdded, 1);

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
        QCOMPARE(dm().PagDiver.asText(QStringLiteral("VALOR")), QStringLiteral("200"));
        QCOMPARE(dm().PagDiver.asText(QStringLiteral("NFISCAL")), QStringLiteral("123"));
        dm().PagDiver.setText(QStringLiteral("DATA"), QStringLiteral("15/02/24"));
        dm().PagDiver.post();
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where ORDEM = 3 and VALOR = 200")), 1);
        QCOMPARE(ws->instalmentChanges, 1);
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

    // A new instalment proposes what the stored ones leave of the net value (200.00), whoever shows
    // it: the rules read it from the data.
    void newInstalmentProposesWhatIsLeft_data()
    {
        QTest::addColumn<QList<int>>("stored");
        QTest::addColumn<qint64>("proposed");
        QTest::newRow("none stored") << QList<int>{} << qint64(200);
        QTest::newRow("part stored") << QList<int>{120, 30} << qint64(50);
        QTest::newRow("all stored") << QList<int>{200} << qint64(0);
    }
    void newInstalmentProposesWhatIsLeft()
    {
        QFETCH(QList<int>, stored);
        QFETCH(qint64, proposed);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addInvoice(2, "01/16/24", "124", "ACME", "0001"); // another invoice's instalment counts not
        conn().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                      "values (99, 1, '02/01/2024', 70, '124', 'ACME')"));
        for (int i = 0; i < stored.size(); ++i)
            conn().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, "
                                          "FORNECEDOR) values (?, ?, '02/01/2024', ?, '123', 'ACME')"),
                           {qint64(i + 1), qint64(i + 1), qint64(stored[i])});
        openInvoices();
        QVERIFY(dm().NFiscal.locate({QDate(2024, 1, 15)}));
        dm().PagDiver.open();
        dm().PagDiver.append();
        QCOMPARE(field::toDecimal(dm().PagDiver.value(QStringLiteral("VALOR"))).rescaled(2).units, proposed * 100);
    }

    // The rules' own mode: an edit begun while browsing starts editing the header, a post while
    // editing goes back to browsing, and under the tax panel, or before the work area is shown,
    // the mode stays. Leaving the tax panel goes back to editing while the invoice is in edit.
    void invoiceModes_data()
    {
        QTest::addColumn<InvoiceMode>("from");
        QTest::addColumn<QString>("action");
        QTest::addColumn<InvoiceMode>("to");
        QTest::addColumn<QStringList>("told");
        QTest::newRow("insert while browsing")
            << InvoiceMode::Browsing << "insert" << InvoiceMode::EditingHeader << QStringList{"Browsing>EditingHeader"};
        QTest::newRow("insert before the work area")
            << InvoiceMode::Starting << "insert" << InvoiceMode::EditingHeader << QStringList{"Starting>EditingHeader"};
        QTest::newRow("edit while browsing")
            << InvoiceMode::Browsing << "edit" << InvoiceMode::EditingHeader << QStringList{"Browsing>EditingHeader"};
        QTest::newRow("edit under the tax panel")
            << InvoiceMode::Taxes << "edit" << InvoiceMode::Taxes << QStringList{};
        QTest::newRow("edit before the work area")
            << InvoiceMode::Starting << "edit" << InvoiceMode::Starting << QStringList{};
        QTest::newRow("post while editing") << InvoiceMode::Browsing << "post" << InvoiceMode::Browsing
                                            << QStringList{"Browsing>EditingHeader", "EditingHeader>Browsing"};
        QTest::newRow("post under the tax panel")
            << InvoiceMode::Taxes << "post" << InvoiceMode::Taxes << QStringList{};
        QTest::newRow("tax panel left, header in edit")
            << InvoiceMode::Taxes << "edit, leave taxes" << InvoiceMode::EditingHeader
            << QStringList{"Taxes>EditingHeader"};
        QTest::newRow("tax panel left, header stored")
            << InvoiceMode::Taxes << "leave taxes" << InvoiceMode::Browsing << QStringList{"Taxes>Browsing"};
    }
    void invoiceModes()
    {
        QFETCH(InvoiceMode, from);
        QFETCH(QString, action);
        QFETCH(InvoiceMode, to);
        QFETCH(QStringList, told);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        openInvoices();
        CachedDataset& nf = dm().NFiscal;
        DatasetRules& rules = dm().rules();
        rules.setMode(from);
        ws->modeChanges.clear();
        if (action == QLatin1String("insert")) {
            nf.append();
        } else if (action == QLatin1String("post")) {
            nf.edit();
            nf.setText(QStringLiteral("OBSERVACAO"), QStringLiteral("x"));
            nf.post();
        } else {
            if (action.startsWith(QLatin1String("edit")))
                nf.edit();
            if (action.endsWith(QLatin1String("leave taxes")))
                rules.leaveTaxes();
        }
        QCOMPARE(rules.mode(), to);
        QCOMPARE(ws->modeChanges, told);
        QCOMPARE(ws->session.InsertingInvoice, action == QLatin1String("insert"));
    }

    // A listener is told only while its handle lives: a window taken apart hears nothing more.
    void aListenerGoneHearsNothing()
    {
        DatasetRules& rules = dm().rules();
        int heard = 0;
        {
            const ListenerHandle listening = rules.modeChanged.add([&heard](InvoiceMode, InvoiceMode) { ++heard; });
            rules.setMode(InvoiceMode::Browsing);
            rules.setMode(InvoiceMode::Browsing); // no change, nothing told
        }
        rules.setMode(InvoiceMode::Taxes);
        QCOMPARE(heard, 1);
        QCOMPARE(rules.mode(), InvoiceMode::Taxes);
    }

    // A header change reaches the current item except under the tax panel, where the header's key
    // is not what is edited.
    void headerEditReachesTheCurrentItem_data()
    {
        QTest::addColumn<InvoiceMode>("mode");
        QTest::addColumn<QString>("itemDate");
        QTest::newRow("browsing") << InvoiceMode::Browsing << "20/02/2024";
        QTest::newRow("before the work area") << InvoiceMode::Starting << "20/02/2024";
        QTest::newRow("tax panel") << InvoiceMode::Taxes << "15/01/2024";
    }
    void headerEditReachesTheCurrentItem()
    {
        QFETCH(InvoiceMode, mode);
        QFETCH(QString, itemDate);
        addInvoice(1, "01/15/24", "123", "ACME", "0001");
        addItem(1, "123", "0001", "0001");
        openInvoices();
        dm().rules().setMode(mode);
        CachedDataset& nf = dm().NFiscal;
        nf.edit();
        const bool taxes = mode == InvoiceMode::Taxes;
        QCOMPARE(ws->session.SavedFieldText.date, taxes ? QString() : QStringLiteral("15/01/2024"));
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
        QCOMPARE(ws->told().size(), 1);
        QVERIFY(ws->told().front().contains(QStringLiteral("N.Fiscal 123 ACME")));
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
        QCOMPARE(ws->told().size(), 1);
        QCOMPARE(ws->told().front(),
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
        QCOMPARE(ws->told().size(), 1);
        QVERIFY2(ws->told().front().startsWith(message), qPrintable(ws->told().front()));
        QVERIFY2(ws->told().front().contains(QStringLiteral("recusado pelo banco")), qPrintable(ws->told().front()));
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
