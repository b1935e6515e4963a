#include "data/FieldValue.h"
#include "entry/ui/CostDetails.h"
#include "entry/ui/ItemGrid.h"
#include "tests/ui/ItemWindow.h"

#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QPushButton>

namespace {

// Messages shown as a message box shows them: the box takes the focus from the window while it
// is open, and the window gets the focus back when the box closes.
class ModalMessages : public RecordingDialogs {
public:
    void showMessage(const QString& text) override
    {
        RecordingDialogs::showMessage(text);
        QWidget* window = QApplication::activeWindow();
        QDialog box;
        auto* ok = new QPushButton(QStringLiteral("OK"), &box);
        box.show();
        box.activateWindow();
        ok->setFocus();
        bool active = QTest::qWaitForWindowActive(&box);
        box.hide();
        if (window) {
            window->activateWindow();
            active = QTest::qWaitForWindowActive(window) && active;
        }
        Q_UNUSED(active)
    }
};

} // namespace

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
        QTest::addColumn<bool>("newRow");
        QTest::addColumn<QStringList>("locations");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("refused");
        const QStringList two = {"Deposito", "Loja"};
        QTest::newRow("one location") << false << QStringList{"Deposito"} << "Outro"
                                      << "Deposito" << false;
        QTest::newRow("none") << false << QStringList{} << "Outro"
                              << "Almoxarifado" << false;
        QTest::newRow("other letter case") << false << two << "DEPOSITO"
                                           << "Deposito" << false;
        QTest::newRow("almoxarifado as typed") << false << two << "almoxarifado"
                                               << "almoxarifado" << false;
        QTest::newRow("unknown") << false << two << "Outro"
                                 << "Outro" << true;
        QTest::newRow("new row, other letter case") << true << two << "loja"
                                                    << "Loja" << false;
        QTest::newRow("new row, unknown") << true << two << "Outro"
                                          << "Outro" << true;
    }
    void stockLocationIsCheckedWhenTheGridIsLeft()
    {
        QFETCH(bool, newRow);
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
        if (newRow) {
            w.newItem();
            w.dm->Compras.setText("COMPONENTE", QStringLiteral("Talco"));
            w.dm->Compras.setText("CODIGO", QStringLiteral("S1"));
        } else {
            w.dm->Compras.edit();
        }
        w.dm->Compras.setText("LABORATORIO", typed);
        w.form->findChild<DBEdit*>("DBEditNotaFiscal")->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.itemText("LABORATORIO"), stored);
        QCOMPARE(w.dialogs().messages, refused ? QStringList{ItemGrid::kStockLocationMessage} : QStringList{});
        if (refused) {
            QVERIFY(w.form->findChild<DBGrid*>("DBGrid1")->hasFocus());
            QCOMPARE(w.column(), int(ItemGrid::Laboratorio));
        }
    }

    // A text a cell refuses is reported, and the clerk is back in that cell with the text typed,
    // however the cell was left: never in another field, where the next digits would change it.
    void refusedCellTextStaysInItsCell_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("corrected");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("stored");
        const QString date = QStringLiteral("'31/02/24' não é uma data válida.");
        QTest::newRow("date, Enter") << int(ItemGrid::Fabricacao) << "310224" << int(Qt::Key_Return) << "31/02/24"
                                     << date << "280224"
                                     << "FABRICACAO"
                                     << "28/02/2024";
        QTest::newRow("date, Tab") << int(ItemGrid::Fabricacao) << "310224" << int(Qt::Key_Tab) << "31/02/24" << date
                                   << "280224"
                                   << "FABRICACAO"
                                   << "28/02/2024";
        QTest::newRow("number, Enter") << 10 << "1a0" << int(Qt::Key_Return) << "1a0"
                                       << "'1a0' não é um valor numérico válido."
                                       << "10"
                                       << "DENSIDADE"
                                       << "10";
        QTest::newRow("date of a far-off year")
            << int(ItemGrid::Fabricacao) << "31129999" << int(Qt::Key_Return) << "31/12/9999"
            << "'31/12/9999' não é uma data aceita: o ano deve estar entre 1900 e "
               "2100."
            << "280224"
            << "FABRICACAO"
            << "28/02/2024";
        QTest::newRow("price past its column")
            << int(ItemGrid::PrecoUnitR) << "10000000000000" << int(Qt::Key_Return) << "10000000000000"
            << "O valor 10000000000000 não cabe no campo PRECOUNITR (no máximo 13 dígitos antes da vírgula e 5 depois)."
            << "3"
            << "PRECOUNITR"
            << "3";
    }
    void refusedCellTextStaysInItsCell()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, shown);
        QFETCH(QString, message);
        QFETCH(QString, corrected);
        QFETCH(QString, field);
        QFETCH(QString, stored);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        auto modal = std::make_unique<ModalMessages>();
        const ModalMessages& dialogs = *modal;
        Dialogs::install(std::move(modal));
        auto* grid = w.form->findChild<DBGrid*>("DBGrid1");
        grid->setSelectedIndex(column);
        const QString invoiceDate = w.dm->NFiscal.asText("DATA");

        w.type(typed);
        w.press(Qt::Key(key));
        QCOMPARE(dialogs.messages.size(), 1);
        if (!message.isEmpty())
            QCOMPARE(dialogs.messages.front(), message);
        QVERIFY(w.form->findChild<QFrame*>("PainelOpCompras")->isHidden());
        QTRY_VERIFY(QApplication::focusWidget() && grid->isAncestorOf(QApplication::focusWidget()));
        QVERIFY(grid->isTypingInCell());
        QCOMPARE(grid->editText(), shown);
        QCOMPARE(w.column(), column);
        QCOMPARE(w.dm->Compras.currentRow(), 0);
        QCOMPARE(w.dm->NFiscal.asText("DATA"), invoiceDate);

        w.type(corrected); // over the selected text
        w.press(Qt::Key_Return);
        QCOMPARE(dialogs.messages.size(), 1);
        QCOMPARE(w.dm->Compras.asText(field), stored);
    }

    // 1,000,000 × 99,999,999 once came back as a negative total: a line total its column cannot hold
    // is refused, naming the column and the values, and the item is not stored with it.
    void aLineTotalPastItsColumnIsRefused()
    {
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 1000000, "g", 1);
        QVERIFY(w.start());
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(ItemGrid::PrecoUnitR);
        w.type("99999999");
        w.press(Qt::Key_Return);
        const QString refused = QStringLiteral(
            "O valor 1000000 × 99999999 não cabe no campo SALDO (no máximo 13 dígitos antes da vírgula e 5 depois).");
        QCOMPARE(w.dialogs().messages, QStringList{refused});
        try {
            w.dm->Compras.post();
            QFAIL("the item was stored");
        } catch (const ConversionError& e) {
            QCOMPARE(e.message(), refused);
        }
        const Values stored = w.sql().executeRow(QStringLiteral("select PRECOUNITR, SALDO from COMPRAS"));
        QCOMPARE(field::toText(stored.at(0)) + u'|' + field::toText(stored.at(1)), QStringLiteral("1|"));
    }

    // Closing the window writes the text typed in a cell before the invoice is posted; a text the
    // cell refuses keeps the window open, with the text in its cell.
    void closingWritesTheCellBeingTyped_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("closes");
        QTest::newRow("lot") << 6 << "L77" << true;
        QTest::newRow("impossible date") << int(ItemGrid::Fabricacao) << "310224" << false;
    }
    void closingWritesTheCellBeingTyped()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(bool, closes);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        auto* grid = w.form->findChild<DBGrid*>("DBGrid1");
        grid->setSelectedIndex(column);
        w.type(typed);
        QVERIFY(grid->isTypingInCell());
        w.dialogs().answers = {false};
        w.form->close();

        QCOMPARE(w.form->isVisible(), !closes);
        if (!closes) {
            QCOMPARE(w.dialogs().messages, QStringList{QStringLiteral("'31/02/24' não é uma data válida.")});
            QVERIFY(grid->isTypingInCell());
            QCOMPARE(grid->editText(), QStringLiteral("31/02/24"));
            return;
        }
        const Values lot = w.sql().executeRow(QStringLiteral("select LOTE from COMPRAS where CODCOMPRA = 1"));
        QCOMPARE(std::get<QString>(lot.front()), typed);
    }

    // Typing into a pick-list cell replaces its text, as in every other cell.
    void typingIntoAPickListCellReplacesItsText_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("field");
        QTest::newRow("Local Estoque") << int(ItemGrid::Laboratorio) << "Sala 3"
                                       << "LABORATORIO";
        QTest::newRow("Situação") << 7 << "Vencido"
                                  << "SITUACAO";
    }
    void typingIntoAPickListCellReplacesItsText()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, field);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        for (const char* location : {"Almoxarifado", "Sala 3"})
            w.sql().execute(QStringLiteral("insert into TABLAB (LABORATORIO, LOJA) values (%1, '11222333000181')")
                                .arg(sql::quoted(location)));
        w.session.StockLocationCount = 2;
        QVERIFY(w.start());
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(column);
        w.type(typed);
        w.press(Qt::Key_Return);
        QCOMPARE(w.dm->Compras.asText(field), typed);
    }

    // Insert pressed in a column runs that column's rules for the row being left, never for the
    // new, empty row: no unit panel and no price message, the clerk in the new row's product.
    void insertRunsNoColumnRuleOnTheNewRow_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("Unid") << int(ItemGrid::Unidade);
        QTest::newRow("Pr. Unit") << int(ItemGrid::PrecoUnitR);
    }
    void insertRunsNoColumnRuleOnTheNewRow()
    {
        QFETCH(int, column);
        ItemWindow w;
        w.session.AutoPriceUpdate = true;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        auto* grid = w.form->findChild<DBGrid*>("DBGrid1");
        grid->setSelectedIndex(column);
        w.press(Qt::Key_Insert);
        QCOMPARE(w.dm->Compras.state(), CachedDataset::State::Insert);
        QCOMPARE(w.column(), int(ItemGrid::Componente));
        QVERIFY(w.dialogs().messages.isEmpty());
        QVERIFY(w.form->findChild<QFrame*>("PainelOpUnidades")->isHidden());
        QVERIFY(grid->hasFocus());
    }

    // A new row nobody typed into goes away silently when the clerk moves off it.
    void anUntouchedNewRowIsDroppedWhenLeft_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Down") << int(Qt::Key_Down);
        QTest::newRow("Up") << int(Qt::Key_Up);
    }
    void anUntouchedNewRowIsDroppedWhenLeft()
    {
        QFETCH(int, key);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        w.item(2, "Talco", "S1", 3, "g", 1);
        QVERIFY(w.start());
        w.newItem();
        QCOMPARE(w.dm->Compras.fetchedRowCount(), 3);
        w.press(Qt::Key(key));
        QVERIFY(w.dialogs().messages.isEmpty());
        QCOMPARE(w.dm->Compras.state(), CachedDataset::State::Browse);
        QCOMPARE(w.dm->Compras.fetchedRowCount(), 2);
        QCOMPARE(w.form->findChild<DBGrid*>("DBGrid1")->model()->rowCount(), 2);
    }

    // Tab leaves the item grid for the discount (the totals are read-only), Shift+Tab goes back to the header; a cell
    // being typed is written on the way.
    void tabLeavesTheGrid_data()
    {
        QTest::addColumn<bool>("typing");
        QTest::addColumn<bool>("back");
        QTest::addColumn<QString>("reached");
        QTest::newRow("Tab") << false << false << "DBEdit2";
        QTest::newRow("Shift+Tab") << false << true << "DBEditForn";
        QTest::newRow("Tab from a cell being typed") << true << false << "DBEdit2";
        QTest::newRow("Shift+Tab from a cell being typed") << true << true << "DBEditForn";
    }
    void tabLeavesTheGrid()
    {
        QFETCH(bool, typing);
        QFETCH(bool, back);
        QFETCH(QString, reached);
        ItemWindow w;
        w.product("S1", "Talco", "g");
        w.item(1, "Talco", "S1", 2, "g", 1);
        QVERIFY(w.start());
        w.form->findChild<DBGrid*>("DBGrid1")->setSelectedIndex(6);
        if (typing)
            w.type("L9");
        w.press(back ? Qt::Key_Backtab : Qt::Key_Tab, back ? Qt::ShiftModifier : Qt::NoModifier);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), reached);
        if (typing)
            QCOMPARE(w.itemText("LOTE"), QStringLiteral("L9"));
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
        // The hint never covers the row being typed, at the grid's head or at its foot.
        auto* grid = w.form->findChild<DBGrid*>("DBGrid1");
        auto* hint = w.form->findChild<QFrame*>("PainelAlertaCusto");
        const auto rowOnScreen = [grid] {
            const QRect cell = grid->visualRect(grid->currentIndex());
            return QRect(grid->viewport()->mapToGlobal(QPoint(0, cell.top())), QSize(grid->width(), cell.height()));
        };
        QVERIFY(!QRect(hint->mapToGlobal(QPoint(0, 0)), hint->size()).intersects(rowOnScreen()));
        for (int key = 2; key <= 40; ++key)
            w.item(key, "Talco", "S1", 2, "kg", 1);
        w.dm->Compras.close();
        w.dm->Compras.open();
        w.dm->Compras.fetchAll();
        grid->setSelectedIndex(0);
        const int lastVisible = grid->rowAt(grid->viewport()->height() - 2);
        QVERIFY(lastVisible > 0);
        w.dm->Compras.moveTo(lastVisible);
        grid->setSelectedIndex(ItemGrid::PrecoUnitR);
        QVERIFY(hint->isVisible());
        QVERIFY(!QRect(hint->mapToGlobal(QPoint(0, 0)), hint->size()).intersects(rowOnScreen()));
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
        auto* number = w.form->findChild<DBEdit*>("DBEditNotaFiscal");
        number->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(number->hasFocus());
        // A row added on leaving would pull the focus back through the events it posts: let them all run.
        for (int round = 0; round < 3; ++round)
            QCoreApplication::processEvents(QEventLoop::AllEvents);
        QVERIFY(number->hasFocus());
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
