#include "shell/Credential.h"

#include <QtTest>

class TestCredential : public QObject {
    Q_OBJECT

private slots:
    void encodes_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("A") << "A"
                           << "AK";
        QTest::newRow("ABC") << "ABC"
                             << "BKBCAK";
        QTest::newRow("lower case differs") << "abc"
                                            << "BLBDAL";
        QTest::newRow("32 characters") << QString(32, u'X') << "";
        QTest::newRow("64 characters") << QString(64, u'Q') << "";
        QTest::newRow("33 characters like the first alone") << QStringLiteral("A") + QString(32, u'Z') << "AK";
        // Ç is the byte 0xC7 = 11000111; rotated by three: 00111110 = 0x3E.
        QTest::newRow("accented byte") << QStringLiteral("Ç") << "DO";
        // A zero byte is a byte like any other: 00000000 00000000 rotated stays zero.
        QTest::newRow("zero bytes") << QString(2, QChar(0)) << "AAAA";
    }
    void encodes()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(EncodeCredential(input), expected);
    }

    void outputHasTwoLettersPerCharacter()
    {
        for (int n = 0; n < 70; ++n) {
            const QString out = EncodeCredential(QString(n, u'M'));
            QCOMPARE(out.size(), 2 * (n % 32));
            for (QChar c : out)
                QVERIFY(c >= u'A' && c <= u'P');
        }
        // A 15-character name fills USUARIOS.USUARIO (30 characters) exactly.
        QCOMPARE(EncodeCredential(QStringLiteral("FARMACEUTICA123")).size(), 30);
    }

    void noTwoCharactersShareAnEncoding()
    {
        // Names that differ in one character must never be stored alike: every byte value has an
        // encoding of its own.
        QHash<QString, int> seen;
        for (int b = 0; b < 256; ++b) {
            const QString out = EncodeCredential(QString(QChar(char16_t(b))));
            QVERIFY2(!seen.contains(out),
                     qPrintable(QStringLiteral("%1 e %2 dão %3").arg(seen.value(out)).arg(b).arg(out)));
            seen.insert(out, b);
        }
    }
};

QTEST_GUILESS_MAIN(TestCredential)
#include "tst_credential.moc"
