#include "data/SqlText.h"

#include <QtTest>

class TestSqlText : public QObject {
    Q_OBJECT

private slots:
    void quotesDoubleApostrophes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("literal");
        QTest::newRow("plain") << "SUP"
                               << "'SUP'";
        QTest::newRow("apostrophe") << "D'Ávila"
                                    << "'D''Ávila'";
        QTest::newRow("injection") << "x' or '1'='1"
                                   << "'x'' or ''1''=''1'";
        QTest::newRow("empty") << ""
                               << "''";
    }
    void quotesDoubleApostrophes()
    {
        QFETCH(QString, text);
        QFETCH(QString, literal);
        QCOMPARE(sql::quoted(text), literal);
    }

    void writesDatesMonthFirst()
    {
        QCOMPARE(sql::dateLiteral(QDate(2026, 3, 4)), QStringLiteral("'03/04/26'"));
        QCOMPARE(sql::dateLiteral(QDate(1999, 12, 31)), QStringLiteral("'12/31/99'"));
    }

    void writesNumbersWithAPoint()
    {
        QCOMPARE(sql::number(1234.5), QStringLiteral("1234.50"));
        QCOMPARE(sql::number(Decimal{115, 2}), QStringLiteral("1.15"));
        QCOMPARE(sql::number(Decimal{12345, 3}), QStringLiteral("12.35"));
        QCOMPARE(sql::number(-0.004), QStringLiteral("0.00"));
    }
};

QTEST_GUILESS_MAIN(TestSqlText)
#include "tst_sqltext.moc"
