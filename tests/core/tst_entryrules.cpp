#include "data/CachedDataset.h"
#include "entry/HeaderCascade.h"
#include "entry/ProductCost.h"
#include "entry/StockLocation.h"
#include "entry/SupplyProducts.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

// The rules of the item entry, run on the data module without a window: the stock location typed
// into an item, the product's cost per purchase unit and its update from an item's price, the
// supply product found from the typed text, and an item typed but not stored yet.
class TestEntryRules : public QObject {
    Q_OBJECT

    std::unique_ptr<TestDatabase> db;
    SessionState session;
    std::unique_ptr<TDM> dm;

    FbConnection& sql() { return db->connection(); }

    // A product of the catalogue: code, name, group, stock unit, divisor, cost and product multiplier.
    void product(const char* code, const char* name, const char* group, const char* unit, double divisor, double cost,
                 double multiplier = 1, const char* dcb = nullptr)
    {
        sql().execute(QStringLiteral("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, UNID, DIVISORUNID, CUSTOUNITR, "
                                     "MULTIPLICADOR, DCB) values (?, ?, ?, ?, ?, ?, ?, ?)"),
                      {QString::fromLatin1(code), QString::fromLatin1(name), QString::fromLatin1(group),
                       QString::fromLatin1(unit), Decimal::fromDouble(divisor, 8), Decimal::fromDouble(cost, 8),
                       Decimal::fromDouble(multiplier, 8), dcb ? Value(QString::fromLatin1(dcb)) : Value()});
    }
    std::optional<double> productValue(const char* code, const char* column)
    {
        const Values row =
            sql().executeRow(QStringLiteral("select %1 from COMPONEN where CODIGO = ?").arg(QLatin1String(column)),
                             {QString::fromLatin1(code)});
        if (row.empty() || isNull(row.front()))
            return std::nullopt;
        return std::get<Decimal>(row.front()).toDouble();
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        session.WorkstationCode = QStringLiteral("01");
        dm = testdm::open(*db, session);
    }
    void cleanup()
    {
        dm.reset();
        db.reset();
    }

    void stockLocation_data()
    {
        QTest::addColumn<QStringList>("locations");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("stored"); // null: the typed text stays

        const QStringList two = {"Matriz", "Filial"};
        QTest::newRow("no location: the store room") << QStringList{} << "Matriz" << true << "Almoxarifado";
        QTest::newRow("one location, whatever is typed") << QStringList{"Matriz"} << "x" << true << "Matriz";
        QTest::newRow("several, any letter case") << two << "fILIAL" << true << "Filial";
        QTest::newRow("several, the store room as typed") << two << "ALMOXARIFADO" << true << QString();
        QTest::newRow("several, unknown") << two << "Depósito" << false << QString();
        QTest::newRow("several, empty") << two << "" << false << QString();
    }
    void stockLocation()
    {
        QFETCH(QStringList, locations);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, stored);
        for (const QString& location : locations)
            sql().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values (?, '1')"), {location});

