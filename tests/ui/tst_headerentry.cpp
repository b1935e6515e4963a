#include "entry/ui/CostDetails.h"
#include "entry/ui/HeaderEntry.h"
#include "entry/ui/SupplierLookup.h"
#include "entry/ui/SupplierRegistration.h"
#include "tests/support/PurchaseRows.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/DBNavigator.h"
#include "widgets/FocusColours.h"

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QToolButton>

// The invoice header typed as a clerk types it: the Enter walk, the items following a changed
// date, number or supplier, the supplier lookup and the quick registration, the navigator.
class TestHeaderEntry : public QObject {
    Q_OBJECT

    std::unique_ptr<WorkingWindow> w;

    TFormCompras& form() { return *w->form; }
    TDM& dm() { return *w->dm; }
    void exec(const QString& sql) { w->sql().execute(sql); }
    qint64 count(const QString& sql) { return std::get<qint64>(w->sql().executeRow(sql).front()); }

    void addSupplier(const QString& code, const QString& tradeName)
    {
        w->sql().execute("insert into FORNECED (CODIGO, NOMEFANTASIA, NOME, CNPJ) values (?, ?, ?, '1')",
                         {code, tradeName, tradeName + " Ltda"});
    }
    // Received on its issue date: the receipt date is required when the header is walked.
    void addInvoice(int code, const char* date, const char* number, const QString& supplier, const char* supplierCode)
    {
        testrows::Invoice invoice;
        invoice.code = code;
        invoice.date = date;
        invoice.receiptDate = date;
        invoice.number = number;
        invoice.supplier = supplier;
        invoice.supplierCode = supplierCode;
        testrows::insertInvoice(w->sql(), invoice);
    }
    void addItem(int code, const char* date, const char* number, const QString& supplier, const char* supplierCode)
    {
        testrows::Item item;
        item.code = code;
        item.date = date;
        item.number = number;
        item.supplier = supplier.isNull() ? std::nullopt : std::optional(supplier);
        item.supplierCode = supplierCode;
        item.productCode = QStringLiteral("S1");
        item.responsible = QStringLiteral("0001");
        testrows::insertItem(w->sql(), item);
    }

    // Every item as "code|date|number|supplier|supplier code", in code order.
    QStringList items()
    {
        QStringList rows;
        auto cursor = w->sql().openCursor(
            "select CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR from COMPRAS order by CODCOMPRA");
        while (cursor->fetch()) {
            QStringList fields{QString::number(std::get<qint64>(cursor->value(0))),
                               std::get<QDate>(cursor->value(1)).toString("dd/MM/yyyy")};
            for (int i = 2; i < 5; ++i)
                fields << (cursor->isNull(i) ? QString() : std::get<QString>(cursor->value(i)));
            rows << fields.join('|');
        }
        return rows;
    }

    // A recorded invoice 100 of ACME with two items, another invoice 100 of ACME a day later, and
    // the suppliers ACME, Beta and Zeta.
    void recordedInvoice()
    {
        addSupplier("0001", "ACME");
        addSupplier("0002", "Beta");
        addSupplier("0009", "Zeta");
        addInvoice(1, "01/15/24", "100", "ACME", "0001");
        addInvoice(2, "01/16/24", "100", "ACME", "0001");
        addItem(1, "01/15/24", "100", "ACME", "0001");
        addItem(2, "01/15/24", "100", "ACME", "0001");
        addItem(3, "01/16/24", "100", "ACME", "0001");
        QVERIFY(w->startWork());
        dm().NFiscal.first();
    }

    void click(DBNavigator::Button b) { form().findChild<DBNavigator*>("DBNavigator5")->button(b)->click(); }
    static QWidget* focused() { return QApplication::focusWidget(); }
    void pressEnter() { QTest::keyClick(focused(), Qt::Key_Return); }
    // Puts the focus in a field and types over its text.
    void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, text);
    }

