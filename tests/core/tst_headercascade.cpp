#include "entry/HeaderCascade.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "tests/support/PurchaseRows.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// The items of a recorded invoice follow a change of its date, number or supplier: every item
// carrying the invoice's old key, whatever its product, and the SUP items with an empty value in
// the changed column are swept away. A new number or supplier also reaches the invoice's
// instalments and the payables the finance module has not taken over; when one has been taken
// over, or another invoice of the supplier carries the number, the change is refused.
class TestHeaderCascade : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    SessionState session;
    std::unique_ptr<TDM> dm;

    FbConnection& conn() { return db->connection(); }

    // Item CODCOMPRA, date, number, supplier, supplier code and product.
    void addItem(int code, const char* date, const char* number, const char* supplier, const char* supplierCode,
                 const char* product)
    {
        testrows::Item item;
        item.code = code;
        item.date = date;
        item.number = number;
        item.supplier = supplier ? std::optional(QString::fromUtf8(supplier)) : std::nullopt;
        item.supplierCode = supplierCode;
        item.product = QStringLiteral("X");
        item.productCode = product;
        testrows::insertItem(conn(), item);
    }

    // Every item as "code date number supplier supplier-code", in code order.
    QStringList items()
    {
        QStringList rows;
        auto cursor = conn().openCursor(QStringLiteral(
            "select CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR from COMPRAS order by CODCOMPRA"));
        while (cursor->fetch()) {
            QStringList fields;
            fields << QString::number(std::get<qint64>(cursor->value(0)))
                   << std::get<QDate>(cursor->value(1)).toString("dd/MM/yyyy");
            for (int i = 2; i < 5; ++i)
                fields << (cursor->isNull(i) ? QString() : std::get<QString>(cursor->value(i)));
            rows << fields.join(QLatin1Char('|'));
        }
        return rows;
    }

    static QStringList before()
    {
        return {"1|15/01/2024|100|ACME|0001", "2|15/01/2024|100|ACME|0001", "3|15/01/2024|100|ACME|0001",
                "4|16/01/2024|100|ACME|0001", "5|15/01/2024|100|BETA|0002", "6|15/01/2024||ACME|0001",
                "7|15/01/2024|200||0001",     "8|15/01/2024|300||0001",     "9|15/01/2024|100|ACME|0001"};
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        dm = testdm::open(*db, session);
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('S1', 'ALCOOL', 'SUP')");
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('S2', 'LUVA', 'SUP')");
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('R1', 'DIPIRONA', 'REV')");
        conn().execute("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                       "GRUPDESP) values ('01', 1, '01/15/24', '100', 'ACME', '0001', 'SUP')");
        addItem(1, "01/15/24", "100", "ACME", "0001", "S1");
        addItem(2, "01/15/24", "100", "ACME", "0001", "S2");
        addItem(3, "01/15/24", "100", "ACME", "0001", "R1");    // not a supply
        addItem(4, "01/16/24", "100", "ACME", "0001", "S1");    // another day
        addItem(5, "01/15/24", "100", "BETA", "0002", "S1");    // another supplier
        addItem(6, "01/15/24", "", "ACME", "0001", "S1");       // no number
        addItem(7, "01/15/24", "200", nullptr, "0001", "S1");   // no supplier
        addItem(8, "01/15/24", "300", nullptr, "0001", "R1");   // no supplier, not a supply
        addItem(9, "01/15/24", "100", "ACME", "0001", nullptr); // an NF-e item whose product is unknown
        QCOMPARE(items(), before());
        dm->NFiscal.open();
    }
    void cleanup()
    {
        dm.reset();
        db.reset();
    }

    void itemsFollowTheHeader_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QStringList>("expected");

        QStringList date = before();
        for (int i : {0, 1, 2, 8})
            date[i].replace("15/01/2024", "20/01/2024");
        QTest::newRow("date") << int(HeaderColumn::Date) << "20/01/2024" << QString() << date;

        QStringList number = before();
        for (int i : {0, 1, 2, 8})
            number[i].replace("|100|", "|101|");
        number.removeAt(5); // the item without a number goes
        QTest::newRow("number") << int(HeaderColumn::Number) << "101" << QString() << number;

        QStringList supplier = before();
        for (int i : {0, 1, 2, 8})
            supplier[i].replace("ACME|0001", "D'Ávila Ltda|0003");
        supplier.removeAt(6); // the supply item without a supplier goes
        QTest::newRow("supplier with an apostrophe") << int(HeaderColumn::Supplier) << "D'Ávila Ltda"
                                                     << "0003" << supplier;
    }
    void itemsFollowTheHeader()
    {
        QFETCH(int, column);
        QFETCH(QString, newValue);
        QFETCH(QString, newCode);
        QFETCH(QStringList, expected);

        CascadeHeaderChange(*dm, HeaderColumn(column), {"15/01/2024", "100", "ACME", "0001"}, newValue, kHeaderKeyOrder,
                            kHeaderKeyOrder, newCode);
        QCOMPARE(items(), expected);
        QVERIFY(!dm->Compras2.isOpen());
    }

    // The item list is read again from the header's number, so a renumbered invoice shows its items.
    void itemListFollowsTheNewNumber()
    {
        CachedDataset& nf = dm->NFiscal;
        nf.edit();
        nf.setText("NOTAFISCAL", "101");
        CascadeHeaderChange(*dm, HeaderColumn::Number, {"15/01/2024", "100", "ACME", "0001"}, "101", kHeaderKeyOrder,
                            kHeaderKeyOrder);
        QVERIFY(dm->Compras.isOpen());
        QCOMPARE(dm->Compras.recordCount(), 4);
        QCOMPARE(dm->Compras.asText("NOTAFISCAL"), QStringLiteral("101"));
        QCOMPARE(dm->Compras.state(), CachedDataset::State::Edit);
    }

    // Another supplier with the same trade name: its item on the same day and number is renamed
    // with the old key, but keeps its supplier code, so it stays out of this invoice's item list.
    void supplierCodeChangesOnlyOnTheOldSuppliersItems()
    {
        addItem(10, "01/15/24", "100", "ACME", "0005", "S1");
        CascadeHeaderChange(*dm, HeaderColumn::Supplier, {"15/01/2024", "100", "ACME", "0001"}, "Beta", kHeaderKeyOrder,
                            kHeaderKeyOrder, "0002");
        const QStringList all = items();
        QCOMPARE(all.at(0), QStringLiteral("1|15/01/2024|100|Beta|0002"));
        QCOMPARE(all.at(1), QStringLiteral("2|15/01/2024|100|Beta|0002"));
        QCOMPARE(all.last(), QStringLiteral("10|15/01/2024|100|Beta|0005"));
    }

    // The cascade's checks read with a command of their own: a walk over the shared `SQLQuery1`
    // stays open and on its row.
    void sharedCommandKeepsItsWalk()
    {
        SqlCommand& walk = dm->SQLQuery1;
        walk.setText(QStringLiteral("select CODCOMPRA from COMPRAS order by CODCOMPRA"));
        walk.open();
        walk.next();
        CascadeHeaderChange(*dm, HeaderColumn::Number, {"15/01/2024", "100", "ACME", "0001"}, "101", kHeaderKeyOrder,
                            kHeaderKeyOrder);
        QVERIFY(walk.isOpen());
        QCOMPARE(walk.asInteger(QStringLiteral("CODCOMPRA")), 2);
        walk.next();
        QCOMPARE(walk.asInteger(QStringLiteral("CODCOMPRA")), 3);
        walk.close();
    }

