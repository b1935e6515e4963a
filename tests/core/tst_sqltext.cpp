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

    void writesDatesMonthFirstWithTheWholeYear_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("literal");
        QTest::newRow("this century") << QDate(2026, 3, 4) << "'03/04/2026'";
        QTest::newRow("last century") << QDate(1999, 12, 31) << "'12/31/1999'";
        QTest::newRow("past the 50-year window") << QDate(2099, 12, 31) << "'12/31/2099'";
        QTest::newRow("far off") << QDate(9999, 12, 31) << "'12/31/9999'";
    }
    void writesDatesMonthFirstWithTheWholeYear()
    {
        QFETCH(QDate, date);
        QTEST(sql::dateLiteral(date), "literal");
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
