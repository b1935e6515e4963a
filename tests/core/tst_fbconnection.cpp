#include "data/ConnectionPolicy.h"
#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/FbConnection.h"
#include "data/ServerError.h"
#include "data/UnitOfWork.h"
#include "tests/support/TestDatabase.h"

#include <QtTest>

#include <arpa/inet.h>
#include <ibase.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A TCP port on 127.0.0.1 that takes connections (the system completes them) and never answers.
class SilentListener {
public:
    SilentListener()
    {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto* any = reinterpret_cast<sockaddr*>(&address);
        if (fd_ < 0 || ::bind(fd_, any, length) != 0 || ::listen(fd_, 4) != 0 || ::getsockname(fd_, any, &length) != 0)
            throw std::runtime_error("cannot listen");
        port_ = ntohs(address.sin_port);
    }
    ~SilentListener() { ::close(fd_); }
    SilentListener(const SilentListener&) = delete;
    SilentListener& operator=(const SilentListener&) = delete;
    int port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
};

} // namespace

class TestFbConnection : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<TestDatabase> db;
    FbConnection& conn() { return db->connection(); }

    template <typename T> T single(const QString& sql)
    {
        const Values row = conn().executeRow(sql);
        if (row.empty())
            throw std::runtime_error("no row");
        return std::get<T>(row.front());
    }

