#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "tests/support/LosingProxy.h"
#include "tests/support/PurchaseRows.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestServer.h"

#include <QtTest>

#include <memory>

namespace {

// What the clerk reads when the answer to a commit was lost.
const QString kOutcomeUnknown = QStringLiteral("Não se sabe se a última gravação chegou ao servidor");

enum class Change { NewHeader, NewItem, EditedHeader, DeletedHeader };

} // namespace

Q_DECLARE_METATYPE(Change)

// A write whose commit reached the server while its answer never came back (the network failed at
// that moment): the workstation reports it, keeps the row pending, and its next write finds the row
// stored and stores nothing twice. The relay in front of the server loses the commit's answer every
// time, at the same point.
class TestLostCommit : public QObject {
    Q_OBJECT

private:
    ConnectionConfig direct_;
    // A relay of each case's own: its check connection holds the database open until it goes.
    std::unique_ptr<LosingProxy> proxy_;
    ConnectionConfig relayed_;

    qint64 number(const QString& sql)
    {
        FbConnection c(direct_.shared);
        return std::get<qint64>(c.executeRow(sql).front());
    }

private slots:
    void initTestCase()
    {
        try {
            direct_ = ComposeConnections(testserver::serverAddress(), QString(), QString(), QString());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }

    // Every case begins with new databases holding one invoice (CODIGO 1, number 123, supplier 0001).
    void init()
    {
        QVERIFY(testserver::removeDatabases());
        schema::createSharedDatabase(direct_.shared, false);
        schema::createWorkstationDatabase(direct_.workstation, false);
        FbConnection sql(direct_.shared);
        testrows::insertInvoice(sql, {});
        proxy_ = std::make_unique<LosingProxy>(testserver::serverAddress(), direct_.shared);
        relayed_ = direct_;
        relayed_.shared.database = proxy_->relayed(direct_.shared.database);
    }

    void cleanup() { proxy_.reset(); }

    void lostAnswerIsReportedAndNotWrittenTwice_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("stored"); // one row once the change is in the database
        QTest::addColumn<qint64>("rowsAfter");
        // Run once the answer is lost, it stands for a commit that never reached the server.
        QTest::addColumn<QString>("neverArrived");
        QTest::newRow("new invoice header")
            << Change::NewHeader << "NFISCAL"
            << "select count(*) from NFISCAL where NOTAFISCAL = '777'" << qint64(2) << QString();
        QTest::newRow("new item") << Change::NewItem << "COMPRAS"
                                  << "select count(*) from COMPRAS where COMPONENTE = 'ACIDO BORICO'" << qint64(1)
                                  << QString();
        // The number is a key column: sent again, the update would find no row under the old one.
        QTest::newRow("invoice number changed")
            << Change::EditedHeader << "NFISCAL"
            << "select count(*) from NFISCAL where NOTAFISCAL = '124'" << qint64(1) << QString();
        QTest::newRow("invoice deleted") << Change::DeletedHeader << "NFISCAL"
                                         << "select count(*) from RDB$DATABASE where not exists (select 1 from "
                                            "NFISCAL where CODIGO = 1)"
                                         << qint64(0) << QString();
        QTest::newRow("new invoice header, commit never arrived")
            << Change::NewHeader << "NFISCAL"
            << "select count(*) from NFISCAL where NOTAFISCAL = '777'" << qint64(2)
            << "delete from NFISCAL where NOTAFISCAL = '777'";
        QTest::newRow("invoice number changed, commit never arrived")
            << Change::EditedHeader << "NFISCAL"
            << "select count(*) from NFISCAL where NOTAFISCAL = '124'" << qint64(1)
            << "update NFISCAL set NOTAFISCAL = '123' where CODIGO = 1";
    }

