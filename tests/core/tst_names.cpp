#include "data/AsciiCase.h"
#include "entry/ProductNames.h"
#include "entry/UnitConversion.h"
#include "nfe/NameNormalization.h"

#include <QtTest>

class TestNames : public QObject {
    Q_OBJECT

private slots:
    void normalizesNames_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("suffix S.A. and blanks") << "DROGARIA  BOA   VIDA S.A."
                                                << "Drogaria Boa Vida S/A";
        QTest::newRow("DO dropped in the middle") << "LABORATORIO DE ANALISES DO BRASIL LTDA"
                                                  << "Laboratorio de Analises Brasil Ltda";
        QTest::newRow("e kept, SA suffix") << "COMERCIAL E IMPORTADORA X SA"
                                           << "Comercial e Importadora X S/A";
        QTest::newRow("S /A") << "EMPRESA S /A"
                              << "Empresa S/A";
        QTest::newRow("S A") << "EMPRESA S A"
                             << "Empresa S/A";
        QTest::newRow("two words keep DA") << "DA SILVA"
                                           << "da Silva";
        QTest::newRow("accents keep their case") << "JOSÉ DA SILVA"
                                                 << "JosÉ da Silva";
        QTest::newRow("only blanks") << "   "
                                     << "";
        QTest::newRow("control characters trimmed") << "\t ACME\r\n"
                                                    << "Acme";
        QTest::newRow("apostrophe") << "FARMACIA D'ÁVILA"
                                    << "Farmacia D'Ávila";
        QTest::newRow("last word never dropped") << "CASA DO PAO DE"
                                                 << "Casa do Pao de";
    }
    void normalizesNames()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(NormalizeName(input), expected);
    }

    void normalizesProductNames_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("expected");
        QTest::newRow("capitals") << "ACIDO FOLICO"
                                  << "Acido folico";
        QTest::newRow("vitamin") << "vitamina b12 10mg"
                                 << "Vitamina B12 10mg";
        QTest::newRow("vitamin upper") << "VITAMINA C"
                                       << "Vitamina C";
        QTest::newRow("accent keeps case") << "ÁGUA DESTILADA"
                                           << "Água destilada";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("vitamina alone") << "VITAMINA"
                                        << "Vitamina";
    }
    void normalizesProductNames()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QCOMPARE(NormalizeProductName(input), expected);
    }

    void convertsUnits_data()
    {
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("purchase");
        QTest::addColumn<double>("factor");
        // The whole table, in both letter cases.
        const struct {
            const char* stock;
            const char* purchase;
            double factor;
        } table[] = {
            {"KG", "G", 0.001},   {"G", "MG", 0.001},  {"MG", "MCG", 0.001}, {"MIL", "UN", 0.001},
            {"ML", "MCL", 0.001}, {"L", "ML", 0.001},  {"G", "KG", 1000},    {"MG", "G", 1000},
            {"MCG", "MG", 1000},  {"UN", "MIL", 1000}, {"MCL", "ML", 1000},  {"ML", "L", 1000},
            {"KG", "MG", 1e-6},   {"G", "MCG", 1e-6},  {"MG", "KG", 1e6},    {"MCG", "G", 1e6},
        };
        for (const auto& row : table) {
            const QString stock = QLatin1String(row.stock), purchase = QLatin1String(row.purchase);
            QTest::addRow("%s from %s", row.stock, row.purchase) << stock << purchase << row.factor;
            QTest::addRow("%s from %s, small letters", row.stock, row.purchase)
                << ascii::lower(stock) << ascii::lower(purchase) << row.factor;
        }
        QTest::newRow("mixed letter case") << "Kg"
                                           << "g" << 0.001;
        QTest::newRow("same unit") << "L"
                                   << "L" << 1.0;
        QTest::newRow("same unit KG") << "KG"
                                      << "KG" << 1.0;
        QTest::newRow("un and another unit") << "UN"
                                             << "CX" << 1.0;
        QTest::newRow("unrelated") << "L"
                                   << "KG" << 1.0;
        QTest::newRow("empty stock unit") << ""
                                          << "kg" << 1.0;
        QTest::newRow("empty purchase unit") << "g"
                                             << "" << 1.0;
    }
    void convertsUnits()
    {
        QFETCH(QString, stock);
        QFETCH(QString, purchase);
        QFETCH(double, factor);
        QCOMPARE(UnitConversionFactor(stock, purchase), factor);
    }

    void caseChangesOnlyAtoZ()
    {
        QCOMPARE(ascii::upper(QStringLiteral("ação ç")), QStringLiteral("AçãO ç"));
        QCOMPARE(ascii::lower(QStringLiteral("AÇÃO")), QStringLiteral("aÇÃo"));
    }
};

QTEST_GUILESS_MAIN(TestNames)
#include "tst_names.moc"
