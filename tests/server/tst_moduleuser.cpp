#include "admin/AdminCommands.h"
#include "admin/DemoData.h"
#include "admin/ModuleUser.h"
#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "data/DbActivity.h"
#include "data/DbError.h"
#include "db/Schema.h"
#include "purchase/ConnectionConfig.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/ExpiredLotSweep.h"
#include "shell/Login.h"
#include "shell/Workstation.h"
#include "tests/support/TestDataModule.h"
#include "tests/support/TestServer.h"

#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// The rights a statement needs, as "TABLE:S" (select), I, U, D, and "PROCEDURE:X" (execute): the
// table it writes, and every table (or procedure) it reads from. The system tables are left out.
QSet<QString> rightsNeededBy(const QString& statement, const QStringList& procedures)
{
    const QString sql = statement.simplified().toUpper();
    QSet<QString> needed;
    const auto read = [&](const QString& name) {
        if (!name.startsWith(QLatin1String("RDB$")) && !name.startsWith(QLatin1String("MON$")))
            needed << name + (procedures.contains(name) ? QStringLiteral(":X") : QStringLiteral(":S"));
    };
    static const QRegularExpression write(QStringLiteral("^(INSERT INTO|UPDATE|DELETE FROM) (\\w+)"));
    if (const QRegularExpressionMatch m = write.match(sql); m.hasMatch()) {
        const QString op = m.captured(1).left(1);
        needed << m.captured(2) + QLatin1Char(':') + op;
        if (op != QLatin1String("I")) // their conditions read the table
            read(m.captured(2));
    } else if (!sql.startsWith(QLatin1String("SELECT"))) {
        return needed; // a change of the schema, which the user is refused anyway
    }
    // "from A, B C where", "from A left join B", "from PROC(?, ?)": each name listed after FROM, JOIN
    // or a comma of a FROM list.
    static const QRegularExpression fromList(QStringLiteral(
        "\\b(?:FROM|JOIN) ([^()]*?)(?= WHERE | ORDER | GROUP | HAVING | LEFT | INNER | JOIN |\\(|\\)| ROWS |$)"));
    for (auto it = fromList.globalMatch(sql); it.hasNext();)
        for (const QString& piece : it.next().captured(1).split(QLatin1Char(','))) {
            const QString name = piece.trimmed().section(QLatin1Char(' '), 0, 0);
            if (!name.isEmpty())
                read(name);
        }
    return needed;
}

