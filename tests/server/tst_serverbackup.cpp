#include "admin/AdminCommands.h"
#include "data/FbConnection.h"
#include "tests/support/TestServer.h"

#include <QtTest>

// Backups of a database on a server, read over the network by gbak while a workstation keeps its
// connection and writes, restored through the server under a new name.
class TestServerBackup : public QObject {
    Q_OBJECT

private:
    static int runAdmin(const QStringList& args, QString* err = nullptr)
    {
        QString o;
        QString e;
        QTextStream out(&o);
        QTextStream errors(&e);
        const int code = admin::run(args, out, errors);
        errors.flush();
        if (err)
            *err = e;
        return code;
    }

private slots:
    void backupWhileConnectedAndRestoreUnderANewName()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("gbak")).isEmpty())
            QSKIP("gbak (firebird3.0-utils) is not installed");
        QVERIFY(testserver::removeDatabases());
        const QString shared = testserver::serverAddress() + QStringLiteral(":C:\\korvanis\\dados\\korvanis.bd");
        QCOMPARE(runAdmin({QStringLiteral("init"), QStringLiteral("--database"), shared}), 0);

        FbConnection workstation({shared, FbConnection::defaultUser(), FbConnection::defaultPassword()});
        for (const QString& unit : {QStringLiteral("aa"), QStringLiteral("bb"), QStringLiteral("cc")})
            workstation.execute(QStringLiteral("insert into UNIDADES (UNIDADE) values (?)"), {unit});

        QTemporaryDir backups;
        QString err;
        QVERIFY2(runAdmin({QStringLiteral("backup"), QStringLiteral("--database"), shared, QStringLiteral("--to"),
                           backups.path()},
                          &err) == 0,
                 qPrintable(err));
        workstation.execute(QStringLiteral("insert into UNIDADES (UNIDADE) values ('dd')"));
        const QStringList files = QDir(backups.path()).entryList({QStringLiteral("korvanis-*.fbk")}, QDir::Files);
        QCOMPARE(files.size(), 1);

        const QString restored = testserver::serverAddress() + QLatin1Char(':') +
                                 QDir(testserver::folder()).filePath(QStringLiteral("restaurado.fdb"));
        QVERIFY2(runAdmin({QStringLiteral("restore"), QDir(backups.path()).filePath(files.front()),
                           QStringLiteral("--to"), restored},
                          &err) == 0,
                 qPrintable(err));
        FbConnection check({restored, FbConnection::defaultUser(), FbConnection::defaultPassword()});
        QCOMPARE(std::get<qint64>(check.executeRow(QStringLiteral("select count(*) from UNIDADES")).front()),
                 qint64(3));
        check.dropDatabase();
    }
};

QTEST_GUILESS_MAIN(TestServerBackup)
#include "tst_serverbackup.moc"
