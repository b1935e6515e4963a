#include "admin/AdminCommands.h"
#include "data/DbError.h"
#include "data/FbConnection.h"
#include "platform/ProductFolder.h"
#include "shell/BackupStatus.h"
#include "tests/support/AdminRun.h"
#include "tests/support/ScopedEnv.h"

#include <QtTest>

#include <atomic>
#include <thread>

#include <unistd.h>

namespace {

using Outcome = AdminOutcome;

FbConnection::Params local(const QString& path)
{
    return {path, QStringLiteral("SYSDBA"), {}};
}

qint64 count(FbConnection& c, const QString& sql)
{
    return std::get<qint64>(c.executeRow(sql).front());
}

QStringList userTables(FbConnection& c)
{
    QStringList tables;
    auto cursor = c.openCursor(
        QStringLiteral("select trim(RDB$RELATION_NAME) from RDB$RELATIONS where coalesce(RDB$SYSTEM_FLAG, 0) = 0 "
                       "and RDB$VIEW_BLR is null order by 1"));
    while (cursor->fetch())
        tables << cursor->text(0);
    return tables;
}

QStringList backupFiles(const QString& folder, const QString& label)
{
    QStringList names = QDir(folder).entryList({label + QStringLiteral("-*.fbk")}, QDir::Files, QDir::Name);
    return names;
}

// Inserts numbered rows, each committed on its own, until told to stop.
class Writer {
public:
    explicit Writer(const FbConnection::Params& database) : connection_(database)
    {
        thread_ = std::thread([this] {
            try {
                for (qint64 n = 1; !stop_; ++n) {
                    connection_.execute(QStringLiteral("insert into GRAVACAO (N) values (?)"), {n});
                    committed_ = n;
                }
            } catch (const DbError& e) {
                error_ = e.message();
                failed_ = true;
            }
        });
    }
    ~Writer() { stop(); }
    qint64 committed() const { return committed_; }
    bool failed() const { return failed_; }
    // Meaningful once stopped.
    QString error() const { return error_; }
    void stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

private:
    FbConnection connection_;
    std::atomic<bool> stop_{false};
    std::atomic<qint64> committed_{0};
    std::atomic<bool> failed_{false};
    QString error_;
    std::thread thread_;
};

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> folder;
    std::optional<ScopedEnv> productFolder;

    QString inFolder(const QString& name) const { return folder->filePath(name); }

private slots:
    void init()
    {
        folder = std::make_unique<QTemporaryDir>();
        productFolder.emplace("KORVANIS_DIR", QFile::encodeName(folder->path()));
    }
    void cleanup()
    {
        productFolder.reset();
        folder.reset();
    }

    // The backup is one consistent snapshot: rows committed before it started are all there, and
    // what the writer committed meanwhile is there as an unbroken run or not at all.
    void backupWhileWritingRestoresEveryRow()
    {
        QCOMPARE(runAdmin({QStringLiteral("demo")}).code, 0);
        const FbConnection::Params shared = local(productfolder::sharedDatabase());
        std::map<QString, qint64> before;
        {
            FbConnection c(shared);
            c.execute(QStringLiteral("create table GRAVACAO (N bigint not null primary key)"));
            for (const QString& table : userTables(c))
                before[table] = count(c, QStringLiteral("select count(*) from ") + table);
        }

        Writer writer(shared);
        while (writer.committed() < 20 && !writer.failed())
            std::this_thread::yield();
        const qint64 committedBeforeBackup = writer.committed();
        const Outcome backup = runAdmin({QStringLiteral("backup")});
        writer.stop();
        QVERIFY2(!writer.failed(), qPrintable(writer.error()));
        QVERIFY2(backup.code == 0, qPrintable(backup.err));

        const QString backups = inFolder(QStringLiteral("backups"));
        const QStringList files = backupFiles(backups, QStringLiteral("dados"));
        QCOMPARE(files.size(), 1);
        QCOMPARE(backupFiles(backups, QStringLiteral("interfac")).size(), 1);
        const QString restoredPath = inFolder(QStringLiteral("restaurado/korvanis.bd"));
        const Outcome restore = runAdmin(
            {QStringLiteral("restore"), QDir(backups).filePath(files.front()), QStringLiteral("--to"), restoredPath});
        QVERIFY2(restore.code == 0, qPrintable(restore.err));

        FbConnection restored(local(restoredPath));
        QCOMPARE(userTables(restored).size(), qsizetype(before.size()));
        for (const auto& [table, rows] : before) {
            if (table == QLatin1String("GRAVACAO"))
                continue;
            QVERIFY2(count(restored, QStringLiteral("select count(*) from ") + table) == rows, qPrintable(table));
        }
        const Values written = restored.executeRow(QStringLiteral("select count(*), min(N), max(N) from GRAVACAO"));
        const qint64 rows = std::get<qint64>(written.at(0));
        QVERIFY2(rows >= committedBeforeBackup, qPrintable(QString::number(rows)));
        QCOMPARE(std::get<qint64>(written.at(1)), qint64(1));
        QCOMPARE(std::get<qint64>(written.at(2)), rows);
    }