QSet<QString> declaredRights(const QList<moduleuser::TableRights>& tables, const QStringList& procedures)
{
    QSet<QString> rights;
    for (const moduleuser::TableRights& t : tables)
        for (const QChar op : t.operations)
            rights << t.table + QLatin1Char(':') + op;
    for (const QString& procedure : procedures)
        rights << procedure + QStringLiteral(":X");
    return rights;
}

} // namespace

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

    // What the role holds on the server, as "TABLE:S" ... and "PROCEDURE:X".
    QSet<QString> grantedToTheRole(const FbConnection::Params& params)
    {
        FbConnection connection(params);
        auto cursor = connection.openCursor(
            QStringLiteral("select trim(RDB$RELATION_NAME) || ':' || trim(RDB$PRIVILEGE) from RDB$USER_PRIVILEGES "
                           "where RDB$USER = ? and RDB$PRIVILEGE in ('S', 'I', 'U', 'D', 'X')"),
            {schema::kModuleRole});
        QSet<QString> granted;
        while (cursor->fetch())
            granted << cursor->text(0);
        return granted;
    }

    // The start-up sweep, the login, a new invoice with an item, the closing of the open invoice
    // and the deletion of the new one, under the module's user; every statement they send needs
    // only what the user was granted.
    void theModuleWorksUnderItsUser()
    {
        QStringList statements;
        dbactivity::Hooks hooks;
        hooks.statement = [&](const QString& sql) { statements << sql; };
        dbactivity::install(hooks);
        const auto uninstall = qScopeGuard([] { dbactivity::install({}); });
        SessionState session;
        const auto module =
            testdm::open(asModuleUser(admin_.shared, password_), asModuleUser(admin_.workstation, password_), session);
        TDM& dm = *module;
        QVERIFY(SweepExpiredLots(dm.Compras2, QDate::currentDate()) > 0);

        QCOMPARE(CheckLogin(dm.SQLConnection1, firstLogin_, QStringLiteral("123")).outcome,
                 LoginCheck::Outcome::Accepted);
        QCOMPARE(CheckLogin(dm.SQLConnection1, firstLogin_, QStringLiteral("999")).outcome,
                 LoginCheck::Outcome::WrongPassword);
        QCOMPARE(CheckLogin(dm.SQLConnection1, QStringLiteral("NINGUEM"), QStringLiteral("123")).outcome,
                 LoginCheck::Outcome::UnknownUser);
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

        CachedDataset& nf = dm.NFiscal;
        nf.append();
        nf.setDate(QStringLiteral("DATA"), QDate::currentDate());
        nf.setText(QStringLiteral("NOTAFISCAL"), QStringLiteral("Z1"));
        nf.setText(QStringLiteral("FORNECEDOR"), QStringLiteral("BALCAO"));
        nf.setText(QStringLiteral("CODIGOFORNECEDOR"), QStringLiteral("9999"));
        nf.post();
        dm.Compras.append();
        dm.Compras.setText(QStringLiteral("COMPONENTE"), QStringLiteral("ITEM DO BALCAO"));
        dm.Compras.post();
        QCOMPARE(dm.Compras.pendingChanges(), 0);
        nf.remove();
        QCOMPARE(nf.pendingChanges(), 0);

        const QSet<QString> granted =
            declaredRights(moduleuser::sharedDatabaseRights(), moduleuser::sharedDatabaseProcedures()) +
            declaredRights(moduleuser::workstationDatabaseRights(), {});
        QSet<QString> used;
        for (const QString& sql : std::as_const(statements)) {
            const QSet<QString> needed = rightsNeededBy(sql, moduleuser::sharedDatabaseProcedures());
            used += needed;
            for (const QString& right : needed)
                QVERIFY2(granted.contains(right), qPrintable(right + QStringLiteral(" needed by: ") + sql));
        }
        // The login reads no table of users.
        QVERIFY(!used.contains(QStringLiteral("USUARIOS:S")));
        QVERIFY(used.contains(QStringLiteral("VERIFICAR_USUARIO:X")));
    }

    // The server holds for the module's role exactly the list the module declares, and the user
    // holds nothing on the tables but through the role.
    void theRoleHoldsTheDeclaredRights()
    {
        QCOMPARE(grantedToTheRole(admin_.shared),
                 declaredRights(moduleuser::sharedDatabaseRights(), moduleuser::sharedDatabaseProcedures()));
        QCOMPARE(grantedToTheRole(admin_.workstation), declaredRights(moduleuser::workstationDatabaseRights(), {}));
        FbConnection shared(admin_.shared);
        const Values direct = shared.executeRow(
            QStringLiteral("select count(*) from RDB$USER_PRIVILEGES where RDB$USER = ? and RDB$PRIVILEGE <> 'M'"),
            {userName_.toUpper()});
        QCOMPARE(std::get<qint64>(direct.front()), qint64(0));
    }

    // What the user may not do, even with the module's role: read or change the users, write the
    // tables the module only reads, and change or delete the payables the finance module took over.
    void theUserIsRefusedWhatTheModuleDoesNotDo_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("read the users") << "select USUARIO, SENHA, ACESSO from USUARIOS";
        QTest::newRow("give a user rights") << "update USUARIOS set ACESSO = 'X'";
        QTest::newRow("add a user") << "insert into USUARIOS (USUARIO, SENHA) values ('AAAA', 'BB')";
        QTest::newRow("delete a workstation") << "delete from ESTACOES";
        QTest::newRow("delete stock movements") << "delete from MOVEST";
        QTest::newRow("delete a product") << "delete from COMPONEN";
        QTest::newRow("delete a taken-over payable") << "delete from CTAPAGAR where CODCTAPAGAR = 9001";
        QTest::newRow("change a taken-over payable") << "update CTAPAGAR set VALOR = 1 where CODCTAPAGAR = 9001";
    }
    void theUserIsRefusedWhatTheModuleDoesNotDo()
    {
        QFETCH(QString, statement);
        FbConnection administrator(admin_.shared);
        administrator.execute(
            QStringLiteral("update or insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) "
                           "values (9001, 'N.Fiscal 1 FINANCEIRO', 50, 'Pago') matching (CODCTAPAGAR)"));
        // The users, workstations and movements, and the taken-over payable.
        const auto state = [&] {
            return administrator.executeRow(QStringLiteral(
                "select (select count(*) from USUARIOS), (select count(*) from ESTACOES), (select count(*) from "
                "MOVEST), (select VALOR from CTAPAGAR where CODCTAPAGAR = 9001) from RDB$DATABASE"));
        };
        const Values before = state();
        FbConnection withRole(asModuleUser(admin_.shared, password_));
        withRole.setRole(schema::kModuleRole);
        QVERIFY_THROWS_EXCEPTION(DbError, withRole.execute(statement));
        FbConnection withoutRole(asModuleUser(admin_.shared, password_));
        QVERIFY_THROWS_EXCEPTION(DbError, withoutRole.execute(statement));
        QCOMPARE(state(), before);
    }

    // A payable still "Atualizado (pagar)" is the module's to change; the finance module's own users
    // (who do not connect with the role) change the taken-over ones as before.
    void openPayablesStayTheModules()
    {
        FbConnection administrator(admin_.shared);
        administrator.execute(QStringLiteral("update or insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) "
                                             "values (9002, 'N.Fiscal 2 BALCAO', 50, 'Atualizado (pagar)') matching "
                                             "(CODCTAPAGAR)"));
        FbConnection withRole(asModuleUser(admin_.shared, password_));
        withRole.setRole(schema::kModuleRole);
        QCOMPARE(withRole.execute(QStringLiteral("update CTAPAGAR set VALOR = 60 where CODCTAPAGAR = 9002")), 1u);
        QCOMPARE(withRole.execute(QStringLiteral("delete from CTAPAGAR where CODCTAPAGAR = 9002")), 1u);
        administrator.execute(
            QStringLiteral("update or insert into CTAPAGAR (CODCTAPAGAR, DESCRICAO, VALOR, SITUACAO) "
                           "values (9003, 'N.Fiscal 3 FINANCEIRO', 50, 'Pago') matching (CODCTAPAGAR)"));
        QCOMPARE(administrator.execute(QStringLiteral("update CTAPAGAR set VALOR = 70 where CODCTAPAGAR = 9003")), 1u);
    }

    // A user an earlier version made held every right on every table: running the command again
    // takes them back.
    void aSecondRunTakesBackWhatAnEarlierVersionGranted()
    {
        FbConnection shared(admin_.shared);
        shared.execute(QStringLiteral("grant select, insert, update, delete on USUARIOS to user %1").arg(userName_));
        QCOMPARE(runAdmin({QStringLiteral("dbuser"), QStringLiteral("add"), userName_, password_,
                           QStringLiteral("--server"), testserver::serverAddress()}),
                 int(admin::kSuccess));
        FbConnection withoutRole(asModuleUser(admin_.shared, password_));
        QVERIFY_THROWS_EXCEPTION(DbError, withoutRole.execute(QStringLiteral("select SENHA from USUARIOS")));
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
        renewed.setRole(schema::kModuleRole);
        const Values row = renewed.executeRow(QStringLiteral("select count(*) from NFISCAL"));
        QVERIFY(std::get<qint64>(row.front()) > 0);
    }
};

QTEST_GUILESS_MAIN(TestModuleUser)
#include "tst_moduleuser.moc"
