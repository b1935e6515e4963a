#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "entry/HeaderCascade.h"
#include "tests/support/PurchaseRows.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// The items of a recorded invoice follow a change of its date, number or supplier: only the SUP
// items carrying the invoice's old key, and the SUP items with an empty value in the changed
// column are swept away.
class TestHeaderCascade : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    SessionState session;
    NoWindow window;
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
                "7|15/01/2024|200||0001",     "8|15/01/2024|300||0001"};
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        dm = std::make_unique<TDM>(db->sharedParams(), db->workstationParams(), session, window);
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('S1', 'ALCOOL', 'SUP')");
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('S2', 'LUVA', 'SUP')");
        conn().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('R1', 'DIPIRONA', 'REV')");
        conn().execute("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                       "GRUPDESP) values ('01', 1, '01/15/24', '100', 'ACME', '0001', 'SUP')");
        addItem(1, "01/15/24", "100", "ACME", "0001", "S1");
        addItem(2, "01/15/24", "100", "ACME", "0001", "S2");
        addItem(3, "01/15/24", "100", "ACME", "0001", "R1");  // not a supply
        addItem(4, "01/16/24", "100", "ACME", "0001", "S1");  // another day
        addItem(5, "01/15/24", "100", "BETA", "0002", "S1");  // another supplier
        addItem(6, "01/15/24", "", "ACME", "0001", "S1");     // no number
        addItem(7, "01/15/24", "200", nullptr, "0001", "S1"); // no supplier
        addItem(8, "01/15/24", "300", nullptr, "0001", "R1"); // no supplier, not a supply
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
        date[0] = "1|20/01/2024|100|ACME|0001";
        date[1] = "2|20/01/2024|100|ACME|0001";
        QTest::newRow("date") << int(HeaderColumn::Date) << "20/01/2024" << QString() << date;

        QStringList number = before();
        number[0] = "1|15/01/2024|101|ACME|0001";
        number[1] = "2|15/01/2024|101|ACME|0001";
        number.removeAt(5); // the item without a number goes
        QTest::newRow("number") << int(HeaderColumn::Number) << "101" << QString() << number;

        QStringList supplier = before();
        supplier[0] = "1|15/01/2024|100|D'Ávila Ltda|0003";
        supplier[1] = "2|15/01/2024|100|D'Ávila Ltda|0003";
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
        QCOMPARE(dm->Compras.recordCount(), 2);
        QCOMPARE(dm->Compras.asText("NOTAFISCAL"), QStringLiteral("101"));
        QCOMPARE(dm->Compras.state(), CachedDataset::State::Edit);
    }

    // Another supplier with the same trade name: its item on the same day and number is renamed
    // with the old key, but keeps its supplier code, so it stays out of this invoice's item list.
    void supplierCodeChangesOnlyOnTheOldSuppliersItems()
    {
        addItem(9, "01/15/24", "100", "ACME", "0005", "S1");
        CascadeHeaderChange(*dm, HeaderColumn::Supplier, {"15/01/2024", "100", "ACME", "0001"}, "Beta", kHeaderKeyOrder,
                            kHeaderKeyOrder, "0002");
        const QStringList all = items();
        QCOMPARE(all.at(0), QStringLiteral("1|15/01/2024|100|Beta|0002"));
        QCOMPARE(all.at(1), QStringLiteral("2|15/01/2024|100|Beta|0002"));
        QCOMPARE(all.last(), QStringLiteral("9|15/01/2024|100|Beta|0005"));
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
