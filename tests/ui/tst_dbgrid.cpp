#include "data/AsciiCase.h"
#include "data/DbError.h"
#include "tests/support/SampleTable.h"
#include "tests/support/ScriptedDialogs.h"
#include "widgets/DBGrid.h"
#include "widgets/DBGridDelegate.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QComboBox>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

namespace {

const QColor kMaroon(128, 0, 0);

std::vector<GridColumn> itemColumns()
{
    return {
        {QStringLiteral("NOME"), QStringLiteral("Descrição"), 120, {}, {}, false},
        {QStringLiteral("VALOR"), QStringLiteral("Valor"), 60, {}, FieldFormat::money(), false},
        {QStringLiteral("SITUACAO"),
         QStringLiteral("Situação"),
         52,
         {QStringLiteral("Estoque"), QStringLiteral("Quarent."), QStringLiteral("Vencido")},
         {},
         false},
        {QStringLiteral("DATA"),
         QStringLiteral("Data Valid."),
         56,
         {},
         {FieldFormat::Display::Plain, QStringLiteral("!99/99/00;1;_")},
         false},
    };
}

// A window with the grid and a plain edit to leave it for.
struct GridWindow {
    explicit GridWindow(SampleTable& table, bool autoEdit = true)
    {
        auto* layout = new QVBoxLayout(&window);
        grid = new DBGrid(&window);
        grid->setObjectName(QStringLiteral("DBGrid1"));
        grid->setColumns(itemColumns());
        grid->setDataSource(table.source(autoEdit));
        layout->addWidget(grid);
        other = new QLineEdit(&window);
        layout->addWidget(other);
        window.resize(500, 400);
        window.show();
        window.activateWindow();
        if (QTest::qWaitForWindowActive(&window))
            grid->setFocus(Qt::TabFocusReason);
    }
    bool ready() const { return grid->hasFocus(); }

    QWidget window;
    DBGrid* grid;
    QLineEdit* other;
};

// Types as the clerk does: each key goes where the focus is (the cell editor, once it opened).
void typeIntoGrid(const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

} // namespace

class TestDBGrid : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SampleTable> table;
    std::unique_ptr<ScriptedDialogs> scripted;
    RecordingDialogs* dialogs = nullptr;

    CachedDataset& ds() { return table->dataset(); }
    void makeTable(int rows)
    {
        table = std::make_unique<SampleTable>(rows);
        ds().open();
    }

private slots:
    void init()
    {
        scripted = std::make_unique<ScriptedDialogs>();
        dialogs = &scripted->recorder();
    }
    void cleanup()
    {
        table.reset();
        scripted.reset();
    }

    void modelStaysConsistentThroughEveryChange()
    {
        makeTable(250); // more than one batch of lazy fetching
        DatasetTableModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        tester.setUseFetchMore(false); // fetched below, as a view does
        model.setColumns(itemColumns());
        model.setDataset(&ds());
        QVERIFY(model.rowCount() < 250);
        while (model.canFetchMore({}))
            model.fetchMore({});
        QCOMPARE(model.rowCount(), 250);
        QCOMPARE(model.data(model.index(1, 1)).toString(), QStringLiteral("2.001,00"));
        QCOMPARE(model.data(model.index(1, 1), Qt::EditRole).toString(), QStringLiteral("2001,00"));
        QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Descrição"));

        ds().moveTo(10);
        QVERIFY(model.setData(model.index(10, 0), QStringLiteral("alterado")));
        QCOMPARE(ds().state(), CachedDataset::State::Edit);
        QCOMPARE(model.headerData(10, Qt::Vertical).toString(), QStringLiteral("I"));
        ds().post(); // no key change: the row stays in place
        ds().append();
        QCOMPARE(model.rowCount(), 251);
        QCOMPARE(model.headerData(250, Qt::Vertical).toString(), QStringLiteral("*"));
        ds().cancel();
        QCOMPARE(model.rowCount(), 250);
        ds().moveTo(3);
        ds().remove();
        QCOMPARE(model.rowCount(), 249);
        QCOMPARE(ds().applyUpdates(), 0);
        ds().refresh();
        QCOMPARE(model.rowCount(), ds().fetchedRowCount());
        ds().close();
        QCOMPARE(model.rowCount(), 0);
        ds().open();
        QCOMPARE(model.rowCount(), ds().fetchedRowCount());
    }

