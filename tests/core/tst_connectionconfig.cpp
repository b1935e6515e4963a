#include "data/DbError.h"
#include "purchase/ConnectionConfig.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestConnectionConfig : public QObject {
    Q_OBJECT

private slots:
    void sharedDatabaseName_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("expected");
        QTest::newRow("host") << "192.168.0.10"
                              << "192.168.0.10:C:\\korvanis\\dados\\korvanis.bd";
        QTest::newRow("host and port") << "localhost/30533"
                                       << "localhost/30533:C:\\korvanis\\dados\\korvanis.bd";
        // The settings file keeps at most 60 characters: the name then has exactly 90.
        QTest::newRow("60-character host fits")
            << QString(60, u'h') << QString(60, u'h') + ":C:\\korvanis\\dados\\korvanis.bd";
        QTest::newRow("longer name cut to 90")
            << QString(65, u'h') << QString(65, u'h') + ":C:\\korvanis\\dados\\korvan";
        QTest::newRow("no server: embedded file") << ""
                                                  << "/pasta/produto/dados/korvanis.bd";
    }
    void sharedDatabaseName()
    {
        QFETCH(QString, server);
        QFETCH(QString, expected);
        QCOMPARE(SharedDatabaseName(server, QStringLiteral("/pasta/produto")), expected);
    }

    void workstationDatabaseName_data()
    {
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("expected");
        QTest::newRow("before login: code empty") << "srv"
                                                  << ""
                                                  << "srv:C:\\korvanis\\interfac\\korvanis.bd";
        QTest::newRow("workstation 01") << "srv"
                                        << "01"
                                        << "srv:C:\\korvanis\\interfac01\\korvanis.bd";
        QTest::newRow("no server: embedded file") << ""
                                                  << ""
                                                  << "/pasta/produto/interfac/korvanis.bd";
    }
    void workstationDatabaseName()
    {
        QFETCH(QString, server);
        QFETCH(QString, code);
        QFETCH(QString, expected);
        QCOMPARE(WorkstationDatabaseName(server, code, QStringLiteral("/pasta/produto")), expected);
    }

    void clientLibraryFromLocationFile_data()
    {
        QTest::addColumn<QByteArray>("contents"); // empty: no file at all
        QTest::addColumn<QString>("expected");
        QTest::newRow("no file") << QByteArray() << "";
        QTest::newRow("folder") << QByteArray("D:\\Cliente\r\n") << "D:\\Cliente\\GDS32.DLL";
        QTest::newRow("folder with backslash") << QByteArray("D:\\Cliente\\") << "D:\\Cliente\\GDS32.DLL";
        QTest::newRow("empty first line") << QByteArray("\r\nD:\\Outra\r\n") << "";
        QTest::newRow("only the first line") << QByteArray("C:\\A\nC:\\B\n") << "C:\\A\\GDS32.DLL";
        QTest::newRow("first 100 characters") << QByteArray(120, 'x') << QString(100, u'x') + "\\GDS32.DLL";
        QTest::newRow("Windows-1252 folder") << QByteArray("C:\\Farm\xE1"
                                                           "cia")
                                             << QStringLiteral("C:\\Farmácia\\GDS32.DLL");
    }
    void clientLibraryFromLocationFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("CaminhoGDS.txt"));
        if (!contents.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        QCOMPARE(ClientLibraryFromLocationFile(path), expected);
    }

    void credentialsComeFromTheEnvironment()
    {
        {
            ScopedEnv user("ISC_USER", "ADMIN");
            ScopedEnv password("ISC_PASSWORD", "s3gr3d0");
            const ConnectionConfig c = ComposeConnections(QStringLiteral("srv"), {}, {}, {});
            QCOMPARE(c.shared.user, QStringLiteral("ADMIN"));
            QCOMPARE(c.shared.password, QStringLiteral("s3gr3d0"));
            QCOMPARE(c.workstation.user, QStringLiteral("ADMIN"));
            QCOMPARE(c.workstation.password, QStringLiteral("s3gr3d0"));
        }
        const ScopedEnv user = ScopedEnv::unset("ISC_USER");
        const ScopedEnv password = ScopedEnv::unset("ISC_PASSWORD");
        const ConnectionConfig c = ComposeConnections(QStringLiteral("srv"), {}, {}, {});
        QCOMPARE(c.shared.user, QStringLiteral("SYSDBA"));
        QVERIFY(c.shared.password.isEmpty());
    }

    void clientLibraryAppearsOnlyInTheSharedDatabasesFailure()
    {
        QTemporaryDir dir;
        const QString location = dir.filePath(QStringLiteral("CaminhoGDS.txt"));
        QFile f(location);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("D:\\Cliente\r\n");
        f.close();

        const ConnectionConfig c = ComposeConnections(QStringLiteral("srv"), {}, dir.path(), location);
        QCOMPARE(c.clientLibrary, QStringLiteral("D:\\Cliente\\GDS32.DLL"));
        const DbError error(QStringLiteral("Unable to complete network request to host \"srv\".\n-Failed"), -902);

        const QString shared = ConnectionFailureMessage(c.shared.database, error, c);
        QCOMPARE(shared,
                 QStringLiteral("Não foi possível abrir o banco de dados \"srv:C:\\korvanis\\dados\\korvanis.bd\"."
                                "\r\rUnable to complete network request to host \"srv\".\r-Failed"
                                "\r\rBiblioteca cliente indicada em CaminhoGDS.txt: D:\\Cliente\\GDS32.DLL"));
        const QString workstation = ConnectionFailureMessage(c.workstation.database, error, c);
        QVERIFY(!workstation.contains(QStringLiteral("GDS32.DLL")));

        const ConnectionConfig noFile = ComposeConnections(QStringLiteral("srv"), {}, dir.path(), {});
        QCOMPARE(noFile.clientLibrary, kDefaultClientLibrary);
        QVERIFY(
            !ConnectionFailureMessage(noFile.shared.database, error, noFile).contains(QStringLiteral("Biblioteca")));
    }

    void emptyServerAddressOpensTheEmbeddedDatabases()
    {
        TestDatabase db;
        const ConnectionConfig c = ComposeConnections(QString(), QString(), db.productFolder(), {});
        FbConnection shared(c.shared);
        FbConnection workstation(c.workstation);
        shared.open();
        workstation.open();
        QVERIFY(shared.isOpen());
        QVERIFY(workstation.isOpen());
    }

    void missingEmbeddedDatabaseIsNamedInTheMessage()
    {
        QTemporaryDir dir;
        const ConnectionConfig c = ComposeConnections(QString(), QString(), dir.path(), {});
        FbConnection shared(c.shared);
        try {
            shared.open();
            QFAIL("opened a database that does not exist");
        } catch (const DbError& e) {
            QCOMPARE(e.sqlcode(), DbError::kCannotOpen);
            const QString message = ConnectionFailureMessage(c.shared.database, e, c);
            QVERIFY2(message.contains(dir.path() + QStringLiteral("/dados/korvanis.bd")), qPrintable(message));
            QVERIFY2(message.contains(QStringLiteral("I/O error")), qPrintable(message));
        }
    }
};

QTEST_GUILESS_MAIN(TestConnectionConfig)
#include "tst_connectionconfig.moc"
