#include "data/DbError.h"
#include "tests/support/SampleTable.h"
#include "tests/support/ScriptedDialogs.h"
#include "widgets/DBComboBox.h"
#include "widgets/DBEdit.h"
#include "widgets/DBNavigator.h"
#include "widgets/FocusColours.h"

#include <QClipboard>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// A window with a bound edit for each field that matters and a plain edit to leave them for.
struct EditWindow {
    explicit EditWindow(SampleTable& table, bool autoEdit = true, bool startInTheLastField = true)
    {
        auto* layout = new QVBoxLayout(&window);
        DataSource* source = table.source(autoEdit);
        auto bind = [&](const char* objectName, const char* field, FieldFormat format) {
            auto* e = new DBEdit(&window);
            e->setObjectName(QLatin1String(objectName));
            e->setDataSource(source);
            e->setDataField(QLatin1String(field));
            e->setFieldFormat(format);
            layout->addWidget(e);
            return e;
        };
        name = bind("DBEditNome", "NOME", {});
        date = bind("DBEditData", "DATA", FieldFormat::date());
        value = bind("DBEditValor", "VALOR", FieldFormat::money());
        combo = new DBComboBox(&window);
        combo->setObjectName(QStringLiteral("DBComboSituacao"));
        combo->addItems({QStringLiteral("Estoque"), QStringLiteral("Quarent."), QStringLiteral("Vencido")});
        combo->setDataSource(source);
        combo->setDataField(QStringLiteral("SITUACAO"));
        layout->addWidget(combo);
        navigator = new DBNavigator(&window);
        navigator->setDataSource(source);
        layout->addWidget(navigator);
        other = new QLineEdit(&window);
        layout->addWidget(other);
        if (startInTheLastField)
            other->setFocus();
        window.show();
        window.activateWindow();
        active = QTest::qWaitForWindowActive(&window);
    }

    QWidget window;
    DBEdit* name;
    DBEdit* date;
    DBEdit* value;
    DBComboBox* combo;
    DBNavigator* navigator;
    QLineEdit* other;
    bool active;
};

// Focus moved as the Tab key moves it: the field's text is selected, ready to be typed over.
bool focusByTab(QWidget* w)
{
    if (!w->window()->isActiveWindow())
        return false;
    w->setFocus(Qt::TabFocusReason);
    return QTest::qWaitFor([w] { return w->hasFocus(); });
}

} // namespace

class TestDBEdit : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<SampleTable> table;
    std::unique_ptr<ScriptedDialogs> scripted;
    RecordingDialogs* dialogs = nullptr;

    CachedDataset& ds() { return table->dataset(); }

