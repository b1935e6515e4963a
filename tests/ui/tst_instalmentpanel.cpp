#include "payments/ui/InstalmentPanel.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/DBComboBox.h"

#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kCustom = QStringLiteral("Datas e valores diversos");
const QString kTooMuch = QStringLiteral("ERRO: Total das parcelas maior que o Total da Nota Fiscal. Favor corrigir.");

void type(const QString& text)
{
    for (QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

void press(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
}

} // namespace

// The payment form of a closed invoice of 200,00 chosen in the window: the instalment panel, and
// "Incluir no Contas a Pagar".
class TestInstalmentPanel : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<WorkingWindow> w;

    InstalmentPanel* panel() { return w->form->findChild<InstalmentPanel*>(QStringLiteral("PainelFormaPag")); }
    template <typename T> T* control(const char* name) { return panel()->findChild<T*>(QLatin1String(name)); }
    QPushButton* voltar() { return control<QPushButton>("BitBtn2"); }
    QLineEdit* remaining() { return control<QLineEdit>("EditValRest"); }
    DBGrid* grid() { return control<DBGrid>("DBGrid3"); }
    CachedDataset& rows() { return w->dm->PagDiver; }

    qint64 count(const QString& sql) { return std::get<qint64>(w->sql().executeRow(sql).front()); }

    // The window on an invoice of 200,00; closed unless told otherwise.
    void start(bool closed = true)
    {
        w = std::make_unique<WorkingWindow>();
        w->sql().execute(QStringLiteral("insert into FORMASPG (CODIGOFP, TIPO, DESCRICAO, DIAS, QDEPARCELAS) values "
                                        "(1, 'Dias Corridos', 'Boleto 30 dias', '30', 1)"));
        w->sql().execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, "
                                        "CODIGOFORNECEDOR, GRUPDESP, VALBRUTO, VALLIQUIDO) values ('01', 1, "
                                        "'04/20/2024', '4711', 'ACME', '0001', 'SUP', ") +
                         (closed ? QStringLiteral("200, 200)") : QStringLiteral("null, null)")));
        QVERIFY(w->startWork());
    }

    // The clerk picks "Datas e valores diversos" in the payment-form combo.
    void chooseCustomInstalments()
    {
        DBComboBox* combo = w->form->DBComboBox1;
        combo->setEnabled(true);
        combo->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(combo->hasFocus());
        combo->setCurrentIndex(combo->findText(kCustom));
        emit combo->activated(combo->currentIndex());
        QTRY_VERIFY(panel()->isVisible());
    }

    // Types a due date (ddmmyy) and an amount into the current instalment, each closed by Enter.
    void typeInstalment(const QString& date, const QString& amount)
    {
        QCOMPARE(grid()->selectedIndex(), 0);
        type(date);
        press(Qt::Key_Return);
        QCOMPARE(grid()->selectedIndex(), 1);
        type(amount);
        press(Qt::Key_Return);
    }