private slots:
    void init()
    {
        w = std::make_unique<WorkingWindow>();
        exec("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values ('S1', 'ALCOOL', 'SUP')");
    }

    void cleanup() { w.reset(); }

    void newInvoiceTypedFromTheKeyboard()
    {
        addSupplier("0001", "ACME");
        addSupplier("0002", "Beta");
        addInvoice(1, "01/10/24", "77", "Beta", "0002");
        addItem(1, "01/10/24", "77", "Beta", "0002");
        addItem(2, "01/10/24", "", "Beta", "0002");      // no number: a number cascade would sweep it
        addItem(3, "01/10/24", "78", QString(), "0002"); // no supplier: a supplier cascade would sweep it
        const QStringList before = items();
        QVERIFY(w->startWork());

        click(DBNavigator::Insert);
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));
        QTest::keyClicks(focused(), "150124");
        pressEnter();
        QCOMPARE(focused(), form().findChild<DBEdit*>("DBEdit6"));
        QVERIFY(ShowsFocusColour(form().findChild<DBEdit*>("DBEdit6")));
        QVERIFY(!ShowsFocusColour(form().findChild<DBEdit*>("DBEditData")));
        QTest::keyClicks(focused(), "160124");
        pressEnter();
        QCOMPARE(focused(), form().findChild<DBEdit*>("DBEditNotaFiscal"));
        QTest::keyClicks(focused(), "123");
        pressEnter();
        QCOMPARE(focused(), form().findChild<DBEdit*>("DBEditForn"));
        QTest::keyClicks(focused(), "ACME");
        pressEnter();

        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        CachedDataset& nf = dm().NFiscal;
        QCOMPARE(nf.asText("DATA"), QStringLiteral("15/01/2024"));
        QCOMPARE(nf.asText("DATARECEBIM"), QStringLiteral("16/01/2024"));
        QCOMPARE(nf.asText("NOTAFISCAL"), QStringLiteral("123"));
        QCOMPARE(nf.asText("FORNECEDOR"), QStringLiteral("ACME"));
        QCOMPARE(nf.asText("CODIGOFORNECEDOR"), QStringLiteral("0001"));
        QCOMPARE(dm().Compras.state(), CachedDataset::State::Insert);
        QCOMPARE(dm().Compras.asText("NOTAFISCAL"), QStringLiteral("123"));
        QCOMPARE(form().findChild<DBGrid*>("DBGrid1")->selectedIndex(), 0);
        QVERIFY(!w->session.InsertingInvoice);
        QCOMPARE(items(), before);
        QVERIFY(w->dialogs().messages.isEmpty());
    }

    void enterWhileBrowsingAsksForEditMode()
    {
        recordedInvoice();
        form().findChild<DBEdit*>("DBEditData")->setFocus();
        QTRY_VERIFY(form().findChild<DBEdit*>("DBEditData")->hasFocus());
        pressEnter();
        QCOMPARE(w->dialogs().messages, QStringList{HeaderEntry::kEditModeMessage});
        QCOMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));

        // Typing starts the editing; the date typed again is the same.
        QTest::keyClicks(focused(), dm().NFiscal.asDate("DATA").toString("ddMMyy"));
        QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Edit);
        pressEnter();
        QCOMPARE(focused(), form().findChild<DBEdit*>("DBEdit6"));
        QCOMPARE(w->dialogs().messages.size(), 1);
    }

    void changedDateMovesTheInvoiceItems()
    {
        recordedInvoice();
        typeInto(form().findChild<DBEdit*>("DBEditData"), "200124");
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditNotaFiscal"));
        QCOMPARE(items(), (QStringList{"1|20/01/2024|100|ACME|0001", "2|20/01/2024|100|ACME|0001",
                                       "3|16/01/2024|100|ACME|0001"}));
    }

    void changedNumberRenumbersTheInvoiceItems()
    {
        recordedInvoice();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditNotaFiscal"), "101");
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditForn"));
        QCOMPARE(items(), (QStringList{"1|15/01/2024|101|ACME|0001", "2|15/01/2024|101|ACME|0001",
                                       "3|16/01/2024|100|ACME|0001"}));
        QCOMPARE(dm().Compras.recordCount(), 2); // the list shows the renumbered items
    }

    void supplierChangedThroughTheLookupRenamesTheItems()
    {
        recordedInvoice();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "BETA"); // other letter case: the lookup opens
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QCOMPARE(dm().Fornecedor.asText("NOMEFANTASIA"), QStringLiteral("Beta"));
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), QStringLiteral("Beta"));
        QCOMPARE(items(), (QStringList{"1|15/01/2024|100|Beta|0002", "2|15/01/2024|100|Beta|0002",
                                       "3|16/01/2024|100|ACME|0001"}));
        QCOMPARE(dm().Compras.recordCount(), 2);
    }

    void fieldsLeftUnchangedChangeNothing()
    {
        recordedInvoice();
        const QStringList before = items();
        click(DBNavigator::Edit);
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));
        for (int field = 0; field < 4; ++field)
            pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        QCOMPARE(items(), before);
    }

    void anEmptySavedValueNeverCascades()
    {
        addSupplier("0001", "ACME");
        addInvoice(1, "01/15/24", "", "ACME", "0001");
        addItem(1, "01/15/24", "", "ACME", "0001");
        QVERIFY(w->startWork());
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditNotaFiscal"), "55");
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditForn"));
        QCOMPARE(items(), QStringList{"1|15/01/2024||ACME|0001"});
    }

    void resolvesTheTypedSupplier_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("lookup");
        QTest::addColumn<QString>("highlighted"); // code of the supplier the lookup stands on
        QTest::newRow("exact and unique") << "ACME" << false << "";
        QTest::newRow("apostrophe, exact and unique") << "D'Ávila" << false << "";
        QTest::newRow("other letter case") << "acme" << true << "0009";
        QTest::newRow("two with one name") << "Beta" << true << "";
        QTest::newRow("last in name order") << "Zeta" << true << "0009";
        QTest::newRow("no such name") << "Bz" << true << "0005";
    }
    void resolvesTheTypedSupplier()
    {
        QFETCH(QString, typed);
        QFETCH(bool, lookup);
        QFETCH(QString, highlighted);
        addSupplier("0004", "Beta");
        addSupplier("0002", "Beta");
        addSupplier("0005", "D'Ávila");
        addSupplier("0003", "ACME");
        addSupplier("0009", "Zeta");
        QVERIFY(w->startWork());
        click(DBNavigator::Insert);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), typed);
        pressEnter();

        QCOMPARE(form().findChild<QFrame*>("PainelCliProcura")->isVisible(), lookup);
        if (lookup) {
            QTRY_VERIFY(form().findChild<QWidget*>("GradeClientes")->hasFocus());
            if (highlighted.isEmpty())
                QCOMPARE(dm().Fornecedor.currentRow(), 1); // the first Beta, after ACME
            else
                QCOMPARE(dm().Fornecedor.asText("CODIGO"), highlighted);
            QVERIFY(!form().BotSairCompras->isEnabled());
        } else {
            QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
            QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), typed);
            QCOMPARE(dm().NFiscal.asText("CODIGOFORNECEDOR"), typed == "ACME" ? "0003" : "0005");
            QVERIFY(!dm().Fornecedor.isOpen());
        }
    }

    // A supplier look-up that failed (the database did not answer) is made again by Enter in the
    // field left as it was, once the database answers.
    void aFailedSupplierLookupIsMadeAgainByEnter()
    {
        addSupplier("0003", "ACME");
        addSupplier("0009", "Zeta");
        exec("create table BLOQUEIO (CONEXAO bigint)");
        exec("create exception SEM_RESPOSTA 'o servidor não respondeu'");
        exec("create trigger BLOQUEIA on transaction start as begin if (exists (select 1 from BLOQUEIO where "
             "CONEXAO = current_connection)) then exception SEM_RESPOSTA; end");
        QVERIFY(w->startWork());
        click(DBNavigator::Insert);
        const Values window = dm().SQLConnection1.executeRow("select current_connection from RDB$DATABASE");
        w->sql().execute("insert into BLOQUEIO (CONEXAO) values (?)", {window.front()});
        auto* supplier = form().findChild<DBEdit*>("DBEditForn");
        typeInto(supplier, "ACME");
        pressEnter();
        QVERIFY(dm().NFiscal.asText("CODIGOFORNECEDOR").isEmpty());

        exec("delete from BLOQUEIO");
        supplier->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(supplier->hasFocus());
        QCOMPARE(supplier->text(), QStringLiteral("ACME"));
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QCOMPARE(dm().NFiscal.asText("CODIGOFORNECEDOR"), QStringLiteral("0003"));
    }

    void escRestoresTheNameOfTheField()
    {
        recordedInvoice();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Xyz");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QTest::keyClick(focused(), Qt::Key_Escape);
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        QCOMPARE(form().findChild<DBEdit*>("DBEditForn")->text(), QStringLiteral("ACME"));
        QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), QStringLiteral("ACME"));
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditForn"));
        QVERIFY(form().BotSairCompras->isEnabled());
        QCOMPARE(items().first(), QStringLiteral("1|15/01/2024|100|ACME|0001"));
    }

    void registersANewSupplier_data()
    {
        QTest::addColumn<QString>("existing");
        QTest::addColumn<QString>("stored");
        QTest::newRow("empty table") << ""
                                     << "0001";
        QTest::newRow("greatest + 1") << "0007"
                                      << "0008";
    }
    void registersANewSupplier()
    {
        QFETCH(QString, existing);
        QFETCH(QString, stored);
        if (!existing.isEmpty())
            addSupplier(existing, "Zeta");
        QVERIFY(w->startWork());
        w->session.LastSupplierCode = 41;
        click(DBNavigator::Insert);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Nova Farma");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QTest::keyClick(focused(), Qt::Key_Insert);

        QVERIFY(form().findChild<QFrame*>("PainelResumoCliente")->isVisible());
        QCOMPARE(focused()->objectName(), QStringLiteral("DBEditNomeCliente"));
        QCOMPARE(dm().Fornecedor.asText("CODIGO"), QStringLiteral("0042")); // provisional
        QCOMPARE(qobject_cast<QLineEdit*>(focused())->text(), QStringLiteral("Nova Farma"));
        for (const char* name : {"BotCliEnter", "BotCliCancProc", "BotCliInsert"})
            QVERIFY(!form().findChild<QWidget*>(name)->isEnabled());
        pressEnter();
        QTest::keyClicks(focused(), "DROGARIA  NOVA FARMA DO POVO S.A.");
        pressEnter();
        QCOMPARE(focused()->objectName(), QStringLiteral("DBEdit5"));
        QCOMPARE(dm().Fornecedor.asText("NOME"), QStringLiteral("Drogaria Nova Farma Povo S/A"));
        QTest::keyClicks(focused(), "11222333000181");
        form().findChild<QPushButton*>("BotOKResCliente")->click();

        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        QCOMPARE(count("select count(*) from FORNECED where CODIGO = '" + stored +
                       "' and NOMEFANTASIA = 'Nova Farma' and NOME = 'Drogaria Nova Farma Povo S/A' and "
                       "CNPJ = '11222333000181'"),
                 1);
        QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), QStringLiteral("Nova Farma"));
        QCOMPARE(dm().NFiscal.asText("CODIGOFORNECEDOR"), stored);
        QVERIFY(w->dialogs().messages.isEmpty());
    }

    // A text longer than the supplier register keeps is cut where it is typed, and the clerk is
    // told so and shown what was kept; a name that fits once in the house style is kept whole.
    void aTextTooLongForTheRegisterIsCutWithAWord_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("cnpj");
        QTest::addColumn<QString>("storedName");
        QTest::addColumn<QString>("storedCnpj");
        QTest::addColumn<QStringList>("messages");
        const QString longName =
            "DISTRIBUIDORA NACIONAL PRODUTOS FARMACEUTICO HOSPITALARES VETERINARIO PAULISTA MATRIZ LTDA";
        const QString kept = "Distribuidora Nacional Produtos Farmaceu";
        QTest::newRow("legal name of 90")
            << longName << "11222333000181" << kept << "11222333000181"
            << QStringList{SupplierRegistration::textCutMessage("A Razão Social", 90, 40, kept)};
        QTest::newRow("fits in the house style") << "DROGARIA   BOA   VIDA   FARMACIA   POPULAR   LTDA"
                                                 << "11222333000181"
                                                 << "Drogaria Boa Vida Farmacia Popular Ltda"
                                                 << "11222333000181" << QStringList{};
        QTest::newRow("CNPJ of 25") << "Nova Farma Ltda"
                                    << "11.222.333/0001-81 matriz"
                                    << "Nova Farma Ltda"
                                    << "11.222.333/0001-81 m"
                                    << QStringList{SupplierRegistration::textCutMessage("O CNPJ", 25, 20,
                                                                                        "11.222.333/0001-81 m")};
    }
    void aTextTooLongForTheRegisterIsCutWithAWord()
    {
        QFETCH(QString, name);
        QFETCH(QString, cnpj);
        QFETCH(QString, storedName);
        QFETCH(QString, storedCnpj);
        QFETCH(QStringList, messages);
        QVERIFY(w->startWork());
        click(DBNavigator::Insert);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Nova Farma");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QTest::keyClick(focused(), Qt::Key_Insert);
        pressEnter();
        QTest::keyClicks(focused(), name);
        pressEnter();
        QTest::keyClicks(focused(), cnpj);
        QTest::mouseClick(form().findChild<QPushButton*>("BotOKResCliente"), Qt::LeftButton);

        QTRY_COMPARE(w->dialogs().messages, messages);
        QCOMPARE(count("select count(*) from FORNECED where NOMEFANTASIA = 'Nova Farma' and NOME = '" + storedName +
                       "' and CNPJ = '" + storedCnpj + "'"),
                 1);
    }

    void anIncompleteSupplierIsNeitherStoredNorTaken()
    {
        QVERIFY(w->startWork());
        click(DBNavigator::Insert);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Nova Farma");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        form().findChild<QPushButton*>("BotCliInsert")->click();
        typeInto(form().findChild<QLineEdit*>("DBEdit4"), "Nova Farma Ltda");
        form().findChild<QPushButton*>("BotOKResCliente")->click();

        QCOMPARE(w->dialogs().messages, QStringList{SupplierRegistration::kIncompleteMessage});
        QCOMPARE(count("select count(*) from FORNECED"), 0);
        QVERIFY(dm().Fornecedor.state() == CachedDataset::State::Browse);
        QCOMPARE(dm().NFiscal.asText("CODIGOFORNECEDOR"), QString());
        QVERIFY(form().findChild<QFrame*>("PainelResumoCliente")->isHidden());
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible()); // to pick or register again
        QVERIFY(form().findChild<QWidget*>("BotCliInsert")->isEnabled());
        QTRY_VERIFY(form().findChild<QWidget*>("GradeClientes")->hasFocus());
    }

    // The database refuses the new supplier: nothing is taken into the header, which keeps the
    // supplier it had, and the clerk reads why.
    void aRefusedNewSupplierLeavesTheHeaderAsItWas()
    {
        exec("alter table FORNECED add constraint CK_FORNECED_TESTE check (CNPJ <> '99999999999999')");
        recordedInvoice();
        const QStringList before = items();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Nova Farma");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QTest::keyClick(focused(), Qt::Key_Insert);
        pressEnter();
        QTest::keyClicks(focused(), "NOVA FARMA LTDA");
        pressEnter();
        QTest::keyClicks(focused(), "99999999999999");
        form().findChild<QPushButton*>("BotOKResCliente")->click();

        QCOMPARE(w->dialogs().messages.size(), 1);
        QVERIFY(w->dialogs().messages.front().startsWith("Não foi possível gravar o fornecedor no cadastro."));
        QVERIFY(w->dialogs().messages.front().contains("CK_FORNECED_TESTE"));
        QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), QStringLiteral("ACME"));
        QCOMPARE(dm().NFiscal.asText("CODIGOFORNECEDOR"), QStringLiteral("0001"));
        QVERIFY(form().findChild<QFrame*>("PainelCliProcura")->isHidden());
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditForn"));
        click(DBNavigator::Post);
        QCOMPARE(count("select count(*) from NFISCAL where CODIGO = 1 and FORNECEDOR = 'ACME' and "
                       "CODIGOFORNECEDOR = '0001'"),
                 1);
        QCOMPARE(count("select count(*) from FORNECED"), 3);
        QCOMPARE(items(), before);
    }

    // Closing the window with the supplier list open acts as Esc: the header gets its supplier back
    // before it is posted, and the typed name reaches neither the invoice nor its items.
    void closingWithTheSupplierListOpenKeepsTheSupplier()
    {
        recordedInvoice();
        const QStringList before = items();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "Fornecedor Fantasma");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        w->dialogs().answers = {false};
        form().close();

        QVERIFY(!form().isVisible());
        QCOMPARE(count("select count(*) from NFISCAL where FORNECEDOR = 'Fornecedor Fantasma'"), 0);
        QCOMPARE(count("select count(*) from NFISCAL where CODIGO = 1 and FORNECEDOR = 'ACME'"), 1);
        QCOMPARE(items(), before);
    }

    // A new invoice whose items are stored is cancelled only after a question; its items go with
    // it. The items of the invoice that becomes current again stay.
    void cancellingANewInvoiceWithStoredItems_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes: the invoice and its items go") << true;
        QTest::newRow("No: the invoice stays new") << false;
    }
    void cancellingANewInvoiceWithStoredItems()
    {
        QFETCH(bool, answer);
        recordedInvoice();
        const QStringList before = items();
        click(DBNavigator::Insert);
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));
        QTest::keyClicks(focused(), "200124");
        pressEnter();
        QTest::keyClicks(focused(), "200124");
        pressEnter();
        QTest::keyClicks(focused(), "555");
        pressEnter();
        QTest::keyClicks(focused(), "Beta");
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        CachedDataset& typed = dm().Compras;
        typed.setText("COMPONENTE", "ALCOOL");
        typed.setText("CODIGO", "S1");
        typed.post(); // stored, as moving to the next row stores it
        typed.append();
        typed.setText("COMPONENTE", "ALCOOL"); // typed, not stored yet
        QCOMPARE(count("select count(*) from COMPRAS where NOTAFISCAL = '555'"), 1);
        w->dialogs().answers = {answer};
        click(DBNavigator::Cancel);

        QCOMPARE(w->dialogs().questions, QStringList{HeaderEntry::kDropStoredItemsQuestion});
        if (answer) {
            QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Browse);
            QCOMPARE(items(), before);
            QCOMPARE(count("select count(*) from NFISCAL"), 2);
        } else {
            QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Insert);
            QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), QStringLiteral("555"));
            QCOMPARE(count("select count(*) from COMPRAS where NOTAFISCAL = '555'"), 1);
        }
    }

    // Registered from a recorded invoice, the new supplier's name goes to the invoice's items.
    void registeredSupplierWithAnApostropheRenamesTheItems()
    {
        recordedInvoice();
        click(DBNavigator::Edit);
        typeInto(form().findChild<DBEdit*>("DBEditForn"), "D'Ávila");
        pressEnter();
        QTRY_VERIFY(form().findChild<QFrame*>("PainelCliProcura")->isVisible());
        QTest::keyClick(focused(), Qt::Key_Insert);
        pressEnter();
        QTest::keyClicks(focused(), "FARMACIA D'ÁVILA");
        pressEnter();
        QTest::keyClicks(focused(), "11222333000181");
        form().findChild<QPushButton*>("BotOKResCliente")->click();

        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QCOMPARE(count("select count(*) from FORNECED where CODIGO = '0010' and NOMEFANTASIA = 'D''Ávila' and "
                       "NOME = 'Farmacia D''Ávila'"),
                 1);
        QCOMPARE(items(), (QStringList{"1|15/01/2024|100|D'Ávila|0010", "2|15/01/2024|100|D'Ávila|0010",
                                       "3|16/01/2024|100|ACME|0001"}));
    }

    // An item typed into the grid but not stored yet (the grid leaves it new when the focus goes)
    // is written before the item list is read again: the changed number takes it along, and a
    // cancelled header keeps it.
    void anItemTypedButNotStoredIsKept_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("listed"); // the item list is read by number and supplier code
        QTest::newRow("number changed") << false << "101" << 3;
        QTest::newRow("header cancelled") << true << "100" << 4;
    }
    void anItemTypedButNotStoredIsKept()
    {
        QFETCH(bool, cancel);
        QFETCH(QString, number);
        QFETCH(int, listed);
        recordedInvoice();
        click(DBNavigator::Edit);
        form().findChild<DBGrid*>("DBGrid1")->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QTest::keyClick(focused(), Qt::Key_Insert);
        QTest::keyClicks(focused(), "ALCOOL");
        pressEnter();
        QTRY_COMPARE(focused()->objectName(), QStringLiteral("GradeOpCompras")); // the product list
        pressEnter();
        QTRY_COMPARE(focused(), form().findChild<DBGrid*>("DBGrid1"));
        QTest::keyClicks(focused(), "7");
        pressEnter();
        QCOMPARE(dm().Compras.asText("COMPONENTE"), QStringLiteral("ALCOOL"));
        QCOMPARE(dm().Compras.asFloat("QUANTIDADE"), 7.0);
        typeInto(form().findChild<DBEdit*>("DBEditNotaFiscal"), "101");
        QCOMPARE(dm().Compras.state(), CachedDataset::State::Insert);
        if (cancel)
            click(DBNavigator::Cancel);
        else
            pressEnter();

        QTRY_VERIFY(focused() != form().findChild<DBEdit*>("DBEditNotaFiscal"));
        QCOMPARE(items().size(), 4);
        QCOMPARE(count("select count(*) from COMPRAS where QUANTIDADE = 7 and NOTAFISCAL = '" + number +
                       "' and CODIGOFORNECEDOR = '0001'"),
                 1);
        QCOMPARE(dm().Compras.recordCount(), listed);
        QVERIFY(w->dialogs().messages.isEmpty());
    }

    // Cancelled with no invoice to go back to, the item list stays open (empty) for what reads it.
    void cancelOnAnEmptyInvoiceTableKeepsTheItemListOpen()
    {
        QVERIFY(w->startWork());
        click(DBNavigator::Insert);
        click(DBNavigator::Cancel);
        QVERIFY(dm().NFiscal.isEmpty());
        QVERIFY(dm().Compras.isOpen());
        QVERIFY(dm().Compras.isEmpty());
        // With no item the cost button has nothing to update: no question, no error.
        form().findChild<QPushButton*>("BotAtuaCustoUnit")->click();
        QVERIFY(w->dialogs().messages.isEmpty());
        QVERIFY(w->dialogs().questions.isEmpty());
    }

    // Every button of the navigator answers a key from the fields, and its tooltip names the key.
    void navigatorKeys()
    {
        recordedInvoice();
        auto* navigator = form().findChild<DBNavigator*>("DBNavigator5");
        for (int b = 0; b < DBNavigator::ButtonCount; ++b) {
            const QAction* action = navigator->button(DBNavigator::Button(b))->defaultAction();
            QVERIFY(action && !action->shortcut().isEmpty());
            QVERIFY(navigator->button(DBNavigator::Button(b))
                        ->toolTip()
                        .contains(action->shortcut().toString(QKeySequence::NativeText)));
        }
        CachedDataset& nf = dm().NFiscal;
        form().findChild<DBEdit*>("DBEditData")->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));
        QTest::keyClick(focused(), Qt::Key_PageDown, Qt::AltModifier);
        QCOMPARE(nf.currentRow(), 1);
        QTest::keyClick(focused(), Qt::Key_Home, Qt::AltModifier);
        QCOMPARE(nf.currentRow(), 0);
        QTest::keyClick(focused(), Qt::Key_F2);
        QCOMPARE(nf.state(), CachedDataset::State::Edit);
        typeInto(form().findChild<DBEdit*>("DBEdit6"), "170124");
        QTest::keyClick(focused(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(nf.state(), CachedDataset::State::Browse);
        QCOMPARE(count("select count(*) from NFISCAL where CODIGO = 1 and DATARECEBIM = '01/17/24'"), 1);
        QTest::keyClick(focused(), Qt::Key_Insert, Qt::AltModifier);
        QCOMPARE(nf.state(), CachedDataset::State::Insert);
        QTest::keyClick(focused(), Qt::Key_C, Qt::AltModifier);
        QCOMPARE(nf.state(), CachedDataset::State::Browse);
        QCOMPARE(count("select count(*) from NFISCAL"), 2);
    }

    void navigatorButtons()
    {
        addInvoice(3, "01/17/24", "300", "ACME", "0001");
        addItem(4, "01/17/24", "300", "ACME", "0001");
        exec("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values (1, 'N.Fiscal 100 ACME', 10, "
             "'Atualizado (pagar)')");
        exec("insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) values (2, 'N.Fiscal 300 ACME', 10, "
             "'Atualizado (pagar)')");
        recordedInvoice();
        CachedDataset& nf = dm().NFiscal;

        click(DBNavigator::Insert);
        QVERIFY(w->session.InsertingInvoice);
        QCOMPARE(nf.asInteger("CODIGO"), 4);
        click(DBNavigator::Cancel);
        QCOMPARE(nf.state(), CachedDataset::State::Browse);
        QVERIFY(!form().findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        QVERIFY(form().BotSairCompras->isEnabled());
        QVERIFY(!w->session.InsertingInvoice);
        // The items of the invoice that is current again (by number and supplier code: both invoices 100).
        QCOMPARE(dm().Compras.recordCount(), 3);

        click(DBNavigator::Edit);
        QVERIFY(form().findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        typeInto(form().findChild<DBEdit*>("DBEdit6"), "170124");
        click(DBNavigator::Post);
        QCOMPARE(nf.state(), CachedDataset::State::Browse);
        QVERIFY(!form().findChild<DBEdit*>("DBEditNotaFiscal")->isEnabled());
        QCOMPARE(count("select count(*) from NFISCAL where CODIGO = 1 and DATARECEBIM = '01/17/24'"), 1);

        click(DBNavigator::Last);
        // The question names the invoice, and Enter answers it No.
        const QStringList asked(2, HeaderEntry::DeleteQuestion(nf));
        QVERIFY(asked.front().startsWith(QStringLiteral("Excluir a Nota Fiscal 300 do fornecedor ")));
        w->dialogs().answers = {false};
        click(DBNavigator::Delete);
        QCOMPARE(count("select count(*) from NFISCAL"), 3);
        click(DBNavigator::Delete);
        QCOMPARE(w->dialogs().questions, asked);
        QCOMPARE(w->dialogs().defaultNoQuestions, asked);
        QCOMPARE(count("select count(*) from NFISCAL where CODIGO = 3"), 0);
        QCOMPARE(items().size(), 3);
        QCOMPARE(count("select count(*) from COMPRAS where NOTAFISCAL = '300'"), 0);
        QCOMPARE(count("select count(*) from CTAPAGAR where DESCRICAO = 'N.Fiscal 100 ACME'"), 1);
        QCOMPARE(count("select count(*) from CTAPAGAR"), 1);
    }

    // Alt+Ins starts a new invoice in "Data Emissão" wherever the clerk stood: the header typed
    // next goes into the header, never into an item cell.
    void altInsStartsInTheIssueDate_data()
    {
        QTest::addColumn<QString>("from");
        QTest::newRow("item grid") << "grid";
        QTest::newRow("quantity being typed") << "cell";
        QTest::newRow("new item row") << "new row";
        QTest::newRow("items of a new invoice") << "new invoice";
    }
    void altInsStartsInTheIssueDate()
    {
        QFETCH(QString, from);
        recordedInvoice();
        auto* grid = form().findChild<DBGrid*>("DBGrid1");
        auto* date = form().findChild<DBEdit*>("DBEditData");
        if (from == "new invoice") {
            click(DBNavigator::Insert);
            QTRY_COMPARE(focused(), date);
            QTest::keyClicks(date, "150124");
            pressEnter();
            QTest::keyClicks(focused(), "160124");
            pressEnter();
            QTest::keyClicks(focused(), "555");
            pressEnter();
            QTest::keyClicks(focused(), "ACME");
            pressEnter();
        } else {
            click(DBNavigator::Edit);
            grid->setFocus(Qt::MouseFocusReason);
        }
        QTRY_VERIFY(grid->hasFocus());
        if (from == "cell") {
            grid->setSelectedIndex(grid->model()->columnCount() > 3 ? 3 : 0);
            QTest::keyClicks(focused(), "7");
        } else if (from == "new row") {
            QTest::keyClick(grid, Qt::Key_Insert);
        }
        QTest::keyClick(focused(), Qt::Key_Insert, Qt::AltModifier);
        QCoreApplication::processEvents();
        QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Insert);
        QCOMPARE(focused(), date);
        QTest::keyClicks(focused(), "170224");
        QCOMPARE(focused(), date);
        QCOMPARE(date->text(), QStringLiteral("17/02/24"));
    }
};

QTEST_MAIN(TestHeaderEntry)
#include "tst_headerentry.moc"