    void lostAnswerIsReportedAndNotWrittenTwice()
    {
        QFETCH(Change, change);
        QFETCH(QString, table);
        QFETCH(QString, stored);
        QFETCH(qint64, rowsAfter);
        QFETCH(QString, neverArrived);

        SessionState session;
        session.WorkstationCode = QStringLiteral("01");
        const auto module = testdm::open(relayed_.shared, relayed_.workstation, session);
        TDM& dm = *module;
        const testdm::Messages messages(dm);
        dm.NFiscal.open();
        CachedDataset& nf = dm.NFiscal;
        CachedDataset& ds = change == Change::NewItem ? dm.Compras : dm.NFiscal;

        // What the clerk reads of the failure: an error out of the header's post, or the message
        // of the item rule.
        QString clerkReads;
        try {
            switch (change) {
            case Change::NewHeader:
                nf.append();
                nf.setText(QStringLiteral("DATA"), QStringLiteral("10/12/2026"));
                nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("777"));
                nf.setText(QStringLiteral("FORNECEDOR"), QStringLiteral("DROGAFARMA"));
                nf.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("0002"));
                proxy_->loseAnswerOnceStored(stored);
                nf.post();
                break;
            case Change::NewItem:
                dm.Compras.append();
                dm.Compras.setText(QStringLiteral("COMPONENTE"), QStringLiteral("ACIDO BORICO"));
                proxy_->loseAnswerOnceStored(stored);
                dm.Compras.post();
                break;
            case Change::EditedHeader:
                nf.edit();
                nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("124"));
                proxy_->loseAnswerOnceStored(stored);
                nf.post();
                break;
            case Change::DeletedHeader:
                proxy_->loseAnswerOnceStored(stored);
                nf.remove();
                break;
            }
        } catch (const DbError& e) {
            clerkReads = DbErrorText(QStringLiteral("Não foi possível concluir a operação no banco de dados."), e);
        }
        if (clerkReads.isEmpty() && !messages.texts.isEmpty())
            clerkReads = messages.texts.join(QLatin1Char('\n'));

        QVERIFY2(proxy_->answerLost(), qPrintable(proxy_->checkError()));
        QVERIFY2(clerkReads.contains(kOutcomeUnknown), qPrintable(clerkReads));
        QCOMPARE(ds.pendingChanges(), 1);
        QCOMPARE(number(stored), qint64(1)); // the server did store it
        if (!neverArrived.isEmpty()) {
            FbConnection(direct_.shared).execute(neverArrived);
            QCOMPARE(number(stored), qint64(0));
        }

        // The clerk's next action writes what is pending: found stored, it is not written again;
        // not found, it is written now.
        try {
            DatasetRules::Write(ds);
        } catch (const DbError& e) {
            QFAIL(qPrintable(DbErrorText(QString(), e)));
        }
        QCOMPARE(ds.pendingChanges(), 0);
        QCOMPARE(number(stored), qint64(1));
        QCOMPARE(number(QStringLiteral("select count(*) from ") + table), rowsAfter);

        // Reading goes on over the new attachment.
        QCOMPARE(dm.SQLQuery1.single(QStringLiteral("select count(*) as N from ") + table, QStringLiteral("N")),
                 Value{rowsAfter});
        nf.refresh();
        QCOMPARE(nf.recordCount(), int(number(QStringLiteral("select count(*) from NFISCAL"))));
    }

    // The clerk goes on with the invoice after the failure: the next write finds what the lost
    // commit stored and writes only what changed since.
    void changedAgainAfterTheLostAnswer_data()
    {
        QTest::addColumn<bool>("newInvoice");  // else the stored invoice's number is changed
        QTest::addColumn<bool>("thenDeleted"); // else its observation is typed
        QTest::addColumn<QString>("expected"); // NUMBER/OBSERVATION of each invoice left
        QTest::newRow("new invoice, then observation") << true << false << "123/;777/CONFERIDA";
        QTest::newRow("changed number, then observation") << false << false << "124/CONFERIDA";
        QTest::newRow("changed number, then deleted") << false << true << "";
        QTest::newRow("new invoice, then deleted") << true << true << "123/";
    }

    void changedAgainAfterTheLostAnswer()
    {
        QFETCH(bool, newInvoice);
        QFETCH(bool, thenDeleted);
        QFETCH(QString, expected);

        SessionState session;
        session.WorkstationCode = QStringLiteral("01");
        const auto module = testdm::open(relayed_.shared, relayed_.workstation, session);
        TDM& dm = *module;
        CachedDataset& nf = dm.NFiscal;
        nf.open();
        if (newInvoice) {
            nf.append();
            nf.setText(QStringLiteral("DATA"), QStringLiteral("10/12/2026"));
            nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("777"));
            nf.setText(QStringLiteral("FORNECEDOR"), QStringLiteral("DROGAFARMA"));
            nf.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("0002"));
            proxy_->loseAnswerOnceStored(QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL = '777'"));
        } else {
            nf.edit();
            nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("124"));
            proxy_->loseAnswerOnceStored(QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL = '124'"));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, nf.post());
        QVERIFY2(proxy_->answerLost(), qPrintable(proxy_->checkError()));
        QCOMPARE(nf.pendingChanges(), 1);

        try {
            if (thenDeleted) {
                nf.remove();
            } else {
                nf.edit();
                nf.setText(QStringLiteral("OBSERVACAO"), QStringLiteral("CONFERIDA"));
                nf.post();
            }
        } catch (const DbError& e) {
            QFAIL(qPrintable(DbErrorText(QString(), e)));
        }
        QCOMPARE(nf.pendingChanges(), 0);

        FbConnection sql(direct_.shared);
        auto rows = sql.openCursor(
            QStringLiteral("select trim(NOTAFISCAL) || '/' || coalesce(OBSERVACAO, '') from NFISCAL order by 1"));
        QStringList left;
        while (rows->fetch())
            left << rows->text(0);
        QCOMPARE(left.join(QLatin1Char(';')), expected);
    }
};

QTEST_GUILESS_MAIN(TestLostCommit)
#include "tst_lostcommit.moc"
