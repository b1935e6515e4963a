#include "closing/StockEntryLog.h"
#include "platform/ProductFolder.h"
#include "tests/ui/ItemWindow.h"
#include "widgets/DBComboBox.h"
#include "widgets/FocusColours.h"

#include <QFile>
#include <QPushButton>

namespace {

const QString kSuccess =
    QStringLiteral("                           * * * SUCESSO * * *\r-> A Nota Fiscal foi fechada corretamente");

QWidget* focused()
{
    return QApplication::focusWidget();
}

QString focusedName()
{
    return focused() ? focused()->objectName() : QString();
}

} // namespace

class TestClosingWindow : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<ItemWindow> w;
    TFormCompras& form() { return *w->form; }
    TDM& dm() { return *w->dm; }
    template <typename T = QWidget> T* control(const char* name)
    {
        T* found = form().findChild<T*>(QLatin1String(name));
        if (!found)
            qFatal("no control %s", name);
        return found;
    }
    QString stored(const char* column)
    {
        const Values row =
            w->sql().executeRow(QStringLiteral("select %1 from NFISCAL where CODIGO = 1").arg(QLatin1String(column)));
        const auto* d = std::get_if<Decimal>(&row.front());
        return d ? d->toString() : QString();
    }
    void setItemsTotal(int saldo)
    {
        w->sql().execute(QStringLiteral("update COMPRAS set SALDO = %1 where CODCOMPRA = 1").arg(saldo));
    }
    void typeInto(QLineEdit* field, const QString& text)
    {
        field->setFocus(Qt::MouseFocusReason);
        QTRY_VERIFY(field->hasFocus());
        field->selectAll();
        QTest::keyClicks(field, text);
    }
    // Three supplies on the invoice, as the clerk typed them.
    void threeItems()
    {
        w->product(QStringLiteral("P1"), QStringLiteral("Frasco âmbar 100 ml"));
        w->product(QStringLiteral("P2"), QStringLiteral("Talco farmacêutico"), QStringLiteral("g"));
        w->product(QStringLiteral("P3"), QStringLiteral("Tampa rosca 28 mm"));
        w->item(1, QStringLiteral("Frasco âmbar 100 ml"), QStringLiteral("P1"), 100, QStringLiteral("un"), 0.5);
        w->item(2, QStringLiteral("Talco farmacêutico"), QStringLiteral("P2"), 2, QStringLiteral("kg"), 20);
        w->item(3, QStringLiteral("Tampa rosca 28 mm"), QStringLiteral("P3"), 200, QStringLiteral("un"), 0.1);
        w->sql().execute(QStringLiteral("update COMPRAS set SALDO = QUANTIDADE * PRECOUNITR, LOTE = 'L' || CODCOMPRA"));
    }
    bool openTaxPanel()
    {
        control<QPushButton>("BitBtn4")->click();
        return form().PainelOutrasDespesas->isVisible();
    }
    QStringList logLines()
    {
        QFile f(productfolder::stockEntryLog());
        return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()).split(QStringLiteral("\r\n"))
                                           : QStringList();
    }
    qint64 count(const char* select) { return std::get<qint64>(w->sql().executeRow(QLatin1String(select)).front()); }

    // An invoice whose items total 150.00, in edit with its fields unlocked, as after a recomputation.
    bool startEditingInvoiceOf150()
    {
        w->product(QStringLiteral("P1"), QStringLiteral("Frasco âmbar 100 ml"));
        w->item(1, QStringLiteral("Frasco âmbar 100 ml"), QStringLiteral("P1"), 1, QStringLiteral("un"), 1);
        setItemsTotal(150);
        if (!w->start())
            return false;
        dm().NFiscal.edit();
        return true;
    }