    void unwritableFolderFailsWithExitOne_data()
    {
        QTest::addColumn<bool>("fileInTheWay");
        QTest::newRow("a file where the folder should be") << true;
        QTest::newRow("a folder without write permission") << false;
    }
    void unwritableFolderFailsWithExitOne()
    {
        QFETCH(bool, fileInTheWay);
        QCOMPARE(runAdmin({QStringLiteral("init")}).code, 0);
        QString target;
        if (fileInTheWay) {
            QFile blocker(inFolder(QStringLiteral("arquivo")));
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            target = inFolder(QStringLiteral("arquivo/backups"));
        } else {
            if (geteuid() == 0)
                QSKIP("root writes into any folder");
            target = inFolder(QStringLiteral("somente-leitura"));
            QVERIFY(QDir().mkpath(target));
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ExeOwner);
        }
        const Outcome o = runAdmin({QStringLiteral("backup"), QStringLiteral("--to"), target});
        QCOMPARE(o.code, 1);
        QVERIFY2(o.err.contains(QStringLiteral("Não foi possível gravar na pasta de backup")), qPrintable(o.err));
        QVERIFY2(o.err.contains(QStringLiteral("Nenhum backup foi feito")), qPrintable(o.err));

        // The window learns of the failure at the next login.
        const QString warning = backupstatus::warningFor(backupstatus::read(), QDateTime::currentDateTime());
        QVERIFY2(warning.contains(QStringLiteral("falhou")) && warning.contains(target), qPrintable(warning));
        QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    // Only the backups of the databases backed up are counted and removed; other files stay.
    void keepTwoLeavesTheNewestTwo()
    {
        QCOMPARE(runAdmin({QStringLiteral("init")}).code, 0);
        const QString backups = inFolder(QStringLiteral("copias"));
        QVERIFY(QDir().mkpath(backups));
        for (const QString& other : {QStringLiteral("notas.txt"), QStringLiteral("dados-antigo.fbk")}) {
            QFile f(QDir(backups).filePath(other));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QStringList lastTwo;
        for (int run = 0; run < 3; ++run) {
            const Outcome o =
                runAdmin({QStringLiteral("backup"), QStringLiteral("--to"), backups, QStringLiteral("--keep"), "2"});
            QVERIFY2(o.code == 0, qPrintable(o.err));
            const QStringList written = o.out.split(QLatin1Char('\n')).filter(QStringLiteral("dados-"));
            QCOMPARE(written.size(), 1);
            lastTwo << QFileInfo(written.front().section(QStringLiteral(": "), 1)).fileName();
        }
        // Two runs in the same second differ by a sequence number, which sorts apart from the name.
        lastTwo = lastTwo.mid(1);
        QStringList left = backupFiles(backups, QStringLiteral("dados"));
        QVERIFY(left.removeOne(QStringLiteral("dados-antigo.fbk")));
        left.sort();
        lastTwo.sort();
        QCOMPARE(left, lastTwo);
        QCOMPARE(backupFiles(backups, QStringLiteral("interfac")).size(), 2);
        QVERIFY(QFileInfo::exists(QDir(backups).filePath(QStringLiteral("notas.txt"))));
    }

    // A restore never writes over a database unless told to, and then keeps the old file.
    void restoreKeepsAnExistingDatabase()
    {
        QCOMPARE(runAdmin({QStringLiteral("init")}).code, 0);
        const QString backups = inFolder(QStringLiteral("backups"));
        QCOMPARE(runAdmin({QStringLiteral("backup")}).code, 0);
        const QString file = QDir(backups).filePath(backupFiles(backups, QStringLiteral("dados")).front());
        const QString live = productfolder::sharedDatabase();
        {
            FbConnection c(local(live));
            c.execute(QStringLiteral("insert into UNIDADES (UNIDADE) values ('zz')"));
        }
        const auto unitsIn = [](const QString& path) {
            FbConnection c(local(path));
            return count(c, QStringLiteral("select count(*) from UNIDADES where UNIDADE = 'zz'"));
        };

        const Outcome refused = runAdmin({QStringLiteral("restore"), file, QStringLiteral("--to"), live});
        QCOMPARE(refused.code, 1);
        QVERIFY2(refused.err.contains(QStringLiteral("--replace")), qPrintable(refused.err));
        QCOMPARE(unitsIn(live), qint64(1));

        const Outcome replaced =
            runAdmin({QStringLiteral("restore"), file, QStringLiteral("--to"), live, QStringLiteral("--replace")});
        QVERIFY2(replaced.code == 0, qPrintable(replaced.err));
        QCOMPARE(unitsIn(live), qint64(0));
        const QStringList kept =
            QDir(QFileInfo(live).absolutePath()).entryList({QStringLiteral("korvanis.bd.anterior-*")}, QDir::Files);
        QCOMPARE(kept.size(), 1);
        QCOMPARE(unitsIn(QFileInfo(live).absoluteDir().filePath(kept.front())), qint64(1));
    }

    void restoreRefusesAMissingBackup()
    {
        const Outcome o = runAdmin({QStringLiteral("restore"), inFolder(QStringLiteral("nada.fbk")),
                                    QStringLiteral("--to"), inFolder(QStringLiteral("novo.bd"))});
        QCOMPARE(o.code, 1);
        QVERIFY(!QFileInfo::exists(inFolder(QStringLiteral("novo.bd"))));
    }

    // ---- The warning at login -------------------------------------------------------------------

    void warningAtLogin_data()
    {
        QTest::addColumn<bool>("succeeded");
        QTest::addColumn<int>("daysAgo");
        QTest::addColumn<QString>("expected"); // empty: no warning
        QTest::newRow("backup of yesterday") << true << 1 << QString();
        QTest::newRow("backup of 7 days ago") << true << 7 << QString();
        QTest::newRow("backup of 8 days ago") << true << 8 << QStringLiteral("há 8 dias");
        QTest::newRow("failed today") << false << 0 << QStringLiteral("falhou:\rdisco cheio");
    }
    void warningAtLogin()
    {
        QFETCH(bool, succeeded);
        QFETCH(int, daysAgo);
        QFETCH(QString, expected);
        const QDateTime now(QDate(2026, 12, 11), QTime(9, 0));
        const QString backups = inFolder(QStringLiteral("backups"));
        if (succeeded)
            backupstatus::recordSuccess(backups, now.addDays(-daysAgo));
        else
            backupstatus::recordFailure(backups, QStringLiteral("disco cheio"), now.addDays(-daysAgo));
        const QString warning = backupstatus::takeDailyWarning(now);
        if (expected.isEmpty()) {
            QVERIFY2(warning.isEmpty(), qPrintable(warning));
            return;
        }
        QVERIFY2(warning.contains(expected) && warning.contains(backups), qPrintable(warning));
        QVERIFY(backupstatus::takeDailyWarning(now.addSecs(3600)).isEmpty());
        QCOMPARE(backupstatus::takeDailyWarning(now.addDays(1)).isEmpty(), false);
    }

    void noWarningBeforeAnyBackup() { QVERIFY(backupstatus::takeDailyWarning(QDateTime::currentDateTime()).isEmpty()); }

    // A failure after a good backup still tells when the last good one was made.
    void failureKeepsTheLastGoodBackup()
    {
        const QDateTime good(QDate(2026, 12, 1), QTime(21, 0));
        backupstatus::recordSuccess(inFolder(QStringLiteral("b")), good);
        backupstatus::recordFailure(inFolder(QStringLiteral("b")), QStringLiteral("x"), good.addDays(1));
        const std::optional<backupstatus::Record> record = backupstatus::read();
        QVERIFY(record);
        QVERIFY(!record->succeeded);
        QCOMPARE(record->lastSuccess, good);
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
