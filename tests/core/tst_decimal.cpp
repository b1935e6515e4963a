#include "data/Decimal.h"

#include <QtTest>

#include <functional>
#include <limits>

using Operation = std::function<Decimal()>;
Q_DECLARE_METATYPE(Operation)
Q_DECLARE_METATYPE(Decimal)

namespace {

constexpr qint64 kLargest = std::numeric_limits<qint64>::max();

} // namespace

// Exact numbers never wrap around: a result past 18 digits is refused with the value, where it
// once came back as another number (1000000 × 99999999 at five decimals as -92233720368547.75808).
class TestDecimal : public QObject {
    Q_OBJECT

private slots:
    void resultsInRangeAreExact_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("result");
        QTest::newRow("rescaled up") << Operation([] { return Decimal{115, 2}.rescaled(5); }) << "1.15000";
        QTest::newRow("rescaled down, half away from zero") << Operation([] {
            return Decimal{-12345, 3}.rescaled(2);
        }) << "-12.35";
        QTest::newRow("sum") << Operation([] {
            return Decimal{kLargest - 1, 0} + Decimal{1, 0};
        }) << "9223372036854775807";
        QTest::newRow("difference") << Operation([] {
            return Decimal{-kLargest + 1, 0} - Decimal{1, 0};
        }) << "-9223372036854775807";
        QTest::newRow("product at five decimals") << Operation([] {
            return Decimal::product(Decimal{100000, 0}, Decimal{99999999, 0}, 5);
        }) << "9999999900000.00000";
        QTest::newRow("product rounded") << Operation([] {
            return Decimal::product(Decimal{3, 0}, Decimal{3333333333, 10}, 5);
        }) << "1.00000";
        QTest::newRow("shifted") << Operation([] { return Decimal{25, 1}.shifted(3); }) << "2500";
        QTest::newRow("from a double") << Operation([] { return Decimal::fromDouble(0.1 + 0.2, 2); }) << "0.30";
    }
    void resultsInRangeAreExact()
    {
        QFETCH(Operation, operation);
        QTEST(operation().toString(), "result");
    }

    void resultsPastTheRangeAreRefused_data()
    {
        QTest::addColumn<Operation>("operation");
        QTest::addColumn<QString>("value");
        QTest::newRow("rescaled") << Operation([] {
            return Decimal{184467440737096, 0}.rescaled(5);
        }) << "184467440737096.00000";
        QTest::newRow("sum") << Operation([] { return Decimal{kLargest, 0} + Decimal{1, 0}; }) << "9223372036854775808";
        QTest::newRow("sum at a larger scale") << Operation([] {
            return Decimal{kLargest / 10, 0} + Decimal{1, 2};
        }) << "922337203685477580.01";
        QTest::newRow("difference") << Operation([] {
            return Decimal{-kLargest, 0} - Decimal{1, 0};
        }) << "-9223372036854775808";
        QTest::newRow("product") << Operation([] {
            return Decimal::product(Decimal{1000000, 0}, Decimal{99999999, 0}, 5);
        }) << "99999999000000.00000";
        QTest::newRow("shifted") << Operation([] { return Decimal{kLargest, 0}.shifted(1); }) << "92233720368547758070";
        QTest::newRow("from a double") << Operation([] { return Decimal::fromDouble(1e14, 5); })
                                       << "100000000000000.00000";
        QTest::newRow("from infinity") << Operation([] {
            return Decimal::fromDouble(std::numeric_limits<double>::infinity(), 2);
        }) << "inf";
    }
    void resultsPastTheRangeAreRefused()
    {
        QFETCH(Operation, operation);
        QFETCH(QString, value);
        try {
            const Decimal d = operation();
            QFAIL(qPrintable(QStringLiteral("came back as ") + d.toString()));
        } catch (const DecimalOverflow& e) {
            QCOMPARE(
                e.message(),
                QStringLiteral("O valor %1 é grande demais: um número exato tem no máximo 18 dígitos.").arg(value));
        }
    }

    void valuesFitTheirColumns_data()
    {
        QTest::addColumn<Decimal>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<int>("scale");
        QTest::addColumn<bool>("fits");
        QTest::newRow("largest of DECIMAL(15,5)") << Decimal{999999999999999, 5} << 15 << 5 << true;
        QTest::newRow("one past it") << Decimal{10000000000, 0} << 15 << 5 << false;
        QTest::newRow("negative") << Decimal{-99999999999999, 4} << 15 << 5 << true;
        QTest::newRow("rounded into the last digit") << Decimal{99999999999999999, 7} << 15 << 5 << false;
    }
    void valuesFitTheirColumns()
    {
        QFETCH(Decimal, value);
        QFETCH(int, precision);
        QFETCH(int, scale);
        QTEST(value.fits(precision, scale), "fits");
    }
};

QTEST_GUILESS_MAIN(TestDecimal)
#include "tst_decimal.moc"
