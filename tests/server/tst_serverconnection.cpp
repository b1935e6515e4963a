#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "tests/support/TestServer.h"

#include <QDir>
#include <QtTest>

// One workstation talking to the databases through a real Firebird server, with the database names
// composed from ServerAddress exactly as the program composes them.
class TestServerConnection : public QObject {
    Q_OBJECT

private:
    QString serverFolder_;
    ConnectionConfig config_;

    // Attaching must fail with the server's own text naming the problem.
    static void expectOpenFails(const FbConnection::Params& params, const QString& serverText)
    {
        FbConnection connection(params);
        try {
            connection.open();
            QFAIL("the attachment succeeded");
        } catch (const DbError& e) {
            QCOMPARE(e.sqlcode(), DbError::kCannotOpen);
            const QString message = ConnectionFailureMessage(params.database, e, ConnectionConfig{});
            QVERIFY2(message.contains(QLatin1Char('"') + params.database + QLatin1Char('"')), qPrintable(message));
            QVERIFY2(message.contains(serverText), qPrintable(message));
        }
    }

private slots:
    void initTestCase()
    {
        try {
            serverFolder_ = testserver::folder();
            config_ = ComposeConnections(testserver::serverAddress(), QString(), QString(), QString());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        // The databases are made afresh by this test.
        QDir folder(serverFolder_);
        for (const QString& name : folder.entryList({QStringLiteral("*.fdb")}, QDir::Files))
            QVERIFY(folder.remove(name));
        schema::createSharedDatabase(config_.shared);
        schema::createWorkstationDatabase(config_.workstation);
    }

    void composedNamesReachTheAliasedFiles()
    {
        QCOMPARE(config_.shared.database,
                 testserver::serverAddress() + QStringLiteral(":C:\\korvanis\\dados\\korvanis.bd"));
        QCOMPARE(config_.workstation.database,
                 testserver::serverAddress() + QStringLiteral(":C:\\korvanis\\interfac\\korvanis.bd"));

        FbConnection shared(config_.shared);
        const Values row = shared.executeRow(QStringLiteral("select mon$database_name from mon$database"));
        QCOMPARE(std::get<QString>(row.at(0)).trimmed(), serverFolder_ + QStringLiteral("/korvanis.fdb"));
        FbConnection workstation(config_.workstation);
        const Values row2 = workstation.executeRow(QStringLiteral("select mon$database_name from mon$database"));
        QCOMPARE(std::get<QString>(row2.at(0)).trimmed(), serverFolder_ + QStringLiteral("/interfac.fdb"));
    }

    void accentedTextTravelsThroughTheServer()
    {
        FbConnection shared(config_.shared);
        shared.execute(QStringLiteral("create table TESTE_SERVIDOR (NOME varchar(40))"));
        const QString name = QStringLiteral("Farmácia D'Ávila — Manipulação");
        shared.execute(QStringLiteral("insert into TESTE_SERVIDOR (NOME) values (?)"), {name});
        FbConnection other(config_.shared);
        QCOMPARE(std::get<QString>(other.executeRow(QStringLiteral("select NOME from TESTE_SERVIDOR")).at(0)), name);
    }

    void wrongPasswordIsRefusedWithTheServersText()
    {
        FbConnection::Params params = config_.shared;
        params.password = QStringLiteral("senha-errada");
        expectOpenFails(params, QStringLiteral("Your user name and password are not defined"));
    }

    void serverThatDoesNotAnswerIsReported()
    {
        const FbConnection::Params params{SharedDatabaseName(QStringLiteral("127.0.0.1/1"), QString()),
                                          config_.shared.user, config_.shared.password};
        expectOpenFails(params, QStringLiteral("Unable to complete network request"));
    }
};

QTEST_GUILESS_MAIN(TestServerConnection)
#include "tst_serverconnection.moc"