private:
    void addInstalment(int code, const char* number)
    {
        conn().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, NFISCAL, FORNECEDOR, VALOR) "
                                      "values (?, 1, ?, 'ACME', 10)"),
                       {qint64(code), QString::fromLatin1(number)});
    }
    void addPayable(int code, const char* description, const char* status)
    {
        conn().execute(QStringLiteral("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values "
                                      "(?, ?, 10, ?)"),
                       {qint64(code), QString::fromLatin1(description), QString::fromLatin1(status)});
    }
    QStringList rowsOf(const QString& sql)
    {
        QStringList rows;
        auto cursor = conn().openCursor(sql);
        while (cursor->fetch())
            rows << cursor->text(0);
        return rows;
    }
    QStringList instalments()
    {
        return rowsOf("select NFISCAL || '|' || FORNECEDOR from PAGDIVER order by CODPAGDIVER");
    }
    QStringList payables() { return rowsOf("select DESCRICAO from CTAPAGAR order by CODCTAPAGAR"); }

private slots:
    void paymentsFollowANewNumberOrSupplier_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("instalment");
        QTest::addColumn<QString>("description");
        QTest::newRow("number") << int(HeaderColumn::Number) << "101" << QString() << "101|ACME"
                                << "N.Fiscal 101 ACME";
        QTest::newRow("supplier") << int(HeaderColumn::Supplier) << "Beta"
                                  << "0002"
                                  << "100|Beta"
                                  << "N.Fiscal 100 Beta";
    }
    void paymentsFollowANewNumberOrSupplier()
    {
        QFETCH(int, column);
        QFETCH(QString, newValue);
        QFETCH(QString, newCode);
        QFETCH(QString, instalment);
        QFETCH(QString, description);
        addInstalment(1, "100");
        addInstalment(2, "200"); // another invoice's
        addPayable(1, "N.Fiscal 100 ACME", "Atualizado (pagar)");
        addPayable(2, "N.Fiscal 200 ACME", "Pago");
        CascadeHeaderChange(*dm, HeaderColumn(column), {"15/01/2024", "100", "ACME", "0001"}, newValue, kHeaderKeyOrder,
                            kHeaderKeyOrder, newCode);
        QCOMPARE(instalments(), (QStringList{instalment, "200|ACME"}));
        QCOMPARE(payables(), (QStringList{description, "N.Fiscal 200 ACME"}));
    }

    // Nothing moves and the header gets its old value back.
    void aChangeTheInvoiceCannotFollowIsRefused_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("newValue");
        QTest::addColumn<QString>("newCode");
        QTest::addColumn<QString>("paidPayable");
        QTest::addColumn<QString>("message");
        const QString paid = "N.Fiscal 100 ACME";
        QTest::newRow("number, a payable paid")
            << int(HeaderColumn::Number) << "101" << QString() << paid << kPayablesTakenOverMessage;
        QTest::newRow("supplier, a payable paid") << int(HeaderColumn::Supplier) << "Beta"
                                                  << "0002" << paid << kPayablesTakenOverMessage;
        QTest::newRow("number another invoice carries")
            << int(HeaderColumn::Number) << "500" << QString() << QString() << InvoiceNumberTakenMessage("500", "ACME");
    }
    void aChangeTheInvoiceCannotFollowIsRefused()
    {
        QFETCH(int, column);
        QFETCH(QString, newValue);
        QFETCH(QString, newCode);
        QFETCH(QString, paidPayable);
        QFETCH(QString, message);
        conn().execute("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                       "GRUPDESP) values ('01', 2, '03/01/24', '500', 'ACME', '0001', 'SUP')");
        addInstalment(1, "100");
        addPayable(1, "N.Fiscal 100 ACME", "Atualizado (pagar)");
        if (!paidPayable.isEmpty())
            addPayable(2, paidPayable.toLatin1().constData(), "Pago");
        const QStringList payablesBefore = payables();
        CachedDataset& nf = dm->NFiscal;
        QVERIFY(nf.locate({QDate(2024, 1, 15)}));
        nf.edit();
        const HeaderColumn changed = HeaderColumn(column);
        nf.setText(changed == HeaderColumn::Number ? "NOTAFISCAL" : "FORNECEDOR", newValue);
        try {
            CascadeHeaderChange(*dm, changed, {"15/01/2024", "100", "ACME", "0001"}, newValue, kHeaderKeyOrder,
                                kHeaderKeyOrder, newCode);
            QFAIL("the change went through");
        } catch (const HeaderChangeRefused& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(items(), before());
        QCOMPARE(instalments(), QStringList{"100|ACME"});
        QCOMPARE(payables(), payablesBefore);
        QCOMPARE(nf.asText("NOTAFISCAL"), QStringLiteral("100"));
        QCOMPARE(nf.asText("FORNECEDOR"), QStringLiteral("ACME"));
    }

    // A new invoice typed with the number and supplier of a recorded one, whose payable finance has
    // taken over, is corrected to another number: the payable and the instalments found by the
    // old description are the recorded invoice's, so they neither block the change nor move.
    void anotherInvoicesPayablesNeitherBlockNorMove()
    {
        conn().execute("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                       "GRUPDESP) values ('01', 2, '03/01/24', '100', 'ACME', '0001', 'SUP')");
        addInstalment(1, "100");
        addPayable(1, "N.Fiscal 100 ACME", "Pago");
        addPayable(2, "N.Fiscal 100 ACME", "Atualizado (pagar)");
        CachedDataset& nf = dm->NFiscal;
        nf.close();
        nf.open();
        QVERIFY(nf.locate({QDate(2024, 3, 1)}));
        nf.edit();
        nf.setText("NOTAFISCAL", QStringLiteral("101"));
        CascadeHeaderChange(*dm, HeaderColumn::Number, {"01/03/2024", "100", "ACME", "0001"}, "101", kHeaderKeyOrder,
                            kHeaderKeyOrder);
        QCOMPARE(nf.asText("NOTAFISCAL"), QStringLiteral("101"));
        QCOMPARE(instalments(), QStringList{"100|ACME"});
        QCOMPARE(payables(), (QStringList{"N.Fiscal 100 ACME", "N.Fiscal 100 ACME"}));
    }

    void anOldKeyNobodyCarriesChangesNoItem()
    {
        CascadeHeaderChange(*dm, HeaderColumn::Date, {"15/01/2024", "999", "ACME", "0001"}, "20/01/2024",
                            kHeaderKeyOrder, kHeaderKeyOrder);
        QCOMPARE(items(), before());
    }
};

QTEST_GUILESS_MAIN(TestHeaderCascade)
#include "tst_headercascade.moc"