        const StockLocationCheck check = CheckStockLocationText(int(locations.size()), typed, dm->TabLab);
        QCOMPARE(check.accepted, accepted);
        QCOMPARE(check.location.value_or(QString()), stored);
        QCOMPARE(check.location.has_value(), !stored.isNull());
        QVERIFY(!dm->TabLab.isOpen());
    }

    void costPerUnit_data()
    {
        QTest::addColumn<QString>("unit");
        QTest::addColumn<double>("divisor");
        QTest::addColumn<QString>("purchaseUnit");
        QTest::addColumn<QString>("text");

        // 0,05 a ml; a litre holds 1000 ml (TABFORMP).
        QTest::newRow("per purchase unit") << "ml" << 1.0 << "L"
                                           << "50,00";
        QTest::newRow("unknown purchase unit: per stock unit") << "ml" << 1.0 << "un"
                                                               << "0,05 / ml";
        QTest::newRow("divisor of the stock unit") << "ml" << 10.0 << "un"
                                                   << "0,01 / ml";
        QTest::newRow("divisor 0: the cost as kept") << "ml" << 0.0 << "un"
                                                     << "0,05 / ml";
    }
    void costPerUnit()
    {
        QFETCH(QString, unit);
        QFETCH(double, divisor);
        QFETCH(QString, purchaseUnit);
        QFETCH(QString, text);
        product("S1", "Alcool", "SUP", unit.toLatin1().constData(), divisor, 0.05);
        sql().execute(QStringLiteral("insert into TABFORMP (UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, "
                                     "MULTIPLICADOR) values ('ml', 1, 'l', 1000)"));

        const auto shown = ItemCostPerUnit(dm->Componentes, dm->TabFormP, QStringLiteral("Alcool"), purchaseUnit);
        QVERIFY(shown);
        QCOMPARE(shown->text, text);
        QVERIFY(!dm->Componentes.isOpen() && !dm->TabFormP.isOpen());
    }
    void costPerUnitOfAProductNotInTheCatalogue()
    {
        product("R1", "Dipirona", "REV", "g", 1, 0.05); // not a supply product
        QVERIFY(!ItemCostPerUnit(dm->Componentes, dm->TabFormP, QStringLiteral("Dipirona"), QStringLiteral("g")));
        QVERIFY(!ItemCostPerUnit(dm->Componentes, dm->TabFormP, QStringLiteral("Luva"), QStringLiteral("un")));
    }

    // The price is of one unit of what the item holds now; the multiplier comes from that unit.
    void costUpdate_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("divisor");
        QTest::addColumn<QString>("purchaseUnit");
        QTest::addColumn<int>("result");
        QTest::addColumn<double>("cost");

        const int updated = int(CostUpdate::Updated);
        // A price of 20 for a litre of 1000 ml: 0,02 a ml.
        QTest::newRow("by code") << "S1"
                                 << "Outro nome" << 1.0 << "l" << updated << 0.02;
        QTest::newRow("by name when the code is unknown") << "S9"
                                                          << "Alcool" << 1.0 << "L" << updated << 0.02;
        QTest::newRow("a unit the table does not know: per stock unit") << "S1"
                                                                        << "Alcool" << 1.0 << "un" << updated << 20.0;
        QTest::newRow("a table row of multiplier 0 counts as 1") << "S1"
                                                                 << "Alcool" << 1.0 << "cx" << updated << 20.0;
        QTest::newRow("divisor 0: unchanged") << "S1"
                                              << "Alcool" << 0.0 << "l" << int(CostUpdate::Unchanged) << 0.05;
        QTest::newRow("not a supply product") << "R1"
                                              << "Dipirona" << 1.0 << "l" << int(CostUpdate::NotFound) << 0.05;
        QTest::newRow("unknown product") << "S9"
                                         << "Luva" << 1.0 << "l" << int(CostUpdate::NotFound) << 0.05;
    }
    void costUpdate()
    {
        QFETCH(QString, code);
        QFETCH(QString, name);
        QFETCH(double, divisor);
        QFETCH(QString, purchaseUnit);
        QFETCH(int, result);
        QFETCH(double, cost);
        product("S1", "Alcool", "SUP", "ml", divisor, 0.05, 2);
        product("R1", "Dipirona", "REV", "g", 1, 0.05, 2);
        for (const char* row : {"'ml', 1, 'l', 1000", "'ml', 0, 'l', 1000", "'ml', 1, 'cx', 0"})
            sql().execute(QStringLiteral("insert into TABFORMP (UNID_COMPONENTE, DIV_UNID_COMPONENTE, UNID_COMPRAS, "
                                         "MULTIPLICADOR) values (%1)")
                              .arg(QLatin1String(row)));

        QCOMPARE(int(UpdateProductCost(dm->Componentes, dm->TabFormP, code, name, purchaseUnit, 20.0)), result);
        const char* changed = result == int(CostUpdate::NotFound) && code == "R1" ? "R1" : "S1";
        QCOMPARE(productValue(changed, "CUSTOUNITR").value_or(-1), cost);
        if (result == int(CostUpdate::Updated))
            QCOMPARE(productValue("S1", "PRECOR").value_or(-1), cost * 2 / divisor); // cost × multiplier ÷ divisor
        QVERIFY(!dm->Componentes.isOpen() && !dm->TabFormP.isOpen());
    }

    void supplyProductSearch_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // the code, empty when nothing is found

        QTest::newRow("DCB code") << "01234"
                                  << "S1";
        QTest::newRow("name in the catalogue's letter case") << "ALCOOL 70%"
                                                             << "S1";
        QTest::newRow("vitamin name") << "vitamina c"
                                      << "S2";
        QTest::newRow("name of another group") << "dipirona"
                                               << "";
        QTest::newRow("DCB of another group") << "09999"
                                              << "";
        QTest::newRow("part of a name") << "alcool"
                                        << "";
        QTest::newRow("unknown") << "luva"
                                 << "";
    }
    void supplyProductSearch()
    {
        QFETCH(QString, typed);
        QFETCH(QString, found);
        product("S1", "Alcool 70%", "SUP", "ml", 1, 0.05, 1, "01234");
        product("S2", "Vitamina C", "SUP", "g", 1, 0.05);
        product("R1", "Dipirona", "REV", "g", 1, 0.05, 1, "09999");

        QCOMPARE(FindSupplyProduct(dm->Componentes, typed), !found.isEmpty());
        if (!found.isEmpty())
            QCOMPARE(dm->Componentes.asText(QStringLiteral("CODIGO")), found);
    }

    void storeTypedItem_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("stored"); // the products of COMPRAS afterwards

        QTest::newRow("browsing: nothing") << "browse" << QStringList{"ALCOOL"};
        QTest::newRow("new item with its product: stored") << "insert LUVA" << QStringList{"ALCOOL", "LUVA"};
        QTest::newRow("new item without a product: dropped") << "insert" << QStringList{"ALCOOL"};
        QTest::newRow("changed item: stored") << "edit GAZE" << QStringList{"GAZE"};
        QTest::newRow("item in edit, unchanged: nothing") << "edit" << QStringList{"ALCOOL"};
    }
    void storeTypedItem()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, stored);
        sql().execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, COMPONENTE, "
                                     "CODIGOFORNECEDOR) values ('01', 1, '2026-03-04', '123', 'ALCOOL', '0001')"));
        CachedDataset items(QStringLiteral("Compras"), sql(), QStringLiteral("COMPRAS"),
                            CachedDataset::WriteMode::KeyColumns, {"ESTACAO", "CODCOMPRA"});
        items.setCommandText(QStringLiteral("select ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, COMPONENTE, "
                                            "CODIGOFORNECEDOR from COMPRAS order by CODCOMPRA"));
        // The data module writes every posted item at once; a bare dataset needs the same rule.
        items.afterPost = [](CachedDataset& ds) { ds.applyUpdates(); };
        items.open();
        const QStringList words = action.split(u' ');
        if (words[0] == QLatin1String("insert")) {
            items.append();
            for (const auto& [column, value] :
                 {std::pair{"ESTACAO", "01"}, {"CODCOMPRA", "2"}, {"NOTAFISCAL", "123"}, {"CODIGOFORNECEDOR", "0001"}})
                items.setText(QLatin1String(column), QLatin1String(value));
            items.setText(QStringLiteral("DATA"), QStringLiteral("04/03/2026"));
        } else if (words[0] == QLatin1String("edit")) {
            items.edit();
        }
        if (words.size() > 1)
            items.setText(QStringLiteral("COMPONENTE"), words[1]);

        StoreTypedItem(items);
        QCOMPARE(items.state(), CachedDataset::State::Browse);
        QStringList products;
        auto cursor = sql().openCursor(QStringLiteral("select COMPONENTE from COMPRAS order by CODCOMPRA"));
        while (cursor->fetch())
            products << std::get<QString>(cursor->value(0));
        QCOMPARE(products, stored);
    }
};

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
