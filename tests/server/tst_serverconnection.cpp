#include "data/ConnectionPolicy.h"
#include "data/DbActivity.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "tests/support/TestServer.h"

#include <QtTest>

#include <atomic>
#include <chrono>
#include <thread>

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

    // Stops the test server's process where it stands for as long as this lives, and at the latest
    // for a minute: a call the program failed to give up then ends, and the test fails instead of
    // hanging.
    class FrozenServer {
    public:
        FrozenServer() : thawer_([this] { thawAtTheLatest(); }) { frozen_ = testserver::control("freeze"); }
        ~FrozenServer()
        {
            done_ = true;
            thawer_.join();
        }
        bool frozen() const { return frozen_; }
        bool thaw() { return testserver::control("thaw"); }

    private:
        void thawAtTheLatest()
        {
            for (int i = 0; i < 600 && !done_; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            testserver::control("thaw");
        }

        bool frozen_ = false;
        std::atomic<bool> done_ = false;
        std::thread thawer_;
    };

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
        QVERIFY(testserver::removeDatabases());
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

    // A server that stops answering in the middle of a call (frozen, or cut off without the
    // connection noticing) must not hold the program for ever: the call is given up, the clerk is
    // told while the connection is made again and then that the server did not answer, and the
    // work goes on once the server answers again.
    void callToAFrozenServerIsGivenUp()
    {
        connectionpolicy::setConnectTimeoutSeconds(2);
        connectionpolicy::setUnansweredCallSeconds(1);
        QStringList notices;
        dbactivity::Hooks hooks;
        hooks.notice = [&](const QString& text) { notices << text; };
        dbactivity::install(hooks);
        const auto restore = qScopeGuard([] {
            connectionpolicy::setConnectTimeoutSeconds(connectionpolicy::kDefaultConnectTimeoutSeconds);
            connectionpolicy::setUnansweredCallSeconds(connectionpolicy::kDefaultUnansweredCallSeconds);
            dbactivity::install({});
        });
        const QString count = QStringLiteral("select count(*) from rdb$relations");
        FbConnection shared(config_.shared);
        const Values before = shared.executeRow(count);

        {
            FrozenServer server;
            QVERIFY(server.frozen());
            try {
                shared.executeRow(count);
                QFAIL("the call waited until the server answered again");
            } catch (const DbError& e) {
                const QString expected =
                    QStringLiteral("O servidor de banco de dados \"%1\" não respondeu em 2 segundos.")
                        .arg(testserver::serverAddress());
                QCOMPARE(e.message(), expected);
            }
            QCOMPARE(notices, QStringList({QStringLiteral("A conexão com o servidor de banco de dados foi perdida. "
                                                          "Reconectando..."),
                                           QString()}));
            QVERIFY(server.thaw());
        }
        QCOMPARE(shared.executeRow(count), before);
    }

    // A server that is merely slow is asked whether it answers and left to finish the call.
    void slowCallToALiveServerIsLeftToFinish()
    {
        connectionpolicy::setUnansweredCallSeconds(1);
        const auto restore = qScopeGuard(
            [] { connectionpolicy::setUnansweredCallSeconds(connectionpolicy::kDefaultUnansweredCallSeconds); });
        FbConnection shared(config_.shared);
        // Seconds of work on the server, without a word to the client meanwhile.
        const QString slow = QStringLiteral("execute block returns (N integer) as begin N = 0; "
                                            "while (N < 20000000) do N = N + 1; suspend; end");
        QCOMPARE(shared.executeRow(slow), Values{qint64(20000000)});
    }
};

QTEST_GUILESS_MAIN(TestServerConnection)
#include "tst_serverconnection.moc"
