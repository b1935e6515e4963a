#include "platform/ProductFolder.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"
#include "reports/ReportProject.h"
#include "tests/ui/WorkingWindow.h"
#include "widgets/DBEdit.h"
#include "widgets/DBGrid.h"

#include <QAction>
#include <QPushButton>
#include <QtTest>

// The report entries of the menu as the clerk uses them: the labels of the invoice on screen, and
// the expiry listing over the period proposed from the last use.
class TestReportWindow : public QObject {
    Q_OBJECT

private:
    struct ReportWindow : WorkingWindow {
        ReportWindow()
        {
            sql().execute(QStringLiteral(
                "insert into NFISCAL (ESTACAO, CODIGO, DATA, NOTAFISCAL, FORNECEDOR, CODIGOFORNECEDOR, GRUPDESP) "
                "values ('01', 1, '2026-03-04', '123', 'Química Acme', '0001', 'SUP')"));
            sql().execute(QStringLiteral(
                "insert into COMPONEN (CODIGO, COMPONENTE, GRUPO, DCB) values ('P1', 'ALCOOL', 'SUP', '00123')"));
            for (int key : {1, 2})
                sql().execute(QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, "
                                             "COMPONENTE, LOTE, VALIDADE, CODIGO, CODIGOFORNECEDOR) values ('01', %1, "
                                             "'2026-03-04', '123', 'Química Acme', 'ALCOOL', 'LOTE%1', '2027-0%1-10', "
                                             "'P1', '0001')")
                                  .arg(key));
            FbConnection workstation(db.workstationParams());
            workstation.execute(
                QStringLiteral("insert into PERIODO (DATAINICIAL, DATAFINAL) values ('2027-01-01', '2027-01-31')"));
            reports::writeDefaultProject(productfolder::reportProject());
        }

        template <typename T> T* find(const char* name) { return form->findChild<T*>(QString::fromLatin1(name)); }

        reports::ScopedReportRecorder output;
    };

private slots:
    void theExpiryListingRunsOverTheProposedPeriod()
    {
        ReportWindow w;
        QVERIFY(w.startWork());
        w.form->Vencimentos1->trigger();
        auto* period = w.find<QFrame>("PainelPeriodo4");
        QVERIFY(period->isVisible());
        QCOMPARE(period->geometry(), QRect(254, 144, 257, 129));
        auto* start = w.find<DBEdit>("DBEdit85");
        QTRY_COMPARE(QApplication::focusWidget(), start);
        QCOMPARE(start->text(), QStringLiteral("01/01/27"));
        QVERIFY(!w.form->BotVencimentos->isEnabled());

        // Enter walks from the first date to the last; the last date is typed anew.
        QTest::keyClick(start, Qt::Key_Return);
        auto* end = w.find<DBEdit>("DBEdit86");
        QTRY_COMPARE(QApplication::focusWidget(), end);
        end->selectAll();
        QTest::keyClicks(end, "28/02/27");
        QTest::keyClick(end, Qt::Key_Return);
        w.find<QPushButton>("BotRelVenc")->click();

        QVERIFY(!period->isVisible());
        auto* listing = w.find<QFrame>("PainelVencimentos");
        QVERIFY(listing->isVisible());
        auto* grid = w.find<DBGrid>("DBGrid4");
        QVERIFY(grid->isVisible() && listing->rect().contains(grid->geometry()));
        QCOMPARE(grid->model()->rowCount(), 2);
        QCOMPARE(w.output.recorder().titles,
                 QStringList{QStringLiteral("Produtos com vencimento de 01/01/2027 a 28/02/2027")});
        QVERIFY(w.dialogs().messages.isEmpty());

        w.find<QPushButton>("BitBtn7")->click();
        QVERIFY(!listing->isVisible());
        QVERIFY(w.form->BotVencimentos->isEnabled());

        // The next time, the period just used is proposed.
        w.form->Vencimentos1->trigger();
        QCOMPARE(w.find<DBEdit>("DBEdit86")->text(), QStringLiteral("28/02/27"));
    }

    // Each date field takes the focus with its date selected: what the clerk types replaces it.
    void typedDatesReplaceTheProposedPeriod()
    {
        ReportWindow w;
        QVERIFY(w.startWork());
        w.form->Vencimentos1->trigger();
        auto* start = w.find<DBEdit>("DBEdit85");
        QTRY_COMPARE(QApplication::focusWidget(), start);
        QTRY_VERIFY(start->hasSelectedText());
        QTest::keyClicks(start, "010226");
        QTest::keyClick(start, Qt::Key_Return);
        auto* end = w.find<DBEdit>("DBEdit86");
        QTRY_COMPARE(QApplication::focusWidget(), end);
        QTRY_VERIFY(end->hasSelectedText());
        QTest::keyClicks(end, "300627");
        QTest::keyClick(end, Qt::Key_Return);
        w.find<QPushButton>("BotRelVenc")->click();
        QCOMPARE(w.output.recorder().titles,
                 QStringList{QStringLiteral("Produtos com vencimento de 01/02/2026 a 30/06/2027")});
    }

    void escapeCancelsTheChangeOfThePeriod()
    {
        ReportWindow w;
        QVERIFY(w.startWork());
        w.form->Vencimentos1->trigger();
        auto* start = w.find<DBEdit>("DBEdit85");
        QTRY_COMPARE(QApplication::focusWidget(), start);
        start->selectAll();
        QTest::keyClicks(start, "05/05/25");
        QTest::keyClick(start, Qt::Key_Escape);
        QTRY_VERIFY(!w.find<QFrame>("PainelPeriodo4")->isVisible());
        QVERIFY(w.form->BotVencimentos->isEnabled());
        QVERIFY(w.output.recorder().titles.isEmpty());
        FbConnection workstation(w.db.workstationParams());
        QCOMPARE(std::get<QDate>(workstation.executeRow(QStringLiteral("select DATAINICIAL from PERIODO")).front()),
                 QDate(2027, 1, 1));
    }

    void labelsOfTheInvoiceOnScreen()
    {
        ReportWindow w;
        QVERIFY(w.startWork());
        w.form->Etiquetas1->trigger();
        QCOMPARE(w.output.recorder().titles, QStringList{QStringLiteral("Etiquetas")});
        QCOMPARE(w.dm->qryRotulos.recordCount(), 2);
    }

    void aMissingProjectFileIsReportedByName()
    {
        ReportWindow w;
        QVERIFY(w.startWork());
        QFile::remove(productfolder::reportProject());
        w.form->Etiquetas1->trigger();
        QVERIFY(w.output.recorder().titles.isEmpty());
        QCOMPARE(w.dialogs().messages.size(), 1);
        QVERIFY2(w.dialogs().messages.front().contains(productfolder::reportProject()),
                 qPrintable(w.dialogs().messages.front()));
    }
};

QTEST_MAIN(TestReportWindow)
#include "tst_reportwindow.moc"
