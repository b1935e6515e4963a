#include "platform/ProductFolder.h"
#include "tests/support/ScopedEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

class TestProductFolder : public QObject {
    Q_OBJECT

private slots:
    void folderComesFromKorvanisDir()
    {
        ScopedEnv dir("KORVANIS_DIR", "/srv/farmacia/korvanis/");
        QCOMPARE(productfolder::path(), QStringLiteral("/srv/farmacia/korvanis"));
        QCOMPARE(productfolder::inUseStamp(), QStringLiteral("/srv/farmacia/korvanis/Em_Uso.txt"));
        QCOMPARE(productfolder::reportProject(), QStringLiteral("/srv/farmacia/korvanis/rpt/rptNFiscal.xml"));
        QCOMPARE(productfolder::workstationDatabase(), QStringLiteral("/srv/farmacia/korvanis/interfac/korvanis.bd"));

        const ScopedEnv noDir = ScopedEnv::unset("KORVANIS_DIR");
        QCOMPARE(productfolder::path(), QDir::homePath() + QStringLiteral("/.local/share/korvanis"));
    }

    void lockFolderMovesOnlyWhenTheDefaultCannotBeWritten()
    {
        QTemporaryDir dir;
        ScopedEnv productDir("KORVANIS_DIR", QFile::encodeName(dir.path()));
        const ScopedEnv noLock = ScopedEnv::unset("FIREBIRD_LOCK");

        // A writable default stays in use.
        QVERIFY(productfolder::useOwnLockFolderIfNeeded(dir.filePath(QStringLiteral("tmp/firebird"))).isEmpty());
        QVERIFY(!qEnvironmentVariableIsSet("FIREBIRD_LOCK"));

        // A default that cannot be created (its parent is a plain file) moves into the product folder.
        QFile plain(dir.filePath(QStringLiteral("plain")));
        QVERIFY(plain.open(QIODevice::WriteOnly));
        plain.close();
        const QString blocked = dir.filePath(QStringLiteral("plain/firebird"));
        const QString own = productfolder::useOwnLockFolderIfNeeded(blocked);
        QCOMPARE(own, dir.filePath(QStringLiteral("firebird-lock")));
        QVERIFY(QFileInfo(own).isDir());
        QCOMPARE(qEnvironmentVariable("FIREBIRD_LOCK"), own);

        // A lock folder chosen by the user is never replaced.
        ScopedEnv userLock("FIREBIRD_LOCK", "/var/tmp/meu-lock");
        QVERIFY(productfolder::useOwnLockFolderIfNeeded(blocked).isEmpty());
        QCOMPARE(qEnvironmentVariable("FIREBIRD_LOCK"), QStringLiteral("/var/tmp/meu-lock"));
    }
};

QTEST_GUILESS_MAIN(TestProductFolder)
#include "tst_productfolder.moc"