    void currentRowFollowsTheDatasetBothWays()
    {
        makeTable(5);
        GridWindow w(*table);
        QVERIFY(w.ready());
        ds().moveTo(3);
        QCOMPARE(w.grid->currentIndex().row(), 3);
        w.grid->setCurrentIndex(w.grid->model()->index(1, 0));
        QCOMPARE(ds().currentRow(), 1);
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(ds().currentRow(), 2);
    }

    void insertAndDownPastTheLastRowAppend()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QTest::keyClick(w.grid, Qt::Key_Insert);
        QCOMPARE(ds().state(), CachedDataset::State::Insert);
        QCOMPARE(w.grid->model()->rowCount(), 3);
        QCOMPARE(w.grid->currentIndex().row(), 2);
        // Down on a new row nobody typed into drops it, silently.
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(w.grid->model()->rowCount(), 2);
        QCOMPARE(ds().state(), CachedDataset::State::Browse);
        QTest::keyClick(w.grid, Qt::Key_Insert);
        // Typed into, it is posted and another follows.
        typeIntoGrid(QStringLiteral("novo"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QCOMPARE(w.grid->model()->rowCount(), 4);
        QCOMPARE(w.grid->model()->match(w.grid->model()->index(0, 0), Qt::DisplayRole, QStringLiteral("novo")).size(),
                 1);
        QCOMPARE(w.grid->currentIndex().row(), 3);
        // Down from a row that is not the last just moves.
        ds().first();
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(ds().currentRow(), 1);
        QCOMPARE(w.grid->model()->rowCount(), 3); // the untouched new row went when the grid moved
    }

    void downOnAnEmptyGridAppends()
    {
        makeTable(0);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QTest::keyClick(w.grid, Qt::Key_Down);
        QCOMPARE(ds().state(), CachedDataset::State::Insert);
        QCOMPARE(w.grid->model()->rowCount(), 1);
    }

    void ctrlDeleteAsksBeforeDeleting_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("whileTyping");
        QTest::addColumn<int>("rowsLeft");
        QTest::newRow("no") << false << false << 3;
        QTest::newRow("yes") << true << false << 2;
        QTest::newRow("yes, in a cell being typed") << true << true << 2;
    }
    void ctrlDeleteAsksBeforeDeleting()
    {
        QFETCH(bool, answer);
        QFETCH(bool, whileTyping);
        QFETCH(int, rowsLeft);
        makeTable(3);
        GridWindow w(*table);
        QVERIFY(w.ready());
        ds().moveTo(1);
        if (whileTyping)
            typeIntoGrid(QStringLiteral("abc"));
        dialogs->answers = {answer};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dialogs->questions, QStringList{QStringLiteral("Excluir o registro?")});
        QCOMPARE(ds().recordCount(), rowsLeft);
        QCOMPARE(w.grid->model()->rowCount(), rowsLeft);
        ds().applyUpdates();
        QCOMPARE(table->countInDatabase(), qint64(rowsLeft));
        if (answer)
            QCOMPARE(ds().asInteger(QStringLiteral("K")), 3); // the row after the deleted one
    }

    void untouchedNewRowIsDroppedWhenTheGridIsLeft_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("rows");
        QTest::newRow("untouched") << "" << 2;
        QTest::newRow("typed into") << "novo" << 3;
    }
    void untouchedNewRowIsDroppedWhenTheGridIsLeft()
    {
        QFETCH(QString, typed);
        QFETCH(int, rows);
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QStringList stateAtExit;
        connect(w.grid, &DBGrid::exited, this, [&] { stateAtExit << QString::number(int(ds().state())); });
        QTest::keyClick(w.grid, Qt::Key_Insert);
        if (!typed.isEmpty())
            typeIntoGrid(typed);
        w.other->setFocus(Qt::TabFocusReason);
        QCOMPARE(w.grid->model()->rowCount(), rows);
        QCOMPARE(ds().recordCount(), rows);
        // The exit handler runs after the row was dropped (or kept with what was typed).
        const auto expected = typed.isEmpty() ? CachedDataset::State::Browse : CachedDataset::State::Insert;
        QCOMPARE(stateAtExit, QStringList{QString::number(int(expected))});
        if (!typed.isEmpty())
            QCOMPARE(ds().asText(QStringLiteral("NOME")), typed);
    }

    void columnEnterAndExitEvents()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QStringList log;
        connect(w.grid, &DBGrid::columnExited, this,
                [&](int c) { log << QStringLiteral("exit %1 (selected %2)").arg(c).arg(w.grid->selectedIndex()); });
        connect(w.grid, &DBGrid::columnEntered, this, [&](int c) { log << QStringLiteral("enter %1").arg(c); });
        w.grid->setSelectedIndex(2);
        QCOMPARE(log, (QStringList{QStringLiteral("exit 0 (selected 0)"), QStringLiteral("enter 2")}));
        QCOMPARE(w.grid->currentIndex().column(), 2);

        log.clear();
        QTest::keyClick(w.grid, Qt::Key_Tab);
        QCOMPARE(log, (QStringList{QStringLiteral("exit 2 (selected 2)"), QStringLiteral("enter 3")}));

        // A handler that sends the cursor back: the second change follows the first.
        log.clear();
        auto back = connect(w.grid, &DBGrid::columnEntered, this, [&](int c) {
            if (c == 1)
                w.grid->setSelectedIndex(0);
        });
        w.grid->setCurrentIndex(w.grid->model()->index(0, 1)); // as a click on the cell
        QCOMPARE(log, (QStringList{QStringLiteral("exit 3 (selected 3)"), QStringLiteral("enter 1"),
                                   QStringLiteral("exit 1 (selected 1)"), QStringLiteral("enter 0")}));
        QCOMPARE(w.grid->selectedIndex(), 0);
        QCOMPARE(w.grid->currentIndex().column(), 0);
        disconnect(back);

        // Moving to another row keeps the column and fires nothing.
        log.clear();
        QTest::keyClick(w.grid, Qt::Key_Down);
        QVERIFY(log.isEmpty());
    }

    void typingWritesTheCellAndEnterReachesTheHook()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QString seenByHook;
        w.grid->keyHook = [&](QKeyEvent& e) {
            if (e.key() != Qt::Key_Return)
                return false;
            seenByHook = ds().asText(QStringLiteral("VALOR"));
            w.grid->setSelectedIndex(w.grid->selectedIndex() + 1);
            return true;
        };
        w.grid->setSelectedIndex(1);
        typeIntoGrid(QStringLiteral("7,5"));
        QCOMPARE(w.grid->editText(), QStringLiteral("7,5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(seenByHook, QStringLiteral("7,5"));
        QCOMPARE(w.grid->selectedIndex(), 2);
        QCOMPARE(w.grid->model()->index(0, 1).data().toString(), QStringLiteral("7,50"));
    }

    void browsedRowTakesNoTypingWithoutAutomaticEdit()
    {
        makeTable(2);
        GridWindow w(*table, false);
        QVERIFY(w.ready());
        typeIntoGrid(QStringLiteral("x"));
        QVERIFY(!w.grid->isTypingInCell());
        QCOMPARE(ds().state(), CachedDataset::State::Browse);
        ds().edit(); // a handler puts the row into edit: now it takes typing
        typeIntoGrid(QStringLiteral("x"));
        QVERIFY(w.grid->isTypingInCell());
    }

    // Cell editors take a pasted text as single-line fields do: tabs and line breaks become blanks,
    // and a text with another control character is refused.
    void cellEditorsRefuseControlCharacters()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        QAbstractItemModel* model = w.grid->model();
        for (int column : {0, 2}) {
            std::unique_ptr<QWidget> editor(
                w.grid->delegate().createEditor(w.grid->viewport(), {}, model->index(0, column)));
            auto* combo = qobject_cast<QComboBox*>(editor.get());
            QLineEdit* edit = combo ? combo->lineEdit() : qobject_cast<QLineEdit*>(editor.get());
            QVERIFY(edit);
            edit->clear();
            QGuiApplication::clipboard()->setText(QStringLiteral("Sala") + QChar(0) + QStringLiteral("3"));
            edit->paste();
            QVERIFY2(edit->text().isEmpty(), qPrintable(edit->text()));
            QGuiApplication::clipboard()->setText(QStringLiteral("Sala\t3"));
            edit->paste();
            QCOMPARE(edit->text(), QStringLiteral("Sala 3"));
        }
    }

    void pickListAndMaskedCellsHaveTheirEditors()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        DBGridDelegate& delegate = w.grid->delegate();
        QAbstractItemModel* model = w.grid->model();

        const QModelIndex status = model->index(0, 2);
        std::unique_ptr<QWidget> editor(delegate.createEditor(w.grid->viewport(), {}, status));
        auto* combo = qobject_cast<QComboBox*>(editor.get());
        QVERIFY(combo);
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("Vencido"));
        delegate.setEditorData(combo, status);
        QCOMPARE(combo->currentText(), QStringLiteral("Estoque"));
        combo->setCurrentIndex(1);
        delegate.setModelData(combo, model, status);
        QCOMPARE(ds().asText(QStringLiteral("SITUACAO")), QStringLiteral("Quarent."));
        combo->setEditText(QStringLiteral("Outro"));
        delegate.setModelData(combo, model, status);
        QCOMPARE(ds().asText(QStringLiteral("SITUACAO")), QStringLiteral("Outro"));

        const QModelIndex date = model->index(0, 3);
        editor.reset(delegate.createEditor(w.grid->viewport(), {}, date));
        auto* edit = qobject_cast<QLineEdit*>(editor.get());
        QVERIFY(edit);
        QCOMPARE(edit->inputMask(), QStringLiteral("99/99/9900;_"));
        delegate.setEditorData(edit, date);
        QCOMPARE(edit->text(), QStringLiteral("04/03/26"));
        edit->setText(QStringLiteral("010427"));
        delegate.setModelData(edit, model, date);
        QCOMPARE(ds().asDate(QStringLiteral("DATA")), QDate(2027, 4, 1));
        QCOMPARE(date.data().toString(), QStringLiteral("01/04/2027"));
    }

    void cellColoursComeFromTheScreen()
    {
        makeTable(2);
        GridWindow w(*table);
        ds().fetchAll();
        const int status = ds().fieldIndex(QStringLiteral("SITUACAO"));
        w.grid->setCellColours([&](int row, int) -> std::optional<CellColours> {
            if (ascii::upper(ds().textAt(row, status)) == QLatin1String("VENCIDO"))
                return CellColours{Qt::white, kMaroon};
            return CellColours{Qt::black, Qt::white};
        });
        QAbstractItemModel* model = w.grid->model();
        QCOMPARE(model->index(1, 0).data(Qt::BackgroundRole).value<QBrush>().color(), QColor(Qt::white));
        ds().moveTo(1);
        ds().edit();
        ds().setText(QStringLiteral("SITUACAO"), QStringLiteral("vencido"));
        for (int c = 0; c < model->columnCount(); ++c) {
            QCOMPARE(model->index(1, c).data(Qt::BackgroundRole).value<QBrush>().color(), kMaroon);
            QCOMPARE(model->index(1, c).data(Qt::ForegroundRole).value<QBrush>().color(), QColor(Qt::white));
        }
    }

    void postingTakesTheCellBeingTyped()
    {
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        typeIntoGrid(QStringLiteral("digitado"));
        ds().post();
        QCOMPARE(ds().asText(QStringLiteral("NOME")), QStringLiteral("digitado"));
    }

    // Every character typed into a cell counts: a four-digit year is kept whole, and a number
    // with a letter in it is refused with its message instead of being read without the letter.
    void typedCellsKeepEveryCharacter_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: refused
        QTest::addColumn<QString>("message");
        QTest::newRow("date, two-digit year") << 3 << "150324"
                                              << "15/03/2024" << QString();
        QTest::newRow("date, four-digit year") << 3 << "15032024"
                                               << "15/03/2024" << QString();
        QTest::newRow("date, three-digit year") << 3 << "1503202" << QString() << "'15/03/202' não é uma data válida.";
        QTest::newRow("number with a letter") << 1 << "1a0" << QString() << "'1a0' não é um valor numérico válido.";
    }
    void typedCellsKeepEveryCharacter()
    {
        QFETCH(int, column);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        makeTable(2);
        GridWindow w(*table);
        QVERIFY(w.ready());
        w.grid->setSelectedIndex(column);
        typeIntoGrid(typed);
        const QString field = column == 3 ? QStringLiteral("DATA") : QStringLiteral("VALOR");
        const QString before = ds().asText(field);
        if (!stored.isEmpty()) {
            ds().post();
            QCOMPARE(ds().asText(field), stored);
            return;
        }
        try {
            ds().post();
            QFAIL("posted");
        } catch (const ConversionError& e) {
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(ds().asText(field), before);
    }
};

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
