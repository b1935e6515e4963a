#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemGrid.h"
#include "tests/ui/ItemWindow.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>

// The item grid of the invoice window: the column walk, the quantity and price rules, the
// stock-location check, the colours, the context menu and the empty-row guard.
class TestItemGrid : public QObject {
    Q_OBJECT

private slots:
    void rowWithoutProductKeepsTheCursorInTheProductColumn()
    {
        ItemWindow w;
        QVERIFY(w.start());
        w.newItem();
        for (int column = 1; column < 14; ++column) {
            w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(column);
            QCOMPARE(w.column(), 0);
        }
        QTest::keyClick(w.form->findChild<DBGrid*>("DBGrid1"), Qt::Key_Tab);
        QCOMPARE(w.column(), 0);
    }

    void enterWalksTheColumnsOfOneRow()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "kg", 50);
        w.item(2, "Talco", "S1", 3, "kg", 50);
        QVERIFY(w.start());
        w.dm->Compras.first();
        QList<int> walk;
        for (int i = 0; i < 10; ++i) {
            w.press(Qt::Key_Return);
            walk << w.column();
        }
        QCOMPARE(walk, (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 0}));
        QCOMPARE(w.dm->Compras.currentRow(), 0);
        QVERIFY(w.dialogs().messages.isEmpty());
        for (int column = 10; column < 14; ++column) {
            w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(column);
            w.press(Qt::Key_Return);
            QCOMPARE(w.column(), column);
        }
    }

    void quantityCanBeTypedOnlyOnce()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g");
        QVERIFY(w.start());
        w.newItem();
        w.type("talco");
        w.press(Qt::Key_Return);
        QCOMPARE(w.itemText("COMPONENTE"), QStringLiteral("Talco"));
        w.type("10");
        w.press(Qt::Key_Return);
        QVERIFY(w.dialogs().messages.isEmpty());
        QCOMPARE(w.dm->Compras.asFloat("QUANTIDADE"), 10.0);

        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(ItemGrid::Quantidade);
        w.type("12");
        w.press(Qt::Key_Return);
        QCOMPARE(w.dialogs().messages, QStringList{ItemGrid::kQuantityMessage});
        QCOMPARE(w.dm->Compras.asFloat("QUANTIDADE"), 10.0);
    }

    // Without a fresh capture, the second row's 7 would be compared with the first row's 5 and
    // overwritten with it.
    void anotherRowInTheQuantityColumnBringsItsOwnQuantity()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 5, "g", 1);
        w.item(2, "Talco", "S1", 7, "g", 1);
        QVERIFY(w.start());
        w.dm->Compras.first();
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(ItemGrid::Quantidade);
        QTest::keyClick(w.form->findChild<DBGrid*>("DBGrid1"), Qt::Key_Down);
        QCOMPARE(w.dm->Compras.currentRow(), 1);
        w.press(Qt::Key_Return);
        QVERIFY(w.dialogs().messages.isEmpty());
        QCOMPARE(w.dm->Compras.asFloat("QUANTIDADE"), 7.0);
    }

    // Moving to another row leaves the column too: a changed quantity is refused and a changed price
    // becomes the product's cost, on the row being left, before it is saved.
    void leavingTheRowRunsTheRuleOfTheColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("items");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<double>("cost");
        QTest::newRow("quantity, next row") << int(ItemGrid::Quantidade) << "12" << 2 << true << 9.0;
        QTest::newRow("quantity, past the last row") << int(ItemGrid::Quantidade) << "12" << 1 << true << 9.0;
        QTest::newRow("price, next row") << int(ItemGrid::PrecoUnitR) << "1,60" << 2 << false << 1.6;
        QTest::newRow("price, past the last row") << int(ItemGrid::PrecoUnitR) << "1,60" << 1 << false << 1.6;
    }
    void leavingTheRowRunsTheRuleOfTheColumn()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, items);
        QFETCH(bool, refused);
        QFETCH(double, cost);
        ItemWindow w;
        w.session.AutoPriceUpdate = true;
        w.product("S1", "Talco", "g", {}, QStringLiteral("SUP"), 9);
        for (int key = 1; key <= items; ++key)
            w.item(key, "Talco", "S1", 10, "g", 1.5);
        QVERIFY(w.start());
        while (w.column() != column)
            w.press(Qt::Key_Return);
        w.type(typed);
        w.press(Qt::Key_Down);
        QCOMPARE(w.dm->Compras.currentRow(), 1);
        QCOMPARE(w.dialogs().messages.count(ItemGrid::kQuantityMessage), refused ? 1 : 0);
        QCOMPARE(w.productValue("S1", "CUSTOUNITR"), cost);
        const Values saved = w.sql().executeRow(QStringLiteral("select QUANTIDADE from COMPRAS where CODCOMPRA = 1"));
        QCOMPARE(std::get<Decimal>(saved.front()).toDouble(), 10.0);
    }

    // With the automatic update on, a price that changes in its two decimals becomes the product's
    // cost, even for a clerk without the financial right.
    void changedPriceUpdatesTheProductCost_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<double>("cost");
        QTest::newRow("same two decimals") << "1,5" << 9.0;
        QTest::newRow("another price") << "1,60" << 1.6;
    }
    void changedPriceUpdatesTheProductCost()
    {
        QFETCH(QString, typed);
        QFETCH(double, cost);
        ItemWindow w;
        w.session.AutoPriceUpdate = true;
        w.session.FinancialAccess = false;
        w.product("S1", "Talco", "g", {}, QStringLiteral("SUP"), 9);
        w.item(1, "Talco", "S1", 2, "g", 1.5);
        QVERIFY(w.start());
        for (int i = 0; i < 3; ++i) // product, quantity, unit: on to the price
            w.press(Qt::Key_Return);
        QCOMPARE(w.column(), int(ItemGrid::PrecoUnitR));
        w.type(typed);
        w.press(Qt::Key_Return);
        QVERIFY(w.dialogs().messages.isEmpty());
        QCOMPARE(w.productValue("S1", "CUSTOUNITR"), cost);
        QCOMPARE(w.dm->Compras.asFloat("SALDO"), 2 * w.dm->Compras.asFloat("PRECOUNITR"));
    }

    void stockLocationIsCheckedWhenTheGridIsLeft_data()
    {
        QTest::addColumn<QStringList>("locations");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("refused");
        const QStringList two = {"Deposito", "Loja"};
        QTest::newRow("one location") << QStringList{"Deposito"} << "Outro"
                                      << "Deposito" << false;
        QTest::newRow("none") << QStringList{} << "Outro"
                              << "Almoxarifado" << false;
        QTest::newRow("other letter case") << two << "DEPOSITO"
                                           << "Deposito" << false;
        QTest::newRow("almoxarifado as typed") << two << "almoxarifado"
                                               << "almoxarifado" << false;
        QTest::newRow("unknown") << two << "Outro"
                                 << "Outro" << true;
    }
    void stockLocationIsCheckedWhenTheGridIsLeft()
    {
        QFETCH(QStringList, locations);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(bool, refused);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        for (const QString& location : locations)
            w.sql().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values (%1, '11222333000181')")
                                .arg(sql::quoted(location)));
        w.session.StockLocationCount = int(locations.size());
        QVERIFY(w.start());
        w.dm->Compras.edit();
        w.dm->Compras.setText("LABORATORIO", typed);
        w.form->findChild<DBEdit*>("DBEditNotaFiscal")->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.itemText("LABORATORIO"), stored);
        QCOMPARE(w.dialogs().messages, refused ? QStringList{ItemGrid::kStockLocationMessage} : QStringList{});
        if (refused) {
            QVERIFY(w.form->findChild<DBGrid*>("DBGrid1")->hasFocus());
            QCOMPARE(w.column(), int(ItemGrid::Laboratorio));
        }
    }

    void expiredRowsAreWhiteOnMaroon()
    {
        ItemWindow w;
        w.item(1, "Talco", "S1", 2, "g", 1, QStringLiteral("vencido"));
        w.item(2, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        w.dm->Compras.fetchAll();
        const QAbstractItemModel* model = w.form->findChild<DBGrid*>("DBGrid1")->model();
        for (int row = 0; row < 2; ++row) {
            const bool expired = w.dm->Compras.textAt(row, w.dm->Compras.fieldIndex("SITUACAO")) == "vencido";
            const QModelIndex cell = model->index(row, 6);
            QCOMPARE(cell.data(Qt::BackgroundRole).value<QBrush>().color(),
                     expired ? QColor(128, 0, 0) : QColor(Qt::white));
            QCOMPARE(cell.data(Qt::ForegroundRole).value<QBrush>().color(),
                     expired ? QColor(Qt::white) : QColor(Qt::black));
        }
    }

    void priceHintNamesThePurchaseUnitAndHidesOnClick()
    {
        ItemWindow w;
        w.product("S1", "Talco", "kg");
        w.item(1, "Talco", "S1", 2, "kg", 1);
        QVERIFY(w.start());
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(ItemGrid::PrecoUnitR);
        QVERIFY(w.form->findChild<QFrame*>("PainelAlertaCusto")->isVisible());
        QCOMPARE(w.form->findChild<QFrame*>("PainelAlertaCusto")->findChild<QLabel*>()->text(),
                 QStringLiteral("Informe o Preço de Aquisição de 1 kg"));
        QTest::mouseClick(w.form->findChild<QFrame*>("PainelAlertaCusto"), Qt::LeftButton);
        QVERIFY(!w.form->findChild<QFrame*>("PainelAlertaCusto")->isVisible());
    }

    void ctrlDeleteSparesARowWithoutProduct()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        w.newItem();
        w.press(Qt::Key_Delete, Qt::ControlModifier);
        QVERIFY(w.dialogs().questions.isEmpty());
        w.dialogs().answers = {false};
        w.dm->Compras.cancel();
        w.press(Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(w.dialogs().questions, QStringList{QStringLiteral("Excluir o registro?")});
    }

    // Leaving the grid of an invoice without items adds no row that would pull the focus back:
    // the clerk can still go back to the header.
    void emptyItemListLetsTheFocusGo()
    {
        ItemWindow w;
        QVERIFY(w.start());
        QVERIFY(w.dm->Compras.isEmpty());
        w.form->findChild<DBEdit*>("DBEditNotaFiscal")->setFocus(Qt::MouseFocusReason);
        QTest::qWait(50);
        QVERIFY(w.form->findChild<DBEdit*>("DBEditNotaFiscal")->hasFocus());
        QVERIFY(w.dm->Compras.isEmpty());
    }

    void novoItemAddsARow()
    {
        ItemWindow w;
        QVERIFY(w.start());
        auto* action = w.form->findChild<DBGrid*>("DBGrid1")->findChild<QAction*>("NovoItem");
        QVERIFY(action);
        QCOMPARE(action->text(), QStringLiteral("Novo Item"));
        action->trigger();
        QCOMPARE(w.dm->Compras.state(), CachedDataset::State::Insert);
        QCOMPARE(w.itemText("NOTAFISCAL"), QStringLiteral("123"));
    }
};

QTEST_MAIN(TestItemGrid)
#include "tst_itemgrid.moc"