private slots:
    void init() { w = std::make_unique<ItemWindow>(); }
    void cleanup() { w.reset(); }

    void taxPanelOpensOverTheLockedInvoice()
    {
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        auto* panel = form().PainelOutrasDespesas;
        QCOMPARE(panel->geometry(), QRect(4, 2, 786, 510));
        QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit10"));
        QVERIFY(ShowsFocusColour(focused()));
        QVERIFY(!form().findChild<DBEdit*>("DBEdit6")->isEnabled());
        QVERIFY(!form().BotFecharNF->isEnabled());
        QVERIFY(!form().BotPesquisaCompras->isEnabled());

        // Enter walks the panel in its tab order, up to "Voltar".
        const QStringList order = {"DBEdit10", "DBEdit21", "DBEdit22", "DBEdit12", "DBEdit20", "DBEdit16",
                                   "DBEdit19", "DBEdit15", "DBEdit23", "DBEdit18", "DBEdit7",  "DBEdit8",
                                   "DBEdit13", "DBEdit11", "DBEdit17", "DBEdit9",  "DBEdit14", "DBEdit24"};
        QStringList walked;
        for (int i = 0; i < order.size(); ++i) {
            walked << focusedName();
            QTest::keyClick(focused(), Qt::Key_Return);
        }
        QCOMPARE(walked, order);
        QCOMPARE(focusedName(), QStringLiteral("BitBtn6"));

        // "Voltar" gives the invoice back, with "Fechar Nota Fiscal" ready.
        QTest::keyClick(focused(), Qt::Key_Return);
        QVERIFY(!panel->isVisible());
        QVERIFY(form().findChild<DBEdit*>("DBEdit6")->isEnabled());
        QVERIFY(form().BotPesquisaCompras->isEnabled());
        QVERIFY(form().BotFecharNF->isEnabled());
        QTRY_COMPARE(focused(), form().BotFecharNF);
        QCOMPARE(dm().NFiscal.state(), CachedDataset::State::Edit);
    }

    // Leaving a field of the totals recomputes them and moves on, however the field is left;
    // leaving a rate or a field outside the totals recomputes nothing.
    void leavingAFieldRecomputesAndMovesOn()
    {
        w->product(QStringLiteral("P1"), QStringLiteral("Frasco âmbar 100 ml"));
        w->item(1, QStringLiteral("Frasco âmbar 100 ml"), QStringLiteral("P1"), 1, QStringLiteral("un"), 1);
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());

        struct Case {
            const char* field;
            bool byMouse;
            const char* next; // empty: the field does not count in the totals
        };
        const Case cases[] = {
            {"DBEdit12", false, "DBEdit20"}, {"DBEdit20", true, "DBEdit16"},  {"DBEdit16", false, "DBEdit19"},
            {"DBEdit19", true, "DBEdit15"},  {"DBEdit23", false, "DBEdit18"}, {"DBEdit14", true, "DBEdit24"},
            {"DBEdit24", false, "BitBtn6"},  {"DBEdit15", true, ""},          {"DBEdit7", true, ""},
            {"DBEdit13", false, ""},         {"DBEdit18", false, ""},         {"DBEdit10", true, ""},
        };
        int saldo = 100;
        QString gross = stored("VALBRUTO");
        for (const Case& c : cases) {
            setItemsTotal(++saldo);
            auto* field = control<QLineEdit>(c.field);
            field->setFocus(Qt::OtherFocusReason);
            QTRY_VERIFY(field->hasFocus());
            if (c.byMouse)
                QTest::mouseClick(control("DBEdit8"), Qt::LeftButton);
            else
                QTest::keyClick(field, Qt::Key_Return);
            const bool counts = *c.next;
            if (counts)
                gross = QString::number(saldo) + QStringLiteral(".00");
            QVERIFY2(stored("VALBRUTO") == gross, c.field);
            if (counts)
                QVERIFY2(focusedName() == QLatin1String(c.next), qPrintable(focusedName() + " after " + c.field));
            QVERIFY(!ShowsFocusColour(field));
        }
    }

    void discountOfTheWorkAreaRecomputesAndGoesToThePaymentForm()
    {
        QVERIFY(startEditingInvoiceOf150());

        typeInto(form().DBEdit2, QStringLiteral("20,00"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().DBComboBox1));
        QCOMPARE(stored("VALBRUTO"), QStringLiteral("150.00"));
        QCOMPARE(stored("VALLIQUIDO"), QStringLiteral("130.00"));

        // Leaving the payment form locks the invoice fields again, as the clerk's next step.
        QTest::keyClick(focused(), Qt::Key_Tab);
        QTRY_VERIFY(!form().DBEdit2->isEnabled());
    }

    // Left by mouse, the discount hands the focus to the payment form all the same.
    void discountLeftByMouseGoesToThePaymentForm()
    {
        QVERIFY(startEditingInvoiceOf150());

        typeInto(form().DBEdit2, QStringLiteral("30,00"));
        QTest::mouseClick(form().findChild<DBEdit*>("DBEditNotaFiscal"), Qt::LeftButton);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().DBComboBox1));
        QCOMPARE(stored("VALLIQUIDO"), QStringLiteral("120.00"));
    }

    void discountWithoutThePaymentFormGoesToTheIssueDate()
    {
        QVERIFY(startEditingInvoiceOf150());

        // Without the payment form the issue date takes it.
        form().DBComboBox1->hide();
        typeInto(form().DBEdit2, QStringLiteral("10,00"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(focused(), form().findChild<DBEdit*>("DBEditData"));
        QCOMPARE(stored("VALLIQUIDO"), QStringLiteral("140.00"));

        // Gross and net value cannot be typed into: they hand the focus to the discount.
        for (QLineEdit* total : {static_cast<QLineEdit*>(form().DBEdit1), static_cast<QLineEdit*>(form().DBEdit3)}) {
            form().findChild<DBEdit*>("DBEditData")->setFocus();
            QTest::mouseClick(total, Qt::LeftButton);
            QTRY_COMPARE(focused(), static_cast<QWidget*>(form().DBEdit2));
        }
        QVERIFY(w->dialogs().messages.isEmpty());
    }

    void receiptDateIsRequired()
    {
        QVERIFY(w->start());
        dm().NFiscal.edit();
        form().findChild<DBEdit*>("DBEdit6")->setFocus(Qt::OtherFocusReason);
        QTRY_VERIFY(form().findChild<DBEdit*>("DBEdit6")->hasFocus());
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(w->dialogs().messages, QStringList{"Campo de preenchimento obrigatório: Favor corrigir"});
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().findChild<DBEdit*>("DBEdit6")));

        QTest::keyClicks(focused(), QStringLiteral("050326"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().findChild<DBEdit*>("DBEditNotaFiscal")));
        QCOMPARE(w->dialogs().messages.size(), 1);
        QCOMPARE(dm().NFiscal.asText(QStringLiteral("DATARECEBIM")), QStringLiteral("05/03/2026"));
    }

    // The clerk's way: taxes and discount, "Voltar", "Fechar Nota Fiscal"; closing again changes nothing.
    void clerkClosesTheInvoiceIntoStock()
    {
        threeItems();
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        typeInto(control<QLineEdit>("DBEdit12"), QStringLiteral("12,50"));
        // Each field of the totals, however left, hands on to the next: Enter walks to the discount.
        for (int i = 0; i < 20 && focusedName() != QLatin1String("DBEdit24"); ++i)
            QTest::keyClick(focused(), Qt::Key_Return);
        QTest::keyClicks(focused(), QStringLiteral("2,50"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(focusedName(), QStringLiteral("BitBtn6"));
        QCOMPARE(control<QLineEdit>("DBEdit26")->text(), QStringLiteral("122,50")); // 50 + 40 + 20 + 12,50
        QTest::keyClick(focused(), Qt::Key_Return);
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().BotFecharNF));

        QTest::keyClick(focused(), Qt::Key_Return);
        QCOMPARE(w->dialogs().messages, QStringList{kSuccess});
        QVERIFY(form().DBComboBox1->isEnabled());
        QCOMPARE(focused(), static_cast<QWidget*>(form().DBEdit2));
        QCOMPARE(stored("VALBRUTO"), QStringLiteral("122.50"));
        QCOMPARE(stored("VALLIQUIDO"), QStringLiteral("120.00"));
        QCOMPARE(count("select count(*) from MOVEST"), 3);
        QCOMPARE(count("select count(*) from ESTLOTE"), 3);
        QCOMPARE(count("select count(*) from ESTLOTE where LOTE = 'L2' and SALDOCORRENTE = 2000"), 1);
        const QStringList log = logLines();
        QCOMPARE(log.count(QStringLiteral("FOI FEITA A SEGUINTE ENTRADA NO ESTOQUE:")), 3);

        // Again: the tax panel, "Voltar", "Fechar Nota Fiscal".
        QVERIFY(openTaxPanel());
        QTest::mouseClick(control<QPushButton>("BitBtn6"), Qt::LeftButton);
        QTest::mouseClick(form().BotFecharNF, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages, (QStringList{kSuccess, kSuccess}));
        QCOMPARE(count("select count(*) from MOVEST"), 3);
        QCOMPARE(count("select count(*) from ESTLOTE where LOTE = 'L2' and SALDOCORRENTE = 2000"), 1);
        QCOMPARE(logLines(), log);
    }

    // An item that cannot go into stock is named with its reason; the others go in.
    void aClosingThatLeavesAnItemOutSaysWhich()
    {
        threeItems();
        w->sql().execute(QStringLiteral("update COMPRAS set LOTE = null where CODCOMPRA = 2"));
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        QTest::mouseClick(control<QPushButton>("BitBtn6"), Qt::LeftButton);
        QTest::mouseClick(form().BotFecharNF, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages,
                 QStringList{QStringLiteral("ATENÇÃO: um item da Nota Fiscal não entrou no estoque:\r"
                                            "- item 0002 (Talco farmacêutico): sem lote\r"
                                            "Os demais itens foram lançados no estoque.\r"
                                            "Corrija esses itens e clique novamente em \"Fechar Nota Fiscal\".")});
        QCOMPARE(count("select count(*) from MOVEST"), 2);
    }

    // Esc in a field of the tax panel is "Voltar": the clerk lands on "Fechar Nota Fiscal", and the
    // invoice's date is neither selected nor changed by what is typed next.
    void escapeInTheTaxPanelReturnsToClosing()
    {
        threeItems();
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        typeInto(control<QLineEdit>("DBEdit12"), QStringLiteral("12,50"));
        QTest::keyClick(focused(), Qt::Key_Return);
        QTest::keyClick(focused(), Qt::Key_Escape);
        QTRY_VERIFY(!control<QWidget>("PainelOutrasDespesas")->isVisible());
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().BotFecharNF));
        QVERIFY(form().BotFecharNF->isEnabled());
    }

    // A discount the field cannot take is told once. Esc drops it (the field shows the stored
    // discount again) and returns to "Fechar Nota Fiscal", which then closes the invoice.
    void escapeDropsARefusedDiscount()
    {
        threeItems();
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        auto* discount = control<QLineEdit>("DBEdit24");
        const QString storedDiscount = discount->text();
        typeInto(discount, QStringLiteral("1a0"));
        QTest::keyClick(discount, Qt::Key_Return);
        const QStringList refused{QStringLiteral("'1a0' não é um valor numérico válido.")};
        QTRY_COMPARE(w->dialogs().messages, refused);
        QCOMPARE(focused(), static_cast<QWidget*>(discount));

        QTest::keyClick(discount, Qt::Key_Escape);
        QTRY_VERIFY(!form().PainelOutrasDespesas->isVisible());
        QTRY_COMPARE(focused(), static_cast<QWidget*>(form().BotFecharNF));
        QCoreApplication::processEvents();
        QCOMPARE(w->dialogs().messages, refused);

        QTest::mouseClick(form().BotFecharNF, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages, refused + QStringList{kSuccess});
        QCOMPARE(count("select count(*) from MOVEST"), 3);
        QVERIFY(openTaxPanel());
        QCOMPARE(discount->text(), storedDiscount);
    }

    // "Impostos, Desp. e Descontos" answers Alt+D from the invoice.
    void altDOpensTheTaxPanel()
    {
        QVERIFY(startEditingInvoiceOf150());
        typeInto(form().DBEdit2, QString());
        QTest::keyClick(form().DBEdit2, Qt::Key_D, Qt::AltModifier);
        QTRY_VERIFY(form().PainelOutrasDespesas->isVisible());
    }

    // While the tax panel is up, the keyboard stays in it: the discount field of the invoice, left
    // by the click that opens the panel, hands the focus on to no field behind the panel.
    void keysStayInTheTaxPanel()
    {
        QVERIFY(startEditingInvoiceOf150());
        typeInto(form().DBEdit2, QStringLiteral("5"));
        QTest::mouseClick(control<QPushButton>("BitBtn4"), Qt::LeftButton);
        QTRY_VERIFY(form().PainelOutrasDespesas->isVisible());
        QTRY_COMPARE(focusedName(), QStringLiteral("DBEdit10"));
        const QDate issued = dm().NFiscal.asDate(QStringLiteral("DATA"));
        QTest::keyClicks(focused(), QStringLiteral("zz"));
        QCOMPARE(focusedName(), QStringLiteral("DBEdit10"));
        QCOMPARE(dm().NFiscal.asDate(QStringLiteral("DATA")), issued);
    }

    void aFailedClosingShowsTheErrorAndNoSuccess()
    {
        threeItems();
        w->sql().execute(QStringLiteral("alter table ESTLOTE add constraint CK_ESTLOTE_TESTE check (LOTE <> 'L3')"));
        QVERIFY(w->startWork());
        QVERIFY(openTaxPanel());
        QTest::mouseClick(control<QPushButton>("BitBtn6"), Qt::LeftButton);
        QTest::mouseClick(form().BotFecharNF, Qt::LeftButton);
        QCOMPARE(w->dialogs().messages.size(), 1);
        QVERIFY2(w->dialogs().messages.front().startsWith(QStringLiteral(
                     "Não foi possível dar entrada no estoque do item 0003 (Tampa rosca 28 mm, lote L3)")),
                 qPrintable(w->dialogs().messages.front()));
        QCOMPARE(count("select count(*) from MOVEST"), 0);
        QCOMPARE(count("select count(*) from ESTLOTE"), 0);
        // The log was made ready before anything was written, and holds no entry.
        QCOMPARE(logLines(), (QStringList{StockEntryLog::kHeaderLine, QString()}));
    }
};

QTEST_MAIN(TestClosingWindow)
#include "tst_closingwindow.moc"
