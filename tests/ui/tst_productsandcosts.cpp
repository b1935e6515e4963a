#include "db/ColumnLists.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemGrid.h"
#include "tests/ui/ItemWindow.h"

#include <QLabel>
#include <QPushButton>

namespace {

// The supply catalogue of the look-up cases, with a product of another group whose name a clerk
// could type exactly.
void catalogue(ItemWindow& w)
{
    w.product("S1", "Talco", "g", "T01");
    w.product("S2", "Vitamina C", "un", "VC");
    w.product("S3", "Vitamina e", "un");
    w.product("S4", "Zinco", "g");
    w.product("R1", "Acido folico", "g", "AF", "REV");
}

// Whether the searching panel was up when the look-up began (the product dataset closed for its
// first statement).
struct SearchWatch {
    SearchWatch(const QWidget* panel, CachedDataset& products)
    {
        QObject::connect(&products, &CachedDataset::closed, &context, [this, panel] {
            if (!started)
                shownAtStart = panel->isVisible();
            started = true;
        });
    }
    QObject context;
    bool started = false;
    bool shownAtStart = false;
};

} // namespace

// The product of an item, its purchase unit, its cost per unit and the cost update.
class TestProductsAndCosts : public QObject {
    Q_OBJECT

private slots:
    void productLookUp_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("taken");       // the product taken, empty when the panel opens
        QTest::addColumn<QString>("highlighted"); // the product the panel opens on
        QTest::newRow("DCB") << "T01"
                             << "S1"
                             << "";
        QTest::newRow("name in another letter case") << "vitamina c"
                                                     << "S2"
                                                     << "";
        QTest::newRow("stored in another letter case") << "Vitamina e"
                                                       << ""
                                                       << "Vitamina e";
        QTest::newRow("over 40 characters") << "talco " + QString(40, u'x') << ""
                                            << "Vitamina C";
        QTest::newRow("name of another group") << "acido folico"
                                               << ""
                                               << "Talco";
        QTest::newRow("DCB of another group") << "AF"
                                              << ""
                                              << "Talco";
        QTest::newRow("apostrophe") << "d'agua"
                                    << ""
                                    << "Talco";
        QTest::newRow("empty") << ""
                               << ""
                               << "Talco";
    }
    void productLookUp()
    {
        QFETCH(QString, typed);
        QFETCH(QString, taken);
        QFETCH(QString, highlighted);
        ItemWindow w;
        catalogue(w);
        QVERIFY(w.start());
        SearchWatch watch(w.form->Painel_Procurando, w.dm->Componentes);
        w.newItem();
        w.type(typed);
        w.press(Qt::Key_Return);
        QVERIFY(watch.shownAtStart);
        QVERIFY(!w.form->Painel_Procurando->isVisible());
        QVERIFY(w.dialogs().messages.isEmpty());
        QCOMPARE(w.form->findChild<QFrame*>("PainelOpCompras")->isVisible(), taken.isEmpty());
        if (!taken.isEmpty()) {
            QCOMPARE(w.itemText("CODIGO"), taken);
            QCOMPARE(w.column(), int(ItemGrid::Quantidade));
            return;
        }
        const CachedDataset& options = w.dm->CompNomes;
        QCOMPARE(options.asText("COMPONENTE"), highlighted);
        for (int row = 0; row < options.fetchedRowCount(); ++row)
            QCOMPARE(options.textAt(row, options.fieldIndex("GRUPO")), QStringLiteral("SUP"));
        QCOMPARE(w.form->findChild<QLabel*>("grp1COMPONENTE")->text(), highlighted);
        QVERIFY(!w.form->BotSairCompras->isEnabled());
    }

    void optionsPanelEnterTakesEscKeeps_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("product");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("supplierCode");
        QTest::newRow("Enter") << Qt::Key_Return << "Vitamina e"
                               << "S3"
                               << "0001";
        QTest::newRow("Esc") << Qt::Key_Escape << "vitamina E"
                             << ""
                             << "0001";
    }
    void optionsPanelEnterTakesEscKeeps()
    {
        QFETCH(Qt::Key, key);
        QFETCH(QString, product);
        QFETCH(QString, code);
        QFETCH(QString, supplierCode);
        ItemWindow w;
        catalogue(w);
        QVERIFY(w.start());
        w.newItem();
        w.type("vitamina E");
        w.press(Qt::Key_Return);
        QVERIFY(w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        w.press(key);
        QVERIFY(!w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        QVERIFY(!w.dm->CompNomes.isOpen());
        QTRY_VERIFY(w.form->findChild<DBGrid*>("DBGrid1")->hasFocus());
        QVERIFY(w.form->BotSairCompras->isEnabled());
        QCOMPARE(w.itemText("COMPONENTE"), product);
        QCOMPARE(w.itemText("CODIGO"), code);
        QCOMPARE(w.itemText("CODIGOFORNECEDOR"), supplierCode);
    }

    // The options panel opens on the nearest product, in view, highlighted and current in the
    // list, so the first arrow moves from it.
    void optionsPanelOpensOnTheNearestProduct_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("nearest"); // number of the product in the catalogue below
        QTest::newRow("first") << "a" << 0;
        QTest::newRow("out of the first screen") << "produto 45x" << 46;
        QTest::newRow("past the last") << "zzz" << 79;
    }
    void optionsPanelOpensOnTheNearestProduct()
    {
        QFETCH(QString, typed);
        QFETCH(int, nearest);
        ItemWindow w;
        const auto name = [](int n) { return QStringLiteral("Produto %1").arg(n, 2, 10, QChar(u'0')); };
        for (int n = 0; n < 80; ++n)
            w.product(QStringLiteral("P%1").arg(n), name(n));
        QVERIFY(w.start());
        w.newItem();
        w.type(typed);
        w.press(Qt::Key_Return);
        auto* list = w.form->findChild<DBGrid*>("GradeOpCompras");
        QTRY_VERIFY(list->hasFocus());
        const CachedDataset& options = w.dm->CompNomes;
        QCOMPARE(options.asText("COMPONENTE"), name(nearest));
        const QModelIndex current = list->currentIndex();
        QCOMPARE(current.row(), options.currentRow());
        QVERIFY(list->selectionModel()->isRowSelected(current.row(), {}));
        QTRY_VERIFY(list->viewport()->rect().contains(list->visualRect(current)));

        const Qt::Key away = nearest == 0 ? Qt::Key_Down : Qt::Key_Up;
        w.press(away);
        QCOMPARE(options.asText("COMPONENTE"), name(nearest == 0 ? 1 : nearest - 1));
        QCOMPARE(w.form->findChild<QLabel*>("grp1COMPONENTE")->text(), options.asText("COMPONENTE"));
    }

    // A saved item bought in kg of a product kept in g keeps its unit while the clerk walks through
    // the product cell; only a product typed anew is looked up again.
    void productCellLooksUpOnlyAChangedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("unit");
        QTest::newRow("walked through") << ""
                                        << "S1"
                                        << "kg";
        // The row's quantity is in the unit it holds: another product does not turn 2 kg into 2 g.
        QTest::newRow("another product typed") << "zinco"
                                               << "S4"
                                               << "kg";
    }
    void productCellLooksUpOnlyAChangedText()
    {
        QFETCH(QString, typed);
        QFETCH(QString, code);
        QFETCH(QString, unit);
        ItemWindow w;
        catalogue(w);
        w.item(1, "Talco", "S1", 2, "kg", 50);
        QVERIFY(w.start());
        w.dm->Compras.edit(); // as once the clerk has walked the row
        w.type(typed);
        w.press(Qt::Key_Return);
        QCOMPARE(w.column(), int(ItemGrid::Quantidade));
        QVERIFY(!w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        QCOMPARE(w.itemText("CODIGO"), code);
        QCOMPARE(w.itemText("UNIDADE"), unit);
    }

    // An item bought by the box (an NF-e item identified in the grid) keeps its box when its product
    // is taken from "Opções de produtos mais próximos".
    void aProductTakenFromTheOptionsKeepsTheRowsUnit()
    {
        ItemWindow w;
        catalogue(w);
        w.item(1, "VITAMINA C 500MG CX", {}, 3, "cx", 40);
        QVERIFY(w.start());
        w.dm->Compras.edit(); // as once the clerk has walked the row
        w.type("vitamina");
        w.press(Qt::Key_Return);
        QVERIFY(w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        w.press(Qt::Key_Return);
        QVERIFY(!w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        QVERIFY(!w.itemText("CODIGO").isEmpty());
        QCOMPARE(w.itemText("UNIDADE"), QStringLiteral("cx"));
    }

    // A saved item whose product is typed anew and not taken from the panel no longer belongs to
    // its former product.
    void escLeavesASavedItemWithoutProductCodeAndUnit()
    {
        ItemWindow w;
        catalogue(w);
        w.item(1, "Talco", "S1", 2, "kg", 50);
        QVERIFY(w.start());
        w.dm->Compras.edit(); // as once the clerk has walked the row
        w.type("vitamina E");
        w.press(Qt::Key_Return);
        QVERIFY(w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        w.press(Qt::Key_Escape);
        QVERIFY(!w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        QCOMPARE(w.itemText("COMPONENTE"), QStringLiteral("vitamina E"));
        QCOMPARE(w.itemText("CODIGO"), QString());
        QCOMPARE(w.itemText("UNIDADE"), QString());
    }

    void unitIsStoredInSmallLetters_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<QString>("stored"); // after Esc when the panel opened
        QTest::newRow("known unit") << "KG" << false << "kg";
        QTest::newRow("unknown unit") << "kx" << true << "l";
    }
    void unitIsStoredInSmallLetters()
    {
        QFETCH(QString, typed);
        QFETCH(bool, panel);
        QFETCH(QString, stored);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        w.press(Qt::Key_Return);
        w.press(Qt::Key_Return);
        QCOMPARE(w.column(), int(ItemGrid::Unidade));
        w.type(typed);
        w.press(Qt::Key_Return);
        QCOMPARE(w.form->findChild<QFrame*>("PainelOpUnidades")->isVisible(), panel);
        if (panel) {
            QCOMPARE(w.dm->Unidades.asText("UNIDADE"), stored);
            w.press(Qt::Key_Escape);
            QVERIFY(!w.form->findChild<QFrame*>("PainelOpUnidades")->isVisible());
        }
        QCOMPARE(w.itemText("UNIDADE"), stored);
    }

    // Product kept in g, divisor 1, cost 0,05; TABFORMP knows (g, 1, kg) with 1000 g to the kg.
    void costLabelPerPurchaseOrStockUnit()
    {
        ItemWindow w;
        w.sql().execute("insert into TABFORMP values ('g', 1, 'kg', 1000)");
        w.product("S1", "Talco", "g", {}, "SUP", 0.05);
        w.item(1, "Talco", "S1", 2, "kg", 50);
        QVERIFY(w.start());
        QVERIFY(w.form->findChild<QFrame*>("PainelDetalhes")->isVisible());
        QCOMPARE(w.form->findChild<QLabel*>("LabelCustoUnit")->text(), QStringLiteral("50,00"));
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(ItemGrid::Unidade);
        w.type("un");
        w.press(Qt::Key_Return);
        QCOMPARE(w.form->findChild<QLabel*>("LabelCustoUnit")->text(), QStringLiteral("0,05 / g"));
    }

    // The price typed is of one unit of what the row finally holds, whichever way the unit came
    // into the cell: typed, or corrected in "Unidades Existentes" after a unit the table lacks.
    // Product kept in g at 0,05; TABFORMP knows 1000 g to the kg.
    void costFollowsTheUnitTheRowHolds_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("panelKey"); // how the panel's unit is taken; 0: no panel
        QTest::newRow("kg typed") << "kg" << 0;
        QTest::newRow("kgs, kg taken with Enter") << "kgs" << int(Qt::Key_Return);
        QTest::newRow("kgs, kg taken with Esc") << "kgs" << int(Qt::Key_Escape);
    }
    void costFollowsTheUnitTheRowHolds()
    {
        QFETCH(QString, typed);
        QFETCH(int, panelKey);
        ItemWindow w;
        w.session.AutoPriceUpdate = true;
        w.sql().execute("insert into TABFORMP values ('g', 1, 'kg', 1000)");
        w.product("S1", "Talco", "g", {}, "SUP", 0.05);
        w.item(1, "Talco", "S1", 3, "g", 0);
        QVERIFY(w.start());
        auto* grid = w.form->findChild<DBGrid*>("DBGrid1");
        grid->setSelectedIndex(ItemGrid::Unidade);
        w.type(typed);
        w.press(Qt::Key_Return);
        auto* panel = w.form->findChild<QFrame*>("PainelOpUnidades");
        QCOMPARE(panel->isVisible(), panelKey != 0);
        if (panelKey) {
            w.press(Qt::Key_Up); // from the nearest unit, "l", up to "kg"
            QCOMPARE(w.dm->Unidades.asText("UNIDADE"), QStringLiteral("kg"));
            w.press(Qt::Key(panelKey));
            QVERIFY(!panel->isVisible());
            grid->setFocus(Qt::MouseFocusReason);
        }
        QCOMPARE(w.itemText("UNIDADE"), QStringLiteral("kg"));
        QCOMPARE(w.form->findChild<QLabel*>("LabelCustoUnit")->text(), QStringLiteral("50,00"));
        grid->setSelectedIndex(ItemGrid::PrecoUnitR);
        w.type("27");
        w.press(Qt::Key_Return);
        QCOMPARE(w.productValue("S1", "CUSTOUNITR"), 0.027);
        QCOMPARE(w.form->findChild<QLabel*>("LabelCustoUnit")->text(), QStringLiteral("27,00"));
    }

    // The cost label names the current item's product, or nothing: never the one shown before.
    void costLabelFollowsTheCurrentItem()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g", {}, "SUP", 0.05);
        w.item(1, "Talco", "S1", 2, "g", 1);
        w.item(2, "Produto que o catálogo não tem", {}, 1, "un", 1);
        QVERIFY(w.start());
        auto* label = w.form->findChild<QLabel*>("LabelCustoUnit");
        CachedDataset& items = w.dm->Compras;
        items.first();
        QCOMPARE(label->text(), QStringLiteral("0,05 / g"));
        items.next();
        QCOMPARE(w.itemText("CODCOMPRA"), QStringLiteral("2"));
        QCOMPARE(label->text(), QString());
        items.first();
        QCOMPARE(label->text(), QStringLiteral("0,05 / g"));
        w.newItem();
        QCOMPARE(label->text(), QString());
        w.type("ta"); // not a product: the options open near it, and Enter takes "Talco"
        w.press(Qt::Key_Return);
        QVERIFY(w.form->findChild<QFrame*>("PainelOpCompras")->isVisible());
        QCOMPARE(label->text(), QString());
        w.press(Qt::Key_Return);
        QCOMPARE(w.itemText("CODIGO"), QStringLiteral("S1"));
        QCOMPARE(label->text(), QStringLiteral("0,05 / g"));
    }

    void divisorZeroShowsTheCostUndivided()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g", {}, "SUP", 0.05, 0);
        w.item(1, "Talco", "S1", 2, "un", 50);
        QVERIFY(w.start());
        QCOMPARE(w.form->findChild<QLabel*>("LabelCustoUnit")->text(), QStringLiteral("0,05 / g"));
    }

    void costUpdateButton_data()
    {
        QTest::addColumn<bool>("financial");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<QString>("itemCode");
        QTest::addColumn<QString>("itemUnit");
        QTest::addColumn<double>("cost");
        QTest::addColumn<double>("price");
        QTest::addColumn<QStringList>("messages");
        const QStringList done = {CostDetails::kDone};
        QTest::newRow("without the financial right") << false << true << "S1"
                                                     << "g" << 9.0 << 9.0 << QStringList{CostDetails::kAccessDenied};
        QTest::newRow("No") << true << false << "S1"
                            << "g" << 9.0 << 9.0 << QStringList{};
        QTest::newRow("multiplier 1 without a purchase-unit row") << true << true << "S1"
                                                                  << "g" << 50.0 << 50.0 << done;
        QTest::newRow("per purchase unit") << true << true << "S1"
                                           << "kg" << 0.05 << 0.05 << done;
        QTest::newRow("code gone, found by name") << true << true << "S9"
                                                  << "kg" << 0.05 << 0.05 << done;
    }
    void costUpdateButton()
    {
        QFETCH(bool, financial);
        QFETCH(bool, yes);
        QFETCH(QString, itemCode);
        QFETCH(QString, itemUnit);
        QFETCH(double, cost);
        QFETCH(double, price);
        QFETCH(QStringList, messages);
        ItemWindow w;
        w.session.FinancialAccess = financial;
        w.sql().execute("insert into TABFORMP values ('g', 1, 'kg', 1000)");
        w.product("S1", "Talco", "g", {}, "SUP", 9);
        w.item(1, "Talco", itemCode, 2, itemUnit, 50);
        QVERIFY(w.start());
        w.dialogs().answers = {yes};
        w.form->findChild<QPushButton*>("BotAtuaCustoUnit")->click();
        QCOMPARE(w.dialogs().questions, financial ? QStringList{CostDetails::kConfirmation} : QStringList{});
        QCOMPARE(w.dialogs().messages, messages);
        QCOMPARE(w.productValue("S1", "CUSTOUNITR"), cost);
        QCOMPARE(w.productValue("S1", "PRECOR"), price == 9.0 ? 0.0 : price);
    }

    void costUpdateWithoutAnItemDoesNothing_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::newRow("invoice without items") << false;
        QTest::newRow("items closed") << true;
    }
    void costUpdateWithoutAnItemDoesNothing()
    {
        QFETCH(bool, closed);
        ItemWindow w;
        w.session.FinancialAccess = true;
        QVERIFY(w.start());
        if (closed)
            w.dm->Compras.close();
        w.dialogs().answers = {true};
        w.form->findChild<QPushButton*>("BotAtuaCustoUnit")->click();
        QCOMPARE(w.dialogs().questions, QStringList{});
        QCOMPARE(w.dialogs().messages, QStringList{});
    }

    void costUpdateOfAProductNotInTheCatalogue()
    {
        ItemWindow w;
        w.item(1, "Desconhecido", "S9", 2, "g", 50);
        QVERIFY(w.start());
        w.form->findChild<QPushButton*>("BotAtuaCustoUnit")->click();
        QCOMPARE(w.dialogs().messages,
                 (QStringList{QStringLiteral("Produto \"Desconhecido\" codigo S9 não encontrado do cadastro de "
                                             "produtos.\rNão foi possível fazer a atualização do custo unitário do "
                                             "produto."),
                              CostDetails::kDone}));
    }
};

QTEST_MAIN(TestProductsAndCosts)
#include "tst_productsandcosts.moc"
