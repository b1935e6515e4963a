#include "tests/ui/WorkingWindow.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

// The purchase search panel, the invoice table and the sort buttons, used as a clerk uses them.
class TestPurchaseSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<WorkingWindow> w;

    TFormCompras& form() { return *w->form; }
    TDM& dm() { return *w->dm; }
    template <typename T = QWidget> T* find(const char* name)
    {
        T* widget = form().findChild<T*>(QLatin1String(name));
        if (!widget)
            qFatal("no control %s", name);
        return widget;
    }
    QStringList& messages() { return w->dialogs().messages; }

    void addInvoice(int code, QDate date, const char* number, const char* supplier, const char* group = "SUP")
    {
        w->sql().execute("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, "
                         "GRUPDESP) values ('01', ?, ?, ?, ?, '0001', ?)",
                         {qint64(code), date, QString(number), QString(supplier), QString(group)});
    }
    void addItem(int code, QDate date, const char* number, const char* supplier, const char* product,
                 const char* productCode, const char* lot, QDate expiry)
    {
        w->sql().execute("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, COMPONENTE, CODIGO, "
                         "CODIGOFORNECEDOR, RESPONSAVEL, LOTE, VALIDADE) values ('01', ?, ?, ?, ?, ?, ?, '0001', "
                         "'0001', ?, ?)",
                         {qint64(code), date, QString(number), QString(supplier), QString::fromUtf8(product),
                          QString(productCode), QString(lot), expiry});
    }
    void addProduct(const char* code, const char* name, const char* group)
    {
        w->sql().execute("insert into COMPONEN (CODIGO, COMPONENTE, GRUPO) values (?, ?, ?)",
                         {QString(code), QString::fromUtf8(name), QString(group)});
    }

    void openSearch()
    {
        find<QAction>("Etiqueta1")->trigger();
        QVERIFY(find("PainelPesquisaCompras")->isVisible());
    }
    void enter(QWidget* widget)
    {
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Return);
    }
    void search(const char* field, const QString& text)
    {
        auto* edit = find<QLineEdit>(field);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

private slots:
    // Invoices of 10/03/2020, 17/03/2020 and 20/04/2021, one of another group; their items, one of
    // a product that is no supply; a synonym of a supply product and one that points nowhere.
    void init()
    {
        w = std::make_unique<WorkingWindow>();
        addProduct("1", "Acido folico", "SUP");
        addProduct("2", "Luvas", "SUP");
        addProduct("3", "Vitamina C", "SUP");
        addProduct("9", "Acido borico", "MP");
        w->sql().execute("insert into SINONIMO (APELIDO, CODIGO, GRUPO) values ('Folato', '1', 'SUP')");
        w->sql().execute("insert into SINONIMO (APELIDO, CODIGO, GRUPO) values ('Fantasma', '77', 'SUP')");
        addInvoice(1, QDate(2020, 3, 10), "100", "Alfa Ltda");
        addInvoice(2, QDate(2020, 3, 17), "205", "Beta SA");
        addInvoice(3, QDate(2021, 4, 20), "300", "Alfa Ltda");
        addInvoice(4, QDate(2020, 3, 15), "400", "Revenda", "REV");
        addItem(1, QDate(2020, 3, 10), "100", "Alfa Ltda", "Acido folico", "1", "L1", QDate(2022, 1, 1));
        addItem(2, QDate(2020, 3, 17), "205", "Beta SA", "Luvas", "2", "L2", QDate(2023, 5, 5));
        addItem(3, QDate(2021, 4, 20), "300", "Alfa Ltda", "Vitamina C", "3", "L3", QDate(2024, 6, 1));
        addItem(4, QDate(2020, 3, 17), "205", "Beta SA", "Acido borico", "9", "L0", QDate(2021, 1, 1));
        QVERIFY(w->startWork());
        openSearch();
    }
    void cleanup() { w.reset(); }

    void enterInEachField_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message"); // empty when found
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("invoice"); // NOTAFISCAL of the invoice current afterwards, when it matters

        QTest::newRow("date: empty") << "PesqData"
                                     << ""
                                     << "Digite uma data para a pesquisa."
                                     << "PesqData"
                                     << "";
        QTest::newRow("date: found") << "PesqData"
                                     << "17/03/20"
                                     << ""
                                     << "GradeData"
                                     << "205";
        QTest::newRow("date: none that day, the next one current") << "PesqData"
                                                                   << "15/03/20"
                                                                   << "Data 15/03/20 não encontrada."
                                                                   << "PesqData"
                                                                   << "205";
        QTest::newRow("date: no date") << "PesqData"
                                       << "3 de marco"
                                       << "3 de marco não é uma data válida."
                                       << "PesqData"
                                       << "";
        QTest::newRow("number: empty") << "EditNotaFiscal"
                                       << ""
                                       << "Digite um número de Nota Fiscal para a pesquisa."
                                       << "EditNotaFiscal"
                                       << "";
        QTest::newRow("number: found") << "EditNotaFiscal"
                                       << "300"
                                       << ""
                                       << "GradeNFiscal"
                                       << "300";
        QTest::newRow("number: not found") << "EditNotaFiscal"
                                           << "250"
                                           << "Nota Fiscal 250 não encontrada."
                                           << "EditNotaFiscal"
                                           << "300";
        QTest::newRow("supplier: empty") << "EditFornecedor"
                                         << ""
                                         << "Digite o nome de um fornecedor."
                                         << "EditFornecedor"
                                         << "";
        QTest::newRow("supplier: found") << "EditFornecedor"
                                         << "Beta SA"
                                         << ""
                                         << "GradeForn"
                                         << "205";
        QTest::newRow("supplier: not found") << "EditFornecedor"
                                             << "Gama"
                                             << "Gama não encontrado."
                                             << "EditFornecedor"
                                             << "";
        QTest::newRow("product: empty") << "EditComponente"
                                        << ""
                                        << "Digite o nome de um produto ou matéria prima."
                                        << "EditComponente"
                                        << "";
        QTest::newRow("product: lower case is capitalised") << "EditComponente"
                                                            << "luvas"
                                                            << ""
                                                            << "GradeComp"
                                                            << "205";
        QTest::newRow("product: a synonym finds its product") << "EditComponente"
                                                              << "folato"
                                                              << ""
                                                              << "GradeComp"
                                                              << "100";
        QTest::newRow("product: not found") << "EditComponente"
                                            << "xarope"
                                            << "Xarope não encontrado."
                                            << "EditComponente"
                                            << "";
        QTest::newRow("product: not a supply") << "EditComponente"
                                               << "acido borico"
                                               << "Acido borico não encontrado."
                                               << "EditComponente"
                                               << "";
        QTest::newRow("expiry: empty") << "EditValidade"
                                       << ""
                                       << "Digite uma data para a pesquisa."
                                       << "EditValidade"
                                       << "";
        QTest::newRow("expiry: found") << "EditValidade"
                                       << "05/05/23"
                                       << ""
                                       << "GradeValid"
                                       << "205";
        QTest::newRow("expiry: not found") << "EditValidade"
                                           << "06/05/23"
                                           << "Data 06/05/23 não encontrada."
                                           << "EditValidade"
                                           << "300";
        QTest::newRow("expiry: no date") << "EditValidade"
                                         << "maio"
                                         << "maio não é uma data válida."
                                         << "EditValidade"
                                         << "";
        QTest::newRow("lot: empty") << "EditLote"
                                    << ""
                                    << "Digite o lote para a pesquisa."
                                    << "EditLote"
                                    << "";
        QTest::newRow("lot: found") << "EditLote"
                                    << "L3"
                                    << ""
                                    << "GradeLote"
                                    << "300";
        QTest::newRow("lot: not found") << "EditLote"
                                        << "L9"
                                        << "Lote L9 não encontrado."
                                        << "EditLote"
                                        << "";
    }
    void enterInEachField()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(QString, focus);
        QFETCH(QString, invoice);
        search(field.toLatin1().constData(), text);
        QCOMPARE(messages(), message.isEmpty() ? QStringList() : QStringList{message});
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
        if (!invoice.isEmpty())
            QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), invoice);
    }

    // A search the database fails is told as a database failure, never as a number or lot that is
    // not valid.
    void aDatabaseFailureIsToldAsOne_data()
    {
        QTest::addColumn<QString>("field");
        QTest::newRow("number") << "EditNotaFiscal";
        QTest::newRow("supplier") << "EditFornecedor";
        QTest::newRow("lot") << "EditLote";
    }
    void aDatabaseFailureIsToldAsOne()
    {
        QFETCH(QString, field);
        auto* edit = find<QLineEdit>(field.toLatin1().constData());
        openSearch();
        // The invoices and items lose the column the lists are ordered by.
        w->sql().execute("alter table NFISCAL alter column NOTAFISCAL to NOTAFISCAL_OLD");
        w->sql().execute("alter table COMPRAS alter column LOTE to LOTE_OLD");
        edit->setFocus();
        edit->setText(QStringLiteral("300"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(messages().size(), 1);
        const QString shown = messages().front();
        QVERIFY2(shown.startsWith(QStringLiteral("Não foi possível pesquisar \"300\".\r\r")), qPrintable(shown));
        QVERIFY2(!shown.contains(QStringLiteral("válido")), qPrintable(shown));
        QTRY_COMPARE(QApplication::focusWidget(), edit);
    }

    // Tab and Shift+Tab leave a list for the next and the previous control, the list keeping its row.
    void tabLeavesAList_data()
    {
        QTest::addColumn<QString>("list");
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QString>("focus");
        QTest::newRow("Tab from the dates") << "GradeData" << false << "EditNotaFiscal";
        QTest::newRow("Shift+Tab from the dates") << "GradeData" << true << "PesqData";
        QTest::newRow("Tab from the products") << "GradeComp" << false << "EditValidade";
        QTest::newRow("Shift+Tab from the lots") << "GradeLote" << true << "EditLote";
        QTest::newRow("Tab from the lots") << "GradeLote" << false << "BotSairPesquisa";
    }
    void tabLeavesAList()
    {
        QFETCH(QString, list);
        QFETCH(bool, backwards);
        QFETCH(QString, focus);
        openSearch();
        auto* grid = find<DBGrid>(list.toLatin1().constData());
        grid->setFocus();
        QTRY_VERIFY(grid->hasFocus());
        CachedDataset* rows = grid->dataset();
        rows->first(); // a row with rows after it
        const int row = rows->currentRow();
        QTest::keyClick(grid, backwards ? Qt::Key_Backtab : Qt::Key_Tab,
                        backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), focus);
        QCOMPARE(rows->currentRow(), row);
    }

    void productFieldShowsTheNameSearched()
    {
        search("EditComponente", "folato");
        QCOMPARE(find<QLineEdit>("EditComponente")->text(), QStringLiteral("Acido folico"));
        search("EditComponente", "fantasma");
        QCOMPARE(messages().value(0), QStringLiteral("Erro nos dados. Não encontrei o Código 77 de SINONIMOS (apelido: "
                                                     "Fantasma) no Cadastro de Componentes."));
        QCOMPARE(find<QLineEdit>("EditComponente")->text(), QStringLiteral("Fantasma"));
    }

    void typingADateLandsOnThatDateOrLater()
    {
        auto* field = find<QLineEdit>("PesqData");
        field->setFocus();
        QTest::keyClicks(field, "15/03/20");
        QCOMPARE(dm().NFiscal.asDate("DATA"), QDate(2020, 3, 17));
        QVERIFY(messages().isEmpty());
    }

    void itemsOfOtherGroupsNeverAppear()
    {
        for (const char* button : {"BotProdcomp", "BotValid", "BotLote"}) {
            QTest::mouseClick(find<QPushButton>(button), Qt::LeftButton);
            QStringList lots;
            for (dm().Compras2.first(); !dm().Compras2.eof(); dm().Compras2.next())
                lots << dm().Compras2.asText("LOTE");
            lots.sort();
            QCOMPARE(lots, (QStringList{"L1", "L2", "L3"}));
        }
    }

    void enterTwiceClosesOnTheChosenInvoice_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("invoice");
        QTest::newRow("invoice grid") << "EditNotaFiscal"
                                      << "300"
                                      << "300";
        QTest::newRow("item grid") << "EditLote"
                                   << "L2"
                                   << "205";
        QTest::newRow("item grid, moved") << "EditComponente"
                                          << "acido folico"
                                          << "205"; // Down to Luvas
    }
    void enterTwiceClosesOnTheChosenInvoice()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, invoice);
        search(field.toLatin1().constData(), text);
        QWidget* grid = QApplication::focusWidget();
        QVERIFY(qobject_cast<DBGrid*>(grid));
        if (QTest::currentDataTag() == QLatin1String("item grid, moved"))
            QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BotSairPesquisa"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!find("PainelPesquisaCompras")->isVisible());
        QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), invoice);
        QCOMPARE(find<DBEdit>("DBEditNotaFiscal")->text(), invoice);
        QVERIFY(!dm().Compras2.isOpen());
    }

    void secondOpeningShowsTheLastItemSearch()
    {
        search("EditLote", "L2");
        QTest::mouseClick(find<QPushButton>("BotSairPesquisa"), Qt::LeftButton);
        openSearch();
        QVERIFY(dm().Compras2.isOpen());
        QVERIFY(dm().Compras2.commandText().endsWith(QLatin1String("order by A.LOTE")));
    }

    void gridsMoveTheOtherSide()
    {
        QTest::mouseClick(find<QPushButton>("BotOrdData"), Qt::LeftButton);
        auto* dates = find<DBGrid>("GradeData");
        QCOMPARE(QApplication::focusWidget(), dates);
        QTest::keyClick(dates, Qt::Key_Down); // 17/03/2020: invoice 205
        QCOMPARE(dm().Compras2.asText("NOTAFISCAL"), QStringLiteral("205"));
        QTest::mouseClick(find<QPushButton>("BotFornec"), Qt::LeftButton);
        QTest::keyClick(find<DBGrid>("GradeForn"), Qt::Key_Down); // Alfa Ltda of 2021
        QCOMPARE(dm().Compras2.asText("NOTAFISCAL"), QStringLiteral("300"));
        QTest::mouseClick(find<QPushButton>("BotLote"), Qt::LeftButton);
        QTest::keyClick(find<DBGrid>("GradeLote"), Qt::Key_Down); // L2
        QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), QStringLiteral("205"));
    }

    void tableLeavesTheWindowOnTheRowChosen()
    {
        search("EditFornecedor", "Alfa Ltda");
        find<QAction>("abela1")->trigger();
        QVERIFY(find("TabelaNFiscais")->isVisible());
        QVERIFY(!find("PainelPesquisaCompras")->isVisible());
        auto* grid = find<DBGrid>("DBGrid2");
        QTRY_COMPARE(QApplication::focusWidget(), grid);
        QStringList suppliers;
        for (dm().NFiscal.first(); !dm().NFiscal.eof(); dm().NFiscal.next())
            suppliers << dm().NFiscal.asText("FORNECEDOR");
        QCOMPARE(suppliers, (QStringList{"Alfa Ltda", "Alfa Ltda", "Beta SA"}));
        QTest::keyClick(grid, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(grid, Qt::Key_Return);
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("BitBtn5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTRY_VERIFY(!find("TabelaNFiscais")->isVisible());
        QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), QStringLiteral("205"));
        QCOMPARE(find<DBEdit>("DBEditNotaFiscal")->text(), QStringLiteral("205"));
    }

    void sortButtonsOrderTheInvoices()
    {
        QTest::mouseClick(find<QPushButton>("BotSairPesquisa"), Qt::LeftButton);
        QTest::mouseClick(find<QToolButton>("SpeedButton3"), Qt::LeftButton);
        QVERIFY(dm().NFiscal.commandText().endsWith(QLatin1String("order by FORNECEDOR, DATA, NOTAFISCAL")));
        QCOMPARE(dm().NFiscal.asText("FORNECEDOR"), QStringLiteral("Alfa Ltda"));
        QTest::mouseClick(find<QToolButton>("SpeedButton5"), Qt::LeftButton);
        QCOMPARE(dm().NFiscal.asText("NOTAFISCAL"), QStringLiteral("100"));
        QTest::mouseClick(find<QToolButton>("SpeedButton1"), Qt::LeftButton);
        QVERIFY(dm().NFiscal.commandText().endsWith(QLatin1String("order by DATA, NOTAFISCAL, FORNECEDOR")));
    }

    // Each sort button stands after its label's text and covers none of it.
    // Every caption of the work area can be read whole: no control that stands beside it (the sort
    // buttons next to their column captions, say) covers any part of its text.
    void noControlCoversACaption()
    {
        QWidget* area = find("PainelCompras");
        QStringList covered;
        for (const QLabel* label : area->findChildren<QLabel*>()) {
            if (!label->isVisibleTo(area) || label->text().isEmpty())
                continue;
            const QRect text = QRect(label->mapTo(area, label->contentsRect().topLeft()),
                                     label->fontMetrics().size(Qt::TextSingleLine, label->text()))
                                   .intersected(QRect(label->mapTo(area, QPoint(0, 0)), label->size()));
            for (const QWidget* control : area->findChildren<QWidget*>()) {
                if (control == label || !control->isVisibleTo(area) || control->isAncestorOf(label) ||
                    label->isAncestorOf(control) || qobject_cast<const QLabel*>(control) ||
                    control->findChildren<QLabel*>().contains(label))
                    continue;
                if (!qobject_cast<const QAbstractButton*>(control) && control->focusPolicy() == Qt::NoFocus)
                    continue;
                const QRect box(control->mapTo(area, QPoint(0, 0)), control->size());
                if (box.intersects(text))
                    covered << QStringLiteral("\"%1\" (x %2 a %3) sob %4 (x %5 a %6)")
                                   .arg(label->text())
                                   .arg(text.left())
                                   .arg(text.right())
                                   .arg(control->objectName())
                                   .arg(box.left())
                                   .arg(box.right());
            }
        }
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join(QStringLiteral("; "))));
    }
};

QTEST_MAIN(TestPurchaseSearch)
#include "tst_purchasesearch.moc"
