#include "data/Formats.h"

#include <QtTest>

class TestFormats : public QObject {
    Q_OBJECT

private slots:
    void money_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("thousands") << 1234.56 << "1.234,56";
        QTest::newRow("millions") << 1234567.5 << "1.234.567,50";
        QTest::newRow("small") << 0.05 << "0,05";
        QTest::newRow("negative") << -1234.5 << "-1.234,50";
        QTest::newRow("rounds") << 2.005 << "2,01";
    }
    void money()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(formats::money(value), text);
    }

    void parsesNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<double>("value");
        QTest::newRow("comma") << "1,5" << true << 1.5;
        QTest::newRow("grouped") << "1.234,56" << true << 1234.56;
        QTest::newRow("point") << "1.5" << true << 1.5;
        QTest::newRow("grouped thousands") << "1.234" << true << 1234.0;
        QTest::newRow("grouped millions") << "12.345.678" << true << 12345678.0;
        QTest::newRow("not a grouping") << "0.500" << true << 0.5;
        QTest::newRow("integer") << "12" << true << 12.0;
        QTest::newRow("empty") << "" << false << 0.0;
        QTest::newRow("letters") << "1,5a" << false << 0.0;
        QTest::newRow("two commas") << "1,5,0" << false << 0.0;
    }
    void parsesNumbers()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(double, value);
        const auto n = formats::parseNumber(text);
        QCOMPARE(n.has_value(), ok);
        if (ok)
            QCOMPARE(*n, value);
    }

    void twoDigitYearsSlide_data()
    {
        QTest::addColumn<int>("yy");
        QTest::addColumn<int>("current");
        QTest::addColumn<int>("year");
        QTest::newRow("this century") << 26 << 2026 << 2026;
        QTest::newRow("near future") << 60 << 2026 << 2060;
        QTest::newRow("past") << 80 << 2026 << 1980;
        QTest::newRow("edge") << 76 << 2026 << 2076;
        QTest::newRow("edge past") << 77 << 2026 << 1977;
    }
    void twoDigitYearsSlide()
    {
        QFETCH(int, yy);
        QFETCH(int, current);
        QFETCH(int, year);
        QCOMPARE(formats::expandYear(yy, current), year);
    }

    void parsesDates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::newRow("short year") << "04/03/26" << QDate(2026, 3, 4);
        QTest::newRow("long year") << "31/12/1999" << QDate(1999, 12, 31);
        QTest::newRow("one digit") << "1/2/2003" << QDate(2003, 2, 1);
        QTest::newRow("no such day") << "31/02/26" << QDate();
        QTest::newRow("mask left blank") << "__/__/__" << QDate();
        QTest::newRow("empty") << "" << QDate();
    }
    void parsesDates()
    {
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QCOMPARE(formats::parseDate(text).value_or(QDate()), date);
    }

    void dateTimeTextRoundTrips()
    {
        const QDateTime t(QDate(2026, 12, 9), QTime(23, 5, 7));
        QCOMPARE(formats::dateTimeText(t), QStringLiteral("09/12/2026 23:05:07"));
        QCOMPARE(formats::parseDateTime(formats::dateTimeText(t)).value_or(QDateTime()), t);
        QVERIFY(!formats::parseDateTime(QStringLiteral("ontem")));
    }
};

QTEST_GUILESS_MAIN(TestFormats)
#include "tst_formats.moc"