private slots:
    void cleanup() { w.reset(); }

    // The clerk's road: two instalments typed, "Voltar ", "Incluir no Contas a Pagar", the
    // payables exact to the cent, and no reminder when the window closes.
    void typedInstalmentsReachAccountsPayable()
    {
        start();
        chooseCustomInstalments();
        // An invoice without instalments gets one at once with the whole net value.
        QCOMPARE(rows().recordCount(), 1);
        QCOMPARE(rows().asText(QStringLiteral("VALOR")), QStringLiteral("200"));
        QVERIFY(grid()->hasFocus());
        QVERIFY(!voltar()->isEnabled());

        typeInstalment(QStringLiteral("050524"), QStringLiteral("120"));
        QCOMPARE(remaining()->text(), QStringLiteral("    80,00"));
        QVERIFY(remaining()->alignment() & Qt::AlignRight);
        QVERIFY(remaining()->isVisible());
        QVERIFY(!voltar()->isEnabled());
        QCOMPARE(rows().recordCount(), 2);
        QCOMPARE(rows().asText(QStringLiteral("VALOR")), QStringLiteral("80"));

        typeInstalment(QStringLiteral("050624"), QStringLiteral("80"));
        QVERIFY(voltar()->isEnabled());
        QTRY_VERIFY(voltar()->hasFocus());
        QVERIFY(!remaining()->isVisible());
        QVERIFY(!control<QLabel>("LabelRestante")->isVisible());
        QVERIFY(!control<QFrame>("Bevel12")->isVisible());

        press(Qt::Key_Return);
        QVERIFY(!panel()->isVisible());
        QTRY_VERIFY(w->form->BitBtn8->hasFocus());
        QTest::mouseClick(w->form->BitBtn8, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages.last(),
                 QStringLiteral("                           * * * SUCESSO * * *\r-> Nota Fiscal incluída corretamente "
                                "no Contas a Pagar."));
        auto cursor = w->sql().openCursor(QStringLiteral("select VENCIMENTO, VALOR, OBSERVACOES from CTAPAGAR where "
                                                         "DESCRICAO = 'N.Fiscal 4711 ACME' order by VENCIMENTO"));
        QStringList payables;
        while (cursor->fetch())
            payables << std::get<QDate>(cursor->value(0)).toString(QStringLiteral("dd/MM/yyyy")) + QLatin1Char(' ') +
                            std::get<Decimal>(cursor->value(1)).toString() + QLatin1Char(' ') + cursor->text(2);
        QCOMPARE(payables, (QStringList{QStringLiteral("05/05/2024 120.00 Parc. 1/2"),
                                        QStringLiteral("05/06/2024 80.00 Parc. 2/2")}));

        const int questions = w->dialogs().questions.size();
        QVERIFY(w->form->FormClose());
        QCOMPARE(w->dialogs().questions.size(), questions);
    }

    // The clerk opens the list with the keyboard and takes "Datas e valores diversos": the grid
    // keeps the focus for the date and then the amount.
    void customInstalmentsChosenFromTheListByKeyboard()
    {
        start();
        DBComboBox* combo = w->form->DBComboBox1;
        combo->setEnabled(true);
        combo->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(combo->hasFocus());
        QTest::keyClick(combo, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(combo->view()->isVisible());
        QTest::keyClick(combo->view(), Qt::Key_Return);
        QTRY_VERIFY(panel()->isVisible());
        QTRY_VERIFY(grid()->hasFocus());
        type(QStringLiteral("050524"));
        press(Qt::Key_Return);
        QVERIFY2(grid()->hasFocus(), qPrintable(QApplication::focusWidget()->objectName()));
        type(QStringLiteral("120"));
        press(Qt::Key_Return);
        QCOMPARE(remaining()->text(), QStringLiteral("    80,00"));
    }

    // The payment form taken again while the panel is up (the combo's arrow stands beside it):
    // the grid keeps the keyboard, and nothing typed reaches the invoice's date behind the panel.
    void choosingTheFormAgainKeepsTheGrid()
    {
        start();
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (1, 1, '05/05/2024', 50, '4711', 'ACME')"));
        chooseCustomInstalments();
        DBComboBox* combo = w->form->DBComboBox1;
        combo->setFocus(Qt::MouseFocusReason);
        emit combo->activated(combo->findText(kCustom));
        QTRY_VERIFY(grid()->hasFocus());
        rows().last();
        grid()->setSelectedIndex(0);
        type(QStringLiteral("150127"));
        press(Qt::Key_Return);
        QVERIFY(grid()->hasFocus());
        QCOMPARE(w->dm->NFiscal.asDate(QStringLiteral("DATA")), QDate(2024, 4, 20));
        QCOMPARE(count(QStringLiteral("select count(*) from COMPRAS where DATA = '01/15/2027'")), 0);
    }

    // An instalment the rules refuse is told once and stays in the grid, in the cell to correct:
    // no row is added, what is stored keeps the whole net value (the date's Enter stored the row
    // with it) or nothing at all, and "Voltar " stays disabled.
    void refusedInstalments_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("amount");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("column");
        QTest::addColumn<int>("stored");
        const QString zero = QStringLiteral("O valor da parcela deve ser maior que zero.");
        const QString noDate = QStringLiteral("Informe a data de vencimento da parcela.");
        QTest::newRow("above the net value") << QStringLiteral("050524") << QStringLiteral("210") << kTooMuch << 1 << 1;
        QTest::newRow("no amount") << QStringLiteral("050524") << QStringLiteral("0") << zero << 1 << 1;
        QTest::newRow("no due date") << QString() << QString() << noDate << 0 << 0;
    }
    void refusedInstalments()
    {
        QFETCH(QString, date);
        QFETCH(QString, amount);
        QFETCH(QString, message);
        QFETCH(int, column);
        QFETCH(int, stored);
        start();
        chooseCustomInstalments();
        type(date);
        press(Qt::Key_Return);
        if (!amount.isEmpty()) {
            type(amount);
            press(Qt::Key_Return);
        }
        QCOMPARE(w->dialogs().messages, QStringList{message});
        QCOMPARE(grid()->selectedIndex(), column);
        QCOMPARE(rows().recordCount(), 1);
        QVERIFY(!voltar()->isEnabled());
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where VALOR = 200")), stored);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), stored);
    }

    // A due date before the issue date (20/04/2024) is kept only when the clerk confirms it.
    void dueDateBeforeTheIssueDateAsks_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes: on to the amount") << true;
        QTest::newRow("No: the date is corrected") << false;
    }
    void dueDateBeforeTheIssueDateAsks()
    {
        QFETCH(bool, yes);
        start();
        chooseCustomInstalments();
        w->dialogs().answers = {yes};
        type(QStringLiteral("100424"));
        press(Qt::Key_Return);
        QCOMPARE(w->dialogs().questions,
                 QStringList{QStringLiteral("O vencimento 10/04/2024 é anterior à data de emissão da Nota Fiscal "
                                            "(20/04/2024).\rConfirma este vencimento?")});
        QCOMPARE(grid()->selectedIndex(), yes ? 1 : 0);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), yes ? 1 : 0);
    }

    // Deleting an instalment in the middle: the balance follows, and the next one goes after the
    // highest ORDEM; leaving with "Voltar " drops the row that never got a date.
    void deletionsAndOrder()
    {
        start();
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (1, 1, '05/05/2024', 50, '4711', 'ACME')"));
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (2, 2, '06/05/2024', 50, '4711', 'ACME')"));
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (3, 3, '07/05/2024', 50, '4711', 'ACME')"));
        // Another workstation is typing an instalment of another invoice.
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (4, 1, 10, '9999', 'OUTRA')"));
        chooseCustomInstalments();
        QCOMPARE(remaining()->text(), QStringLiteral("    50,00"));
        rows().moveTo(1);
        w->dialogs().answers = {true};
        QTest::keyClick(grid(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where NFISCAL = '4711'")), 2);
        QCOMPARE(remaining()->text(), QStringLiteral("   100,00"));
        QTest::keyClick(grid(), Qt::Key_Insert);
        QCOMPARE(rows().asInteger(QStringLiteral("ORDEM")), 4);
        QCOMPARE(rows().asText(QStringLiteral("VALOR")), QStringLiteral("100"));
        typeInstalment(QStringLiteral("050824"), QStringLiteral("100"));
        QTRY_VERIFY(voltar()->hasFocus());
        // The appended row without date is gone with "Voltar ", the other invoice's stays.
        QTest::mouseClick(voltar(), Qt::LeftButton);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where DATA is null")), 1);
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER where NFISCAL = '4711'")), 3);
    }

    void cancelling_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("Yes: the instalments go, the first regular form is chosen") << true;
        QTest::newRow("No: the instalments stay") << false;
    }
    void cancelling()
    {
        QFETCH(bool, yes);
        start();
        w->sql().execute(QStringLiteral("insert into PAGDIVER (CODPAGDIVER, ORDEM, DATA, VALOR, NFISCAL, FORNECEDOR) "
                                        "values (1, 1, '05/05/2024', 50, '4711', 'ACME')"));
        chooseCustomInstalments();
        w->dialogs().answers = {yes};
        QTest::mouseClick(control<QPushButton>("BitBtn3"), Qt::LeftButton);
        QVERIFY(!panel()->isVisible());
        QCOMPARE(w->dialogs().questions.last(), QStringLiteral("Deseja alterar esta forma de pagamento?"));
        QCOMPARE(count(QStringLiteral("select count(*) from PAGDIVER")), yes ? 0 : 1);
        const Values form = w->sql().executeRow(QStringLiteral("select FORMAPAGTO from NFISCAL"));
        if (yes)
            QCOMPARE(std::get<QString>(form.front()), QStringLiteral("Boleto 30 dias"));
        QCOMPARE(w->form->DBComboBox1->currentText(), yes ? QStringLiteral("Boleto 30 dias") : kCustom);
    }

    void refusals_data()
    {
        QTest::addColumn<bool>("closed");
        QTest::addColumn<QString>("message");
        QTest::newRow("not closed") << false << "A Nota Fiscal não foi fechada ainda.";
        QTest::newRow("no payment form") << true << "Primeiro, especifique a forma de pagamento.";
    }
    void refusals()
    {
        QFETCH(bool, closed);
        QFETCH(QString, message);
        start(closed);
        QTest::mouseClick(w->form->BitBtn8, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages, QStringList{message});
        QCOMPARE(count(QStringLiteral("select count(*) from CTAPAGAR")), 0);
        if (closed) {
            QVERIFY(w->form->DBComboBox1->isEnabled());
            QTRY_VERIFY(w->form->DBComboBox1->hasFocus());
        }
    }
};

QTEST_MAIN(TestInstalmentPanel)
#include "tst_instalmentpanel.moc"