private slots:
    void init()
    {
        table = std::make_unique<SampleTable>(3);
        ds().open();
        scripted = std::make_unique<ScriptedDialogs>();
        dialogs = &scripted->recorder();
    }
    void cleanup()
    {
        table.reset();
        scripted.reset();
    }

    void showsFieldsInTheirFormats()
    {
        EditWindow w(*table);
        QCOMPARE(w.name->text(), QStringLiteral("item 1"));
        QCOMPARE(w.date->inputMask(), QStringLiteral("99/99/9900;_"));
        QCOMPARE(w.date->text(), QStringLiteral("04/03/26"));
        QCOMPARE(w.value->text(), QStringLiteral("1.000,50"));
        QCOMPARE(w.combo->currentText(), QStringLiteral("Estoque"));
        ds().last();
        QCOMPARE(w.name->text(), QStringLiteral("item 3"));
        QCOMPARE(w.value->text(), QStringLiteral("3.001,50"));
        // While focused, money is typed without thousands dots.
        QVERIFY(focusByTab(w.value));
        QCOMPARE(w.value->text(), QStringLiteral("3001,50"));
        ds().close();
        QCOMPARE(w.name->text(), QString());
    }

    void writesOnLeavingBeforeTheExitHandler()
    {
        EditWindow w(*table, true, false);
        QStringList seenByExit;
        connect(w.name, &DBEdit::exited, this, [&] { seenByExit << ds().asText(QStringLiteral("NOME")); });
        QSignalSpy edited(w.name, &DBEdit::edited);
        // The name takes the focus when the window shows: that too is entering it.
        QVERIFY(w.name->hasFocus());
        w.name->selectAll();
        QTest::keyClicks(w.name, QStringLiteral("Novo"));
        QCOMPARE(ds().state(), CachedDataset::State::Edit);
        QCOMPARE(ds().asText(QStringLiteral("NOME")), QStringLiteral("item 1")); // not yet
        QVERIFY(focusByTab(w.other));
        QCOMPARE(seenByExit, QStringList{QStringLiteral("Novo")});
        QCOMPARE(edited.count(), 4); // one per key; loading the field is no edit
        ds().next();
        QCOMPARE(edited.count(), 4);
        QCOMPARE(ds().pendingChanges(), 1);
    }

    // A single-line text never takes a control character. A pasted text keeps its words, its tabs
    // and line breaks joined by blanks; any other control character refuses the paste whole.
    void controlCharactersArePastedNowhere_data()
    {
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("stored");
        QTest::newRow("tab") << QStringLiteral("Nome\tSobrenome") << QStringLiteral("Nome Sobrenome");
        QTest::newRow("lines") << QStringLiteral("Rua A, 10\r\n\r\nCentro") << QStringLiteral("Rua A, 10 Centro");
        QTest::newRow("spreadsheet cell") << QStringLiteral("Nome\r\n") << QStringLiteral("Nome");
        QTest::newRow("NUL") << (QStringLiteral("Nome") + QChar(0) + QStringLiteral("X")) << QStringLiteral("item 1");
        QTest::newRow("plain text") << QStringLiteral("Farmácia São João") << QStringLiteral("Farmácia São João");
    }
    void controlCharactersArePastedNowhere()
    {
        QFETCH(QString, pasted);
        QFETCH(QString, stored);
        EditWindow w(*table);
        QVERIFY(focusByTab(w.name));
        QGuiApplication::clipboard()->setText(pasted);
        w.name->selectAll();
        QTest::keySequence(w.name, QKeySequence::Paste);
        QCOMPARE(w.name->text(), stored);
        ds().edit();
        ds().post();
        QCOMPARE(ds().asText(QStringLiteral("NOME")), stored);
    }

    void typedTextReachesTheFieldWhenPosted()
    {
        EditWindow w(*table);
        QVERIFY(focusByTab(w.name));
        QTest::keyClicks(w.name, QStringLiteral("Sem sair"));
        // The navigator's buttons take no focus: the edit still holds it when the post runs.
        QTest::mouseClick(w.navigator->button(DBNavigator::Post), Qt::LeftButton);
        QVERIFY(w.name->hasFocus());
        QCOMPARE(ds().state(), CachedDataset::State::Browse);
        QCOMPARE(ds().asText(QStringLiteral("NOME")), QStringLiteral("Sem sair"));
    }

    void typingFollowsAutomaticEdit_data()
    {
        QTest::addColumn<bool>("autoEdit");
        QTest::addColumn<QString>("text");
        QTest::addColumn<CachedDataset::State>("state");
        QTest::newRow("on") << true << "Xy" << CachedDataset::State::Edit;
        QTest::newRow("off") << false << "item 1" << CachedDataset::State::Browse;
    }
    void typingFollowsAutomaticEdit()
    {
        QFETCH(bool, autoEdit);
        QFETCH(QString, text);
        QFETCH(CachedDataset::State, state);
        EditWindow w(*table, autoEdit);
        QVERIFY(focusByTab(w.name));
        QTest::keyClicks(w.name, QStringLiteral("Xy"));
        QCOMPARE(w.name->text(), text);
        QCOMPARE(ds().state(), state);
        // Once the dataset is in edit by other means, typing goes in either way.
        ds().edit();
        QTest::keyClick(w.name, Qt::Key_End);
        QTest::keyClick(w.name, Qt::Key_Z);
        QCOMPARE(w.name->text(), text + QLatin1Char('z'));
    }

    void datesAndMoneyAreTypedTheBrazilianWay_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("shown");
        // clang-format off
        QTest::newRow("date")                      << "DBEditData"  << "150526"  << "15/05/2026" << "15/05/26";
        QTest::newRow("date of the last century")  << "DBEditData"  << "311299"  << "31/12/1999" << "31/12/99";
        QTest::newRow("date with a four-digit year") << "DBEditData" << "15032024" << "15/03/2024" << "15/03/24";
        QTest::newRow("four-digit year far off")   << "DBEditData"  << "01011950" << "01/01/1950" << "01/01/50";
        QTest::newRow("money with dots")           << "DBEditValor" << "2.500,5" << "2500,5"     << "2.500,50";
        QTest::newRow("money without dots")        << "DBEditValor" << "1234,5"  << "1234,5"     << "1.234,50";
        QTest::newRow("money emptied")             << "DBEditValor" << ""        << ""           << "";
        // clang-format on
    }
    void datesAndMoneyAreTypedTheBrazilianWay()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QString, shown);
        EditWindow w(*table);
        auto* edit = w.window.findChild<DBEdit*>(field);
        QVERIFY(focusByTab(edit));
        QTest::keyClick(edit, Qt::Key_Delete); // the whole text is selected
        QTest::keyClicks(edit, typed);
        QVERIFY(focusByTab(w.other));
        QCOMPARE(ds().asText(edit->link().field()), stored);
        QCOMPARE(edit->text().remove(QLatin1Char('/')), shown.remove(QLatin1Char('/')));
        QVERIFY(dialogs->messages.isEmpty());
    }

    // A slip of the finger is refused with the field's message, never read as another number.
    void lettersInANumberAreRefused()
    {
        EditWindow w(*table);
        QVERIFY(focusByTab(w.value));
        QTest::keyClicks(w.value, QStringLiteral("1a2"));
        QCOMPARE(w.value->text(), QStringLiteral("1a2"));
        w.other->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(dialogs->messages, QStringList{QStringLiteral("'1a2' não é um valor numérico válido.")});
        QVERIFY(w.value->hasFocus());
        QCOMPARE(ds().asText(QStringLiteral("VALOR")), QStringLiteral("1000,5"));
    }

    // A year typed with three digits is no date: refused, never cut to two.
    void aYearOfThreeDigitsIsRefused()
    {
        EditWindow w(*table);
        QVERIFY(focusByTab(w.date));
        QTest::keyClicks(w.date, QStringLiteral("1503202"));
        w.other->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(dialogs->messages, QStringList{QStringLiteral("'15/03/202' não é uma data válida.")});
        QCOMPARE(ds().asDate(QStringLiteral("DATA")), QDate(2026, 3, 4));
    }

    void aDateThatIsNoDateKeepsTheFocus()
    {
        EditWindow w(*table);
        QSignalSpy exited(w.date, &DBEdit::exited);
        QVERIFY(focusByTab(w.date));
        QTest::keyClicks(w.date, QStringLiteral("310226"));
        w.other->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(dialogs->messages, QStringList{QStringLiteral("'31/02/26' não é uma data válida.")});
        QVERIFY(w.date->hasFocus());
        QCOMPARE(exited.count(), 0);
        QCOMPARE(ds().asDate(QStringLiteral("DATA")), QDate(2026, 3, 4));
        // Corrected, it goes in and the exit handler runs.
        QTest::keyClick(w.date, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w.date, QStringLiteral("280226"));
        QVERIFY(focusByTab(w.other));
        QCOMPARE(exited.count(), 1);
        QCOMPARE(ds().asDate(QStringLiteral("DATA")), QDate(2026, 2, 28));
    }

    void aPostRefusesADateThatIsNoDate()
    {
        EditWindow w(*table);
        QVERIFY(focusByTab(w.date));
        QTest::keyClicks(w.date, QStringLiteral("3102"));
        QVERIFY_THROWS_EXCEPTION(ConversionError, ds().post());
        QCOMPARE(ds().state(), CachedDataset::State::Edit);
    }

    void focusedFieldIsPaintedInTheTooltipColour()
    {
        EditWindow w(*table);
        for (QWidget* field : {static_cast<QWidget*>(w.name), static_cast<QWidget*>(w.combo)}) {
            QVERIFY(!ShowsFocusColour(field));
            QVERIFY(focusByTab(field));
            QVERIFY2(ShowsFocusColour(field), qPrintable(field->objectName()));
            QCOMPARE(field->palette().color(QPalette::Base), QApplication::palette().color(QPalette::ToolTipBase));
            QVERIFY(focusByTab(w.other));
            QCOMPARE(field->palette().color(QPalette::Base), QApplication::palette().color(QPalette::Base));
        }
    }

    void comboWritesTypedOrPickedText()
    {
        EditWindow w(*table);
        QSignalSpy exited(w.combo, &DBComboBox::exited);
        QVERIFY(focusByTab(w.combo));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // picks "Quarent."
        QCOMPARE(ds().state(), CachedDataset::State::Edit);
        QVERIFY(focusByTab(w.other));
        QCOMPARE(ds().asText(QStringLiteral("SITUACAO")), QStringLiteral("Quarent."));
        QCOMPARE(exited.count(), 1);
        QVERIFY(focusByTab(w.combo));
        w.combo->lineEdit()->selectAll();
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Outro"));
        ds().post();
        QCOMPARE(ds().asText(QStringLiteral("SITUACAO")), QStringLiteral("Outro"));
        QCOMPARE(w.combo->count(), 3); // a typed text is not added to the list
    }

    void navigatorFollowsTheState()
    {
        EditWindow w(*table);
        auto enabled = [&](DBNavigator::Button b) { return w.navigator->button(b)->isEnabled(); };
        QVERIFY(!enabled(DBNavigator::First) && !enabled(DBNavigator::Prior));
        QVERIFY(enabled(DBNavigator::Next) && enabled(DBNavigator::Last) && enabled(DBNavigator::Edit));
        QVERIFY(!enabled(DBNavigator::Post) && !enabled(DBNavigator::Cancel));
        w.navigator->button(DBNavigator::Last)->click();
        QCOMPARE(ds().currentRow(), 2);
        QVERIFY(enabled(DBNavigator::First) && !enabled(DBNavigator::Next));
        w.navigator->button(DBNavigator::Edit)->click();
        QVERIFY(!enabled(DBNavigator::Edit) && enabled(DBNavigator::Post) && enabled(DBNavigator::Cancel));
        w.navigator->button(DBNavigator::Cancel)->click();
        QCOMPARE(ds().state(), CachedDataset::State::Browse);

        dialogs->answers = {false, true};
        w.navigator->button(DBNavigator::Delete)->click();
        QCOMPARE(ds().recordCount(), 3);
        w.navigator->button(DBNavigator::Delete)->click();
        QCOMPARE(ds().recordCount(), 2);
        QCOMPARE(dialogs->questions, QStringList(2, QStringLiteral("Excluir o registro?")));

        w.navigator->button(DBNavigator::Insert)->click();
        QCOMPARE(ds().state(), CachedDataset::State::Insert);
        ds().close();
        for (int b = 0; b < DBNavigator::ButtonCount; ++b)
            QVERIFY(!enabled(DBNavigator::Button(b)));
    }
};

QTEST_MAIN(TestDBEdit)
#include "tst_dbedit.moc"
