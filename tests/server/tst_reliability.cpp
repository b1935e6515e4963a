#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestServer.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <atomic>
#include <thread>

// The data layer as a pharmacy network stresses it: several workstations writing at the same
// moment, and the server restarted under a workstation that keeps working.
class TestReliability : public QObject {
    Q_OBJECT

private:
    ConnectionConfig config_;

    qint64 number(const QString& sql, const Values& params = {})
    {
        FbConnection c(config_.shared);
        return std::get<qint64>(c.executeRow(sql, params).front());
    }

    // The load check as a technician runs it; returns its output, the exit code in `exitCode`.
    static QString runLoadCheck(const QStringList& args, int& exitCode)
    {
        QProcess bench;
        bench.setProcessChannelMode(QProcess::MergedChannels);
        bench.start(qEnvironmentVariable("KORVANIS_BENCH"), QStringList{QStringLiteral("concurrency")} + args);
        if (!bench.waitForFinished(-1))
            return bench.errorString();
        exitCode = bench.exitCode();
        return QString::fromUtf8(bench.readAll());
    }

private slots:
    void initTestCase()
    {
        try {
            config_ = ComposeConnections(testserver::serverAddress(), QString(), QString(), QString());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
    }

    // Every case begins with new databases; forced writes are off, as the figures are about rows.
    void init()
    {
        QVERIFY(testserver::removeDatabases());
        schema::createSharedDatabase(config_.shared, false);
        schema::createWorkstationDatabase(config_.workstation, false);
    }

    void concurrentWritersLoseNothing_data()
    {
        QTest::addColumn<QString>("scenario");
        QTest::addColumn<int>("writers");
        QTest::addColumn<int>("rows");
        QTest::newRow("8 writers x 50 invoices of 3 items") << "invoices" << 8 << 50;
        QTest::newRow("16 writers x 50 invoices of 3 items") << "invoices" << 16 << 50;
        QTest::newRow("4 writers x 50 suppliers") << "suppliers" << 4 << 50;
    }

    void concurrentWritersLoseNothing()
    {
        QFETCH(QString, scenario);
        QFETCH(int, writers);
        QFETCH(int, rows);
        int exitCode = -1;
        const QString output =
            runLoadCheck({config_.shared.database, QStringLiteral("--only"), scenario, QStringLiteral("--writers"),
                          QString::number(writers), QStringLiteral("--invoices"), QString::number(rows),
                          QStringLiteral("--suppliers"), QString::number(rows), QStringLiteral("--keep")},
                         exitCode);
        qInfo().noquote() << output;
        QVERIFY2(exitCode == 0, qPrintable(output));
        const QString tag = QRegularExpression(QStringLiteral("\\(marca (\\w+)\\)")).match(output).captured(1);
        QVERIFY2(!tag.isEmpty(), qPrintable(output));

        // The database itself, counted apart from what the check printed.
        const qint64 expected = qint64(writers) * rows;
        if (scenario == QLatin1String("suppliers")) {
            const QString prefix = QStringLiteral("CARGA ") + tag;
            QCOMPARE(number(QStringLiteral("select count(*) from FORNECED where NOME starting with ?"), {prefix}),
                     expected);
            QCOMPARE(number(QStringLiteral("select count(distinct NOME) from FORNECED where NOME starting with ?"),
                            {prefix}),
                     expected);
            return;
        }
        QCOMPARE(number(QStringLiteral("select count(*) from NFISCAL where NOTAFISCAL starting with ?"), {tag}),
                 expected);
        QCOMPARE(number(QStringLiteral("select count(distinct NOTAFISCAL) from NFISCAL where NOTAFISCAL starting "
                                       "with ?"),
                        {tag}),
                 expected);
        QCOMPARE(number(QStringLiteral("select count(*) from COMPRAS where NOTAFISCAL starting with ?"), {tag}),
                 expected * 3);
        QCOMPARE(number(QStringLiteral("select count(distinct NOTAFISCAL || '/' || RESPONSAVEL) from COMPRAS where "
                                       "NOTAFISCAL starting with ?"),
                        {tag}),
                 expected * 3);
        QCOMPARE(number(QStringLiteral("select count(*) from NFISCAL N where not exists (select 1 from COMPRAS C "
                                       "where C.NOTAFISCAL = N.NOTAFISCAL and C.CODIGOFORNECEDOR = "
                                       "N.CODIGOFORNECEDOR)")),
                 qint64(0));
    }

    // A list the clerk is scrolling through when the server restarts reads on from where it
    // stopped: the rows not fetched yet are neither lost nor taken twice.
    void listReadsOnAfterAServerRestart_data()
    {
        QTest::addColumn<bool>("aroundKey");
        QTest::newRow("whole list") << false;
        QTest::newRow("read around a key") << true;
    }

    void listReadsOnAfterAServerRestart()
    {
        QFETCH(bool, aroundKey);
        FbConnection connection(config_.shared);
        connection.execute(QStringLiteral("create table LISTA (K integer not null primary key, NOME varchar(60))"));
        constexpr int kRows = 5000; // far more than one batch of the network protocol
        std::vector<Values> rows;
        for (int k = 1; k <= kRows; ++k)
            rows.push_back({qint64(k), QStringLiteral("Produto de número %1 da lista").arg(k)});
        connection.executeMany(QStringLiteral("insert into LISTA (K, NOME) values (?, ?)"), rows);

        CachedDataset list(QStringLiteral("Lista"), connection, QStringLiteral("LISTA"),
                           CachedDataset::WriteMode::ReadOnly);
        list.setCommandText(QStringLiteral("select K, NOME from LISTA where K > 0 order by K"));
        list.setReadAroundKey(aroundKey);
        list.open();
        list.fetchMore(20);
        QVERIFY(list.hasRowsAfter());

        QVERIFY(testserver::control("restart"));

        try {
            QCOMPARE(list.recordCount(), kRows);
            list.first();
            for (int k = 1; k <= kRows; ++k, list.next())
                if (list.asInteger(QStringLiteral("K")) != k)
                    QFAIL(qPrintable(QStringLiteral("row %1 holds %2").arg(k).arg(list.asInteger("K"))));
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        QVERIFY(list.eof());
    }

    // The server restarts while a workstation writes invoices: what the workstation holds pending
    // is written by its next actions, each row once, and reading goes on without a new start.
    void writesSurviveAServerRestart()
    {
        SessionState session;
        session.WorkstationCode = QStringLiteral("01");
        const auto module = testdm::open(config_.shared, config_.workstation, session);
        TDM& dm = *module;
        dm.NFiscal.open();

        std::atomic<bool> restarted = false;
        bool restartedCleanly = false;
        std::thread restarter;
        int headers = 0;
        int items = 0;
        int afterRestart = 0;
        for (int i = 1; i <= 2000 && afterRestart < 10; ++i) {
            if (i == 10)
                restarter = std::thread([&] {
                    restartedCleanly = testserver::control("restart");
                    restarted = true;
                });
            if (restarted)
                ++afterRestart;
            CachedDataset& nf = dm.NFiscal;
            try {
                nf.append();
                nf.setText(QStringLiteral("DATA"), QStringLiteral("10/12/2026"));
                nf.setText(QStringLiteral("NOTAFISCAL"), QString::number(i));
                nf.setText(QStringLiteral("FORNECEDOR"), QStringLiteral("DROGAFARMA"));
                nf.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("0001"));
                nf.post();
            } catch (const std::exception&) {
                // Refused before it reached the cache (the server is away): the clerk types it again later.
                if (nf.state() == CachedDataset::State::Insert)
                    nf.cancel();
            }
            if (nf.state() == CachedDataset::State::Browse &&
                nf.asText(QStringLiteral("NOTAFISCAL")) == QString::number(i))
                ++headers;
            else
                continue;
            try {
                dm.Compras.append();
                dm.Compras.setText(QStringLiteral("COMPONENTE"), QStringLiteral("ACIDO %1").arg(i));
                dm.Compras.post(); // a refused write is reported and stays pending
                ++items;
            } catch (const std::exception&) {
                if (dm.Compras.state() == CachedDataset::State::Insert)
                    dm.Compras.cancel();
            }
        }
        restarter.join();
        QVERIFY(restartedCleanly);

        // The next action of the clerk writes what is pending.
        DatasetRules::Write(dm.NFiscal);
        DatasetRules::Write(dm.Compras);
        QCOMPARE(dm.NFiscal.pendingChanges(), 0);
        QCOMPARE(dm.Compras.pendingChanges(), 0);

        // Every row the workstation holds is stored, once. A header whose post failed as the server
        // went may be stored too (the clerk was told; typed again, its number would be refused).
        const qint64 stored = number(QStringLiteral("select count(*) from NFISCAL"));
        qInfo("restart: %d headers entered, %lld stored; %d items entered", headers, stored, items);
        QVERIFY(headers > 10);
        QVERIFY(stored >= headers && stored <= headers + 1);
        QCOMPARE(number(QStringLiteral("select count(distinct NOTAFISCAL) from NFISCAL")), stored);
        QCOMPARE(number(QStringLiteral("select count(*) from COMPRAS")), qint64(items));
        QCOMPARE(number(QStringLiteral("select count(distinct COMPONENTE) from COMPRAS")), qint64(items));
        QCOMPARE(number(QStringLiteral("select count(*) from COMPRAS C where not exists (select 1 from NFISCAL N "
                                       "where N.NOTAFISCAL = C.NOTAFISCAL)")),
                 qint64(0));
        // Reading through the workstation's own connection works again.
        QCOMPARE(dm.SQLQuery1.single(QStringLiteral("select count(*) as N from NFISCAL"), QStringLiteral("N")),
                 Value{stored});
    }
};

QTEST_GUILESS_MAIN(TestReliability)
#include "tst_reliability.moc"
