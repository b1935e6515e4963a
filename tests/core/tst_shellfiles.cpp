#include "platform/TextFiles.h"
#include "shell/AccessRights.h"
#include "shell/ErrorLog.h"
#include "shell/InUseStamp.h"

#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(stamp::Verdict)

class TestShellFiles : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }

    static QByteArray readAll(const QString& p)
    {
        QFile f(p);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }

private slots:
    void stampVerdicts_data()
    {
        QTest::addColumn<QString>("content"); // empty: no file
        QTest::addColumn<int>("secondsAgo");
        QTest::addColumn<stamp::Verdict>("verdict");
        QTest::newRow("none") << QString() << 0 << stamp::Verdict::Absent;
        QTest::newRow("30 seconds ago") << "stamp" << 30 << stamp::Verdict::Live;
        QTest::newRow("40 seconds ago") << "stamp" << 40 << stamp::Verdict::Live;
        QTest::newRow("41 seconds ago") << "stamp" << 41 << stamp::Verdict::Stale;
        QTest::newRow("in the future") << "stamp" << -3600 << stamp::Verdict::Live;
        QTest::newRow("unreadable") << "não é uma data" << 0 << stamp::Verdict::Stale;
        QTest::newRow("empty file") << "" << 0 << stamp::Verdict::Stale;
    }
    void stampVerdicts()
    {
        QFETCH(QString, content);
        QFETCH(int, secondsAgo);
        QFETCH(stamp::Verdict, verdict);
        const QString p = path(QStringLiteral("Em_Uso.txt"));
        QFile::remove(p);
        const QDateTime now(QDate(2026, 12, 9), QTime(10, 0, 0));
        if (content == QLatin1String("stamp"))
            stamp::write(p, now.addSecs(-secondsAgo));
        else if (!content.isNull())
            textfile::writeLines(p, {content});
        QCOMPARE(stamp::check(p, now), verdict);
    }

    void stampIsOneDateTimeLine()
    {
        const QString p = path(QStringLiteral("stamp.txt"));
        stamp::write(p, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)));
        QCOMPARE(readAll(p), QByteArray("02/01/2026 03:04:05\r\n"));
        QVERIFY(
            qAbs(stamp::ageUnits(QDateTime(QDate(2026, 1, 1), QTime(0, 0)), QDateTime(QDate(2026, 1, 2), QTime(0, 0))) -
                 84600.0) < 1e-6);
    }

    void activityFileHasDateAndTime()
    {
        const QString p = path(QStringLiteral("ULTATIV.KVX"));
        WriteActivityFile(p, QDateTime(QDate(2026, 12, 9), QTime(7, 8, 9)));
        QCOMPARE(readAll(p), QByteArray("09/12/26\r\n07:08:09\r\n"));
    }

    void writingIntoAMissingFolderFails()
    {
        QVERIFY_THROWS_EXCEPTION(FileError, WriteActivityFile(path(QStringLiteral("nada/ULTATIV.KVX"))));
    }

    void accessRights_data()
    {
        QTest::addColumn<QString>("access");
        QTest::addColumn<bool>("module");
        QTest::addColumn<bool>("financial");
        const QChar m = rights::grantingCharacter(16, u'M');
        const QChar f = rights::grantingCharacter(24, u'M');
        QTest::newRow("both") << QString(15, u'x') + m + QString(7, u'x') + f << true << true;
        QTest::newRow("module only, 16 characters") << QString(15, u'x') + m << true << false;
        QTest::newRow("module only, 23 characters") << QString(15, u'x') + m + QString(7, u'x') << true << false;
        QTest::newRow("too short") << QString(15, u'x') << false << false;
        QTest::newRow("another user's right")
            << QString(15, u'x') + rights::grantingCharacter(16, u'A') << false << false;
    }
    void accessRights()
    {
        QFETCH(QString, access);
        QFETCH(bool, module);
        QFETCH(bool, financial);
        QCOMPARE(rights::holdsModuleRight(access, u'M'), module);
        QCOMPARE(rights::holdsFinancialRight(access, u'M'), financial);
    }

    void rightCharacterWrapsAroundTheByte()
    {
        // 'ÿ' (255) + 17 wraps to 16; subtracting the offset brings it back.
        const QChar c = rights::grantingCharacter(16, QChar(0xFF));
        QCOMPARE(int(c.unicode()), 16);
        QVERIFY(rights::holdsModuleRight(QString(15, u'x') + c, QChar(0xFF)));
    }

    void cnpjPunctuation()
    {
        QCOMPARE(PunctuatedCnpj(QStringLiteral("11222333444455")), QStringLiteral("11.222.333/4444-55"));
        QCOMPARE(PunctuatedCnpj(QString()), QStringLiteral("../-"));
    }

    void errorLogAppendsOneLinePerError()
    {
        const QString p = path(QStringLiteral("erros.log"));
        const QDateTime t(QDate(2026, 12, 9), QTime(8, 0, 0));
        AppendErrorLog(p, QStringLiteral("MARIA"), QStringLiteral("01"), QStringLiteral("linha 1\nlinha 2"), t);
        AppendErrorLog(p, QStringLiteral("MARIA"), QStringLiteral("01"), QStringLiteral("Ação"), t);
        const QByteArray expected =
            "09/12/2026 08:00:00 | Usu\xE1rio: MARIA | Esta\xE7\xE3o: 01 | linha 1 / linha 2\r\n"
            "09/12/2026 08:00:00 | Usu\xE1rio: MARIA | Esta\xE7\xE3o: 01 | A\xE7\xE3o\r\n";
        QCOMPARE(readAll(p), expected);
    }
};

QTEST_GUILESS_MAIN(TestShellFiles)
#include "tst_shellfiles.moc"
