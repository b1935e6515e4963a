#include "admin/AdminCommands.h"
#include "admin/DemoData.h"
#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "purchase/WindowState.h"
#include "shell/ExpiredLotSweep.h"
#include "shell/Workstation.h"
#include "tests/support/TestServer.h"

#include <QTemporaryDir>
#include <QtTest>

// The workstations log in to the server as the module's database user that korvanis-admin makes,
// never as SYSDBA: under it the module reads and writes its tables, and it can change no table.
class TestModuleUser : public QObject {
    Q_OBJECT

private:
    const QString userName_ = QStringLiteral("korvanis_balcao");
    const QString password_ = QStringLiteral("s3nh'a");
    ConnectionConfig admin_; // SYSDBA, from the test's environment
    QString firstLogin_;

    int runAdmin(const QStringList& args, QString* output = nullptr)
    {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        const int code = admin::run(args, outStream, errStream);
        outStream.flush();
        errStream.flush();
        if (code != admin::kSuccess)
            qWarning().noquote() << err;
        if (output)
            *output = out;
        return code;
    }

    FbConnection::Params asModuleUser(const FbConnection::Params& params, const QString& password) const
    {
        return {params.database, userName_, password};
    }

    bool tableExists(const FbConnection::Params& params, const QString& table)
    {
        FbConnection connection(params);
        const Values row = connection.executeRow(
            QStringLiteral("select count(*) from RDB$RELATIONS where RDB$RELATION_NAME = ?"), {table});
        return std::get<qint64>(row.front()) == 1;
    }

private slots:
    void initTestCase()
    {
        try {
            admin_ = ComposeConnections(testserver::serverAddress(), QString(), QString(), QString());
            QVERIFY(testserver::removeDatabases());
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }
        schema::createSharedDatabase(admin_.shared, false);
        schema::createWorkstationDatabase(admin_.workstation, false);
        FbConnection shared(admin_.shared);
        FbConnection workstation(admin_.workstation);
        firstLogin_ = demo::fill(shared, workstation, QStringLiteral("tecnico"), QDate::currentDate()).front().name;

        QString out;
        QCOMPARE(runAdmin({QStringLiteral("dbuser"), QStringLiteral("add"), userName_, password_,
                           QStringLiteral("--server"), testserver::serverAddress()},
                          &out),
                 int(admin::kSuccess));
        QVERIFY2(out.contains(QStringLiteral("ISC_USER=KORVANIS_BALCAO")), qPrintable(out));
    }

    // The start-up sweep, the login and the closing of the open invoice, under the module's user.
    void theModuleWorksUnderItsUser()
    {
        SessionState session;
        NoWindow window;
        TDM dm(asModuleUser(admin_.shared, password_), asModuleUser(admin_.workstation, password_), session, window);
        QVERIFY(SweepExpiredLots(dm.Compras2, QDate::currentDate()) > 0);

        session.CurrentUserName = firstLogin_;
        const WorkstationBinding binding = IdentifyWorkstation(dm, session);
        QVERIFY2(binding.messages.isEmpty(), qPrintable(binding.messages.join(QLatin1Char('\n'))));
        QCOMPARE(session.WorkstationCode, QStringLiteral("01"));

        dm.Periodo.open();
        QVERIFY(!dm.Periodo.eof());

        // The demo leaves its newest invoice open; closing it writes movements and lots.
        dm.NFiscal.open();
        dm.NFiscal.last();
        QTemporaryDir folder;
        const StockClosing closing =
            CloseInvoiceIntoStock(dm, StockEntryLog(folder.filePath(QStringLiteral("log.txt"))));
        QVERIFY(closing.entered > 0);
    }

    void theUserChangesNoTable_data()
    {
        QTest::addColumn<bool>("sharedDatabase");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("table"); // still there afterwards
        QTest::newRow("drop a table") << true << "drop table NFISCAL"
                                      << "NFISCAL";
        QTest::newRow("drop a workstation table") << false << "drop table PERIODO"
                                                  << "PERIODO";
        QTest::newRow("add a column") << true << "alter table COMPRAS add INTRUSO integer"
                                      << "COMPRAS";
        QTest::newRow("take the administrator's password") << true << "alter user SYSDBA password 'outra'"
                                                           << "USUARIOS";
    }
    void theUserChangesNoTable()
    {
        QFETCH(bool, sharedDatabase);
        QFETCH(QString, statement);
        QFETCH(QString, table);
        const FbConnection::Params& params = sharedDatabase ? admin_.shared : admin_.workstation;
        FbConnection connection(asModuleUser(params, password_));
        QVERIFY_THROWS_EXCEPTION(DbError, connection.execute(statement));
        QVERIFY(tableExists(params, table));
        FbConnection administrator(params);
        QVERIFY(administrator.executeRow(QStringLiteral("select first 1 1 from RDB$DATABASE")).size() == 1);
    }

    // Running the command again gives the user the new password and keeps his rights.
    void aSecondRunChangesThePassword()
    {
        const QString newPassword = QStringLiteral("nova123");
        QCOMPARE(runAdmin({QStringLiteral("dbuser"), QStringLiteral("add"), userName_, newPassword,
                           QStringLiteral("--server"), testserver::serverAddress()}),
                 int(admin::kSuccess));
        FbConnection old(asModuleUser(admin_.shared, password_));
        QVERIFY_THROWS_EXCEPTION(DbError, old.open());
        FbConnection renewed(asModuleUser(admin_.shared, newPassword));
        const Values row = renewed.executeRow(QStringLiteral("select count(*) from NFISCAL"));
        QVERIFY(std::get<qint64>(row.front()) > 0);
    }
};

QTEST_GUILESS_MAIN(TestModuleUser)
#include "tst_moduleuser.moc"