private slots:
    void init()
    {
        db = std::make_unique<TestDatabase>();
        conn().execute(QStringLiteral("create table T (K integer not null primary key, NAME varchar(20), "
                                      "REQ varchar(5) not null, AMOUNT decimal(15,2), QTY decimal(15,5), "
                                      "D date, TM time, TS timestamp, F double precision, B blob)"));
    }
    void cleanup() { db.reset(); }

    void accentedTextRoundTrips()
    {
        const QString name = QStringLiteral("D'Ávila Açaí €ŠŽ");
        conn().execute(QStringLiteral("insert into T (K, REQ, NAME) values (1, 'x', ?)"), {name});
        QCOMPARE(single<QString>(QStringLiteral("select NAME from T")), name);
        conn().execute(QStringLiteral("insert into T (K, REQ, NAME) values (2, 'x', 'ção')"));
        QCOMPARE(single<QString>(QStringLiteral("select NAME from T where K = 2")), QStringLiteral("ção"));
    }

    // The refusal names the character as typed, an emoji whole (not half of its pair), and its code.
    void characterOutsideWin1252IsRefused_data()
    {
        QTest::addColumn<bool>("asParameter");
        QTest::addColumn<QString>("character");
        QTest::addColumn<QString>("code");
        for (const bool asParameter : {true, false}) {
            const char* how = asParameter ? "parameter" : "statement text";
            QTest::addRow("%s, CJK", how) << asParameter << QStringLiteral("\u4E2D") << QStringLiteral("U+4E2D");
            QTest::addRow("%s, emoji", how) << asParameter << QStringLiteral("\U0001F600") << QStringLiteral("U+1F600");
        }
    }
    void characterOutsideWin1252IsRefused()
    {
        QFETCH(bool, asParameter);
        QFETCH(QString, character);
        QFETCH(QString, code);
        const QString name = QStringLiteral("Ação ") + character + QStringLiteral(" fim");
        try {
            if (asParameter)
                conn().execute(QStringLiteral("insert into T (K, REQ, NAME) values (1, 'x', ?)"), {name});
            else
                conn().execute(QStringLiteral("insert into T (K, REQ, NAME) values (1, 'x', '%1')").arg(name));
            QFAIL("no error");
        } catch (const EncodingError& e) {
            QVERIFY2(
                e.message().contains(QLatin1Char('"') + character + QStringLiteral("\" (") + code + QLatin1Char(')')),
                qPrintable(e.message()));
        }
        QCOMPARE(single<qint64>(QStringLiteral("select count(*) from T")), 0);
    }

    void decimalsAreExact()
    {
        conn().execute(QStringLiteral("insert into T (K, REQ, AMOUNT, QTY) values (1, 'x', 1.15, 0.00001)"));
        conn().execute(QStringLiteral("insert into T (K, REQ, AMOUNT) values (2, 'x', ?)"), {Decimal{-50, 2}});
        QCOMPARE(single<Decimal>(QStringLiteral("select AMOUNT from T where K = 1")).toString(),
                 QStringLiteral("1.15"));
        QCOMPARE(single<Decimal>(QStringLiteral("select QTY from T where K = 1")).toString(),
                 QStringLiteral("0.00001"));
        QCOMPARE(single<Decimal>(QStringLiteral("select AMOUNT from T where K = 2")).toString(),
                 QStringLiteral("-0.50"));
        QCOMPARE(single<Decimal>(QStringLiteral("select sum(AMOUNT) as TOTAL from T")).toString(),
                 QStringLiteral("0.65"));
    }

    void dateLiteralIsMonthDayYear()
    {
        conn().execute(QStringLiteral("insert into T (K, REQ, D) values (1, 'x', '03/04/26')"));
        QCOMPARE(single<QDate>(QStringLiteral("select D from T")), QDate(2026, 3, 4));
        conn().execute(QStringLiteral("insert into T (K, REQ, D, TM, TS) values (2, 'x', ?, ?, ?)"),
                       {QDate(1999, 12, 31), QTime(23, 59, 58), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 700))});
        const Values row = conn().executeRow(QStringLiteral("select D, TM, TS from T where K = 2"));
        QCOMPARE(std::get<QDate>(row[0]), QDate(1999, 12, 31));
        QCOMPARE(std::get<QTime>(row[1]), QTime(23, 59, 58));
        QCOMPARE(std::get<QDateTime>(row[2]), QDateTime(QDate(2001, 2, 3), QTime(4, 5, 6, 700)));
    }

    void nullsAndBlobs()
    {
        QByteArray bytes(100000, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i % 251);
        conn().execute(QStringLiteral("insert into T (K, REQ, NAME, B) values (1, 'x', ?, ?)"),
                       {std::monostate{}, bytes});
        const Values row = conn().executeRow(QStringLiteral("select NAME, AMOUNT, D, F, B from T"));
        QVERIFY(isNull(row[0]));
        QVERIFY(isNull(row[1]));
        QVERIFY(isNull(row[2]));
        QVERIFY(isNull(row[3]));
        QCOMPARE(std::get<QByteArray>(row[4]), bytes);
    }

    void serverErrorsCarryTextAndSqlcode_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("sqlcode");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("sentence"); // the clerk's sentence for it, when it has one
        QTest::newRow("duplicate key") << "insert into T (K, REQ) values (1, 'y')" << -803
                                       << "violation of PRIMARY or UNIQUE KEY constraint"
                                       << "Já existe um registro com a mesma chave";
        QTest::newRow("required column") << "insert into T (K) values (2)" << -625
                                         << "validation error for column \"T\".\"REQ\""
                                         << "";
        QTest::newRow("too long") << "insert into T (K, REQ) values (3, 'abcdefg')" << -802 << "string right truncation"
                                  << "Um texto é mais longo do que o campo";
        QTest::newRow("syntax") << "selec 1 from T" << -104 << "Token unknown"
                                << "";
    }
    void serverErrorsCarryTextAndSqlcode()
    {
        QFETCH(QString, sql);
        QFETCH(int, sqlcode);
        QFETCH(QString, text);
        QFETCH(QString, sentence);
        conn().execute(QStringLiteral("insert into T (K, REQ) values (1, 'x')"));
        try {
            conn().execute(sql);
            QFAIL("no error");
        } catch (const DbError& e) {
            QCOMPARE(e.sqlcode(), sqlcode);
            QVERIFY2(e.message().contains(text), qPrintable(e.message()));
            // What the clerk reads: what was being done, the plain sentence, the server's text as detail.
            const QString shown = DbErrorText(QStringLiteral("Gravando na tabela T."), e);
            QVERIFY2(shown.startsWith(QStringLiteral("Gravando na tabela T.\r\r") + sentence), qPrintable(shown));
            QVERIFY2(shown.contains(QStringLiteral("Detalhe: ")) && shown.contains(text), qPrintable(shown));
        }
        // The failed statement left nothing behind and the connection goes on working.
        QCOMPARE(single<qint64>(QStringLiteral("select count(*) from T")), 1);
    }

    // The errors no statement of this table raises get their own sentences too.
    void otherCommonErrorsHaveTheirSentence_data()
    {
        QTest::addColumn<long>("code");
        QTest::addColumn<bool>("outcomeUnknown");
        QTest::addColumn<QString>("sentence");
        QTest::newRow("update conflict") << long(isc_update_conflict) << false
                                         << "Outro usuário alterou o mesmo registro ao mesmo tempo";
        QTest::newRow("lost connection") << long(isc_network_error) << false
                                         << "A conexão com o servidor de banco de dados foi perdida";
        QTest::newRow("lost during a commit")
            << long(isc_net_read_err) << true << "Não se sabe se a última gravação chegou ao servidor";
        QTest::newRow("server shut down")
            << long(isc_att_shutdown) << false << "A conexão com o servidor de banco de dados foi perdida";
        QTest::newRow("code page") << long(isc_transliteration_failed) << false
                                   << "caractere que não existe na página de código";
    }
    void otherCommonErrorsHaveTheirSentence()
    {
        QFETCH(long, code);
        QFETCH(bool, outcomeUnknown);
        QFETCH(QString, sentence);
        ServerError error(QStringLiteral("server text"), -901, {code});
        if (outcomeUnknown)
            error.setOutcomeUnknown();
        const QString shown = DbErrorText(QStringLiteral("Gravando."), error);
        QVERIFY2(shown.contains(sentence), qPrintable(shown));
        QVERIFY2(shown.endsWith(QStringLiteral("Detalhe: server text")), qPrintable(shown));
    }

    // A listener that takes the connection and never answers: the attachment gives up within its
    // time and names the server.
    void silentServerGivesUpNamingTheServer()
    {
        SilentListener silent;
        const QString server = QStringLiteral("127.0.0.1/%1").arg(silent.port());
        FbConnection::Params params{server + QStringLiteral(":/nada/korvanis.fdb"), QStringLiteral("SYSDBA"),
                                    QStringLiteral("x")};
        connectionpolicy::setConnectTimeoutSeconds(2);
        FbConnection connection(params);
        QString shown;
        try {
            connection.open();
        } catch (const DbError& e) {
            shown = DbErrorText({}, e);
        }
        connectionpolicy::setConnectTimeoutSeconds(connectionpolicy::kDefaultConnectTimeoutSeconds);
        QVERIFY2(shown.contains(QStringLiteral("\"%1\" não respondeu em 2 segundos").arg(server)), qPrintable(shown));
    }

    // With the program's own times, the clerk hears of a frozen server within the connect timeout
    // from the start of the call: the call is watched, the server is given the probe's time to
    // answer a new connection, and the connection made again gets what is left.
    void aFrozenServerIsReportedWithinTheConnectTimeout()
    {
        const int watched = connectionpolicy::unansweredCallSeconds();
        const int cutOff = watched + connectionpolicy::probeTimeoutSeconds();
        const int reported = cutOff + connectionpolicy::reconnectTimeoutSeconds(qint64(cutOff) * 1000);
        QVERIFY2(reported <= connectionpolicy::connectTimeoutSeconds(), qPrintable(QString::number(reported)));
    }

    void cursorFetchesRowsInOrderAndTwoCursorsShareText()
    {
        for (int k = 1; k <= 5; ++k)
            conn().execute(QStringLiteral("insert into T (K, REQ, NAME) values (?, 'x', ?)"),
                           {qint64(k), QStringLiteral("n%1").arg(k)});
        const QString sql = QStringLiteral("select K, NAME from T order by K desc");
        auto a = conn().openCursor(sql);
        auto b = conn().openCursor(sql);
        QVERIFY(a->fetch());
        QVERIFY(b->fetch());
        QCOMPARE(a->text(1), QStringLiteral("n5"));
        int count = 1;
        while (a->fetch())
            ++count;
        QCOMPARE(count, 5);
        QVERIFY(!a->isOpen());
        QCOMPARE(std::get<qint64>(b->value(0)), 5);
    }

    // A call that fails halfway gives back what it took: none of its transactions stays open.
    void failedCallLeavesNoTransactionOpen_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("sql");
        QTest::newRow("describe, column of an unknown type") << "describe"
                                                             << "select X from A";
        QTest::newRow("cursor, column of an unknown type") << "cursor"
                                                           << "select X from A";
        QTest::newRow("cursor, parameter missing") << "cursor"
                                                   << "select K from A where K = ?";
        QTest::newRow("statement, parameter missing") << "execute"
                                                      << "delete from A where K = ?";
        QTest::newRow("statement refused") << "execute"
                                           << "insert into A (K) values ('x')";
    }
    void failedCallLeavesNoTransactionOpen()
    {
        QFETCH(QString, call);
        QFETCH(QString, sql);
        conn().execute(QStringLiteral("create table A (K integer, X integer[3])"));
        try {
            if (call == QLatin1String("describe"))
                conn().describe(sql);
            else if (call == QLatin1String("cursor"))
                conn().openCursor(sql);
            else
                conn().execute(sql);
            QFAIL("the call did not fail");
        } catch (const DbError&) {
        }
        // Only the transaction of the count itself.
        QCOMPARE(single<qint64>(QStringLiteral("select count(*) from MON$TRANSACTIONS "
                                               "where MON$ATTACHMENT_ID = current_connection")),
                 1);
    }

    // A cursor read in a unit of work that has ended reads nothing more through its transaction.
    void cursorOutlivingItsUnitOfWorkReadsNoMore()
    {
        conn().execute(QStringLiteral("insert into T (K, REQ, B) values (1, 'x', ?)"), {QByteArray("abc")});
        std::unique_ptr<FbCursor> cursor;
        {
            UnitOfWork work(conn());
            cursor = conn().openCursor(QStringLiteral("select B from T"));
            QVERIFY(cursor->fetch());
            QCOMPARE(cursor->blob(0), QByteArray("abc"));
            work.commit();
        }
        QVERIFY_THROWS_EXCEPTION(DbError, cursor->blob(0));
    }

    // A cursor left open when its connection goes stops there.
    void cursorOutlivingItsConnectionStops()
    {
        conn().execute(QStringLiteral("insert into T (K, REQ) values (1, 'x')"));
        conn().execute(QStringLiteral("insert into T (K, REQ) values (2, 'x')"));
        auto other = std::make_unique<FbConnection>(conn().params());
        conn().close(); // the embedded engine opens a file for one connection at a time
        auto cursor = other->openCursor(QStringLiteral("select K from T"));
        QVERIFY(cursor->fetch());
        other.reset();
        QVERIFY(!cursor->fetch());
        QVERIFY(!cursor->isOpen());
    }

    void missingDatabaseNamesItself()
    {
        FbConnection c({db->productFolder() + QStringLiteral("/nada.bd"), QStringLiteral("SYSDBA"), {}});
        try {
            c.open();
            QFAIL("opened");
        } catch (const DbError& e) {
            QCOMPARE(e.sqlcode(), -902);
            QVERIFY2(e.message().contains(QStringLiteral("nada.bd")), qPrintable(e.message()));
        }
    }

    // A unit of work: its statements see each other, and only its commit makes them durable.
    void unitOfWorkCommitsOrRollsBackAsOne_data()
    {
        QTest::addColumn<bool>("commit");
        QTest::addColumn<bool>("failInside");
        QTest::addColumn<qint64>("rowsAfter");
        QTest::newRow("committed") << true << false << qint64(3);
        QTest::newRow("left without commit") << false << false << qint64(0);
        QTest::newRow("error on the third row") << true << true << qint64(0);
    }
    void unitOfWorkCommitsOrRollsBackAsOne()
    {
        QFETCH(bool, commit);
        QFETCH(bool, failInside);
        QFETCH(qint64, rowsAfter);
        const QString insert = QStringLiteral("insert into T (K, REQ) values (?, 'x')");
        try {
            UnitOfWork work(conn());
            conn().execute(insert, {qint64(1)});
            conn().execute(insert, {qint64(2)});
            // Reads inside the unit see its own writes.
            QCOMPARE(single<qint64>(QStringLiteral("select count(*) from T")), 2);
            conn().execute(insert, {failInside ? qint64(1) : qint64(3)});
            if (commit)
                work.commit();
        } catch (const DbError& e) {
            QVERIFY(failInside);
            QCOMPARE(e.sqlcode(), DbError::kDuplicateKey);
        }
        QVERIFY(!conn().inWork());
        QCOMPARE(single<qint64>(QStringLiteral("select count(*) from T")), rowsAfter);
    }

    void innerUnitJoinsTheOuterOne()
    {
        const QString insert = QStringLiteral("insert into T (K, REQ) values (?, 'x')");
        {
            UnitOfWork outer(conn());
            {
                UnitOfWork inner(conn());
                conn().execute(insert, {qint64(1)});
                inner.commit();
            }
            QVERIFY(conn().inWork());
            {
                UnitOfWork doomed(conn());
                conn().execute(insert, {qint64(2)});
            } // left without commit
            QVERIFY_THROWS_EXCEPTION(DbError, outer.commit());
        }
        QCOMPARE(single<qint64>(QStringLiteral("select count(*) from T")), 0);
    }
};

QTEST_GUILESS_MAIN(TestFbConnection)
#include "tst_fbconnection.moc"
