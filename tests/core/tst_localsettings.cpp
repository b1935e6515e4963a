#include "data/Win1252.h"
#include "shell/LocalSettings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kServer = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
const QString kColour = QStringLiteral("COR DE FUNDO DAS TELAS.........................:");
const QString kStock = QStringLiteral("LABORATORIO PADRAO.............................:");
const QString kPrice = QStringLiteral("ATUALIZAR PRECO AUTOMATICAM. AO CADASTRAR A NF.:");

// A settings line as the set-up tool writes it: label, a blank in column 49, the value.
QString line(const QString& label, const QString& value)
{
    return label + QLatin1Char(' ') + value;
}

QByteArray file(const QStringList& lines, const char* lineEnd = "\r\n")
{
    QByteArray out;
    for (const QString& l : lines)
        out += win1252::encode(l) + lineEnd;
    return out;
}

// The same lines saved as UTF-8 by a text editor, with or without the byte-order mark.
QByteArray utf8File(const QStringList& lines, bool byteOrderMark = false)
{
    QByteArray out = byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    for (const QString& l : lines)
        out += l.toUtf8() + "\r\n";
    return out;
}

using Outcome = LocalSettingsResult::Outcome;

} // namespace

class TestLocalSettings : public QObject {
    Q_OBJECT

private slots:
    void readsLines_data()
    {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<QString>("server");
        QTest::addColumn<int>("colour");
        QTest::addColumn<QString>("stock");
        QTest::addColumn<QString>("price");
        QTest::addColumn<bool>("conversionError");

        const int buttonFace = LocalSettings::kButtonFaceColour;
        const QString logLine =
            line(QStringLiteral("LOG ATIVADO....................................:"), QStringLiteral("Sim"));

        QTest::newRow("all settings, other lines skipped")
            << file({logLine, line(kServer, "192.168.0.10"), line(kColour, "16777215"), line(kStock, "MATRIZ"),
                     line(kPrice, "Sim")})
            << "192.168.0.10" << 16777215 << "MATRIZ"
            << "Sim" << false;
        QTest::newRow("absent lines keep the defaults") << file({logLine}) << "" << buttonFace << ""
                                                        << "" << false;
        QTest::newRow("line ends LF only")
            << file({line(kServer, "srv"), line(kStock, "LOJA 2")}, "\n") << "srv" << buttonFace << "LOJA 2"
            << "" << false;
        QTest::newRow("label in lower case is not recognised")
            << file({line(kServer.toLower(), "srv")}) << "" << buttonFace << ""
            << "" << false;
        // One dot too few: the colon falls in column 47 and the value's first character in column 48.
        QTest::newRow("label one dot short is not recognised")
            << file({QStringLiteral("IP DO SERVIDOR CENTRAL........................: srv")}) << "" << buttonFace << ""
            << "" << false;
        QTest::newRow("line shorter than the label is skipped") << file({kServer.left(40)}) << "" << buttonFace << ""
                                                                << "" << false;
        QTest::newRow("label without a value gives empty")
            << file({line(kServer, "srv"), kServer}) << "" << buttonFace << ""
            << "" << false;
        QTest::newRow("column 49 is not read") << file({kServer + QStringLiteral("Xsrv")}) << "srv" << buttonFace << ""
                                               << "" << false;
        QTest::newRow("value cut at character 109")
            << file({line(kServer, QString(58, u'a') + QStringLiteral("bcdef"))})
            << QString(58, u'a') + QStringLiteral("bc") << buttonFace << ""
            << "" << false;
        QTest::newRow("blanks trimmed, tabs left out")
            << file({line(kServer, "   srv   "), line(kStock, "\tLOJA\t ")}) << "srv" << buttonFace << "LOJA"
            << "" << false;
        QTest::newRow("value beyond character 109 is lost")
            << file({line(kStock, QString(60, u' ') + QStringLiteral("XY"))}) << "" << buttonFace << ""
            << "" << false;
        QTest::newRow("stock location and price switch cut to 30")
            << file({line(kStock, QString(35, u'L')), line(kPrice, QString(35, u'S'))}) << "" << buttonFace
            << QString(30, u'L') << QString(30, u'S') << false;
        QTest::newRow("last of two lines wins")
            << file({line(kServer, "first"), line(kColour, "1"), line(kServer, "second"), line(kColour, "2")})
            << "second" << 2 << ""
            << "" << false;
        QTest::newRow("system colour is negative") << file({line(kColour, "-16777201")}) << "" << -16777201 << ""
                                                   << "" << false;
        QTest::newRow("accented stock location in Windows-1252")
            << file({line(kStock, QStringLiteral("MANIPULAÇÃO"))}) << "" << buttonFace << QStringLiteral("MANIPULAÇÃO")
            << "" << false;
        QTest::newRow("accented stock location in UTF-8")
            << utf8File({line(kStock, QStringLiteral("Laboratório"))}) << "" << buttonFace
            << QStringLiteral("Laboratório") << "" << false;
        QTest::newRow("UTF-8 with a byte-order mark on the first line")
            << utf8File({line(kStock, QStringLiteral("Manipulação")), line(kServer, "srv")}, true) << "srv"
            << buttonFace << QStringLiteral("Manipulação") << "" << false;
        // Columns count characters: a two-byte letter moves no value, and the cut to 30 falls after it.
        QTest::newRow("UTF-8 letter counts as one character")
            << utf8File({line(kStock, QStringLiteral("Ó") + QString(29, u'a') + QStringLiteral("b"))}) << ""
            << buttonFace << QStringLiteral("Ó") + QString(29, u'a') << "" << false;
        QTest::newRow("colour not a number stops reading, earlier lines kept")
            << file({line(kServer, "srv"), line(kColour, "branco"), line(kStock, "LOJA")}) << "srv" << buttonFace << ""
            << "" << true;
        QTest::newRow("colour with a blank inside")
            << file({line(kColour, "16 777"), line(kServer, "srv")}) << "" << buttonFace << ""
            << "" << true;
        QTest::newRow("control characters left out of texts")
            << file({line(kServer, QStringLiteral("srv\t01")), line(kStock, QStringLiteral("Lab") + QChar(0) + "1")})
            << "srv01" << buttonFace << "Lab1"
            << "" << false;
        QTest::newRow("colour with a tab") << file({line(kColour, "\t255")}) << "" << buttonFace << ""
                                           << "" << true;
        QTest::newRow("colour beyond 32 bits") << file({line(kColour, "4294967295")}) << "" << buttonFace << ""
                                               << "" << true;
        QTest::newRow("empty colour") << file({kColour}) << "" << buttonFace << ""
                                      << "" << true;
        QTest::newRow("earlier colour kept after a bad one")
            << file({line(kColour, "255"), line(kColour, "x")}) << "" << 255 << ""
            << "" << true;
    }
    void readsLines()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, server);
        QFETCH(int, colour);
        QFETCH(QString, stock);
        QFETCH(QString, price);
        QFETCH(bool, conversionError);

        LocalSettingsResult result;
        ApplySettingsLines(contents, result);
        QCOMPARE(result.settings.ServerAddress, server);
        QCOMPARE(result.settings.WindowColour, colour);
        QCOMPARE(result.settings.DefaultStockLocation, stock);
        QCOMPARE(result.settings.AutoPriceUpdate, price);
        QCOMPARE(result.outcome, conversionError ? Outcome::ConversionError : Outcome::Read);
        QCOMPARE(result.error.isEmpty(), !conversionError);
    }

    // The folder the NF-e files arrive in, as the README's label writes it.
    void readsTheNfeInboxFolder()
    {
        LocalSettingsResult result;
        ApplySettingsLines(file({line(QStringLiteral("PASTA DE ENTRADA DAS NF-E......................:"),
                                      QStringLiteral("/home/maria/NFe"))}),
                           result);
        QCOMPARE(result.settings.NfeInboxFolder, QStringLiteral("/home/maria/NFe"));
    }

    void conversionErrorNamesTheValue()
    {
        LocalSettingsResult result;
        ApplySettingsLines(file({line(kColour, "azul")}), result);
        QCOMPARE(result.error, QStringLiteral("'azul' não é um valor inteiro válido"));
    }

    void onlySimSwitchesPriceUpdateOn_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("on");
        QTest::newRow("Sim") << "Sim" << true;
        QTest::newRow("SIM") << "SIM" << false;
        QTest::newRow("sim") << "sim" << false;
        QTest::newRow("Não") << QStringLiteral("Não") << false;
        QTest::newRow("empty") << "" << false;
    }
    void onlySimSwitchesPriceUpdateOn()
    {
        QFETCH(QString, value);
        QFETCH(bool, on);
        LocalSettingsResult result;
        ApplySettingsLines(file({line(kPrice, value)}), result);
        QCOMPARE(result.settings.autoPriceUpdateOn(), on);
    }

    void programFolderEndsWithOneSeparator()
    {
        QCOMPARE(ProgramFolderOf(QStringLiteral("/opt/korvanis/bin")), QStringLiteral("/opt/korvanis/bin/"));
        QCOMPARE(ProgramFolderOf(QStringLiteral("/opt/korvanis/bin/")), QStringLiteral("/opt/korvanis/bin/"));
    }

    void readsTheFileOfTheProgramFolder()
    {
        QTemporaryDir dir;
        QFile ini(dir.filePath(kSettingsFileName));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(file({line(kServer, "servidor"), line(kColour, "65535")}));
        ini.close();

        const LocalSettingsResult result = ReadLocalSettingsFrom(dir.path());
        QCOMPARE(result.outcome, Outcome::Read);
        QCOMPARE(result.settings.ServerAddress, QStringLiteral("servidor"));
        QCOMPARE(result.settings.WindowColour, 65535);
        QCOMPARE(result.settings.ProgramFolder, dir.path() + QLatin1Char('/'));
    }

    void missingFileIsReported()
    {
        QTemporaryDir dir;
        const LocalSettingsResult result = ReadLocalSettingsFrom(dir.path());
        QCOMPARE(result.outcome, Outcome::FileMissing);
        QCOMPARE(kSettingsFileMissingMessage,
                 QStringLiteral("Arquivo KORVANIS.INI não encontrado. Execute o programa Ustreno.exe para criá-lo."));
    }

    void longProgramFolderIsCutAndTheFileNotFound()
    {
        QTemporaryDir dir;
        const QString deep = dir.filePath(QString(70, u'p'));
        QVERIFY(QDir().mkpath(deep));
        QFile ini(deep + QLatin1Char('/') + kSettingsFileName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write(file({line(kServer, "servidor")}));
        ini.close();

        const LocalSettingsResult result = ReadLocalSettingsFrom(deep);
        QCOMPARE(result.settings.ProgramFolder.size(), 60);
        QCOMPARE(result.settings.ProgramFolder, (deep + QLatin1Char('/')).left(60));
        QCOMPARE(result.outcome, Outcome::FileMissing);
    }
};

QTEST_GUILESS_MAIN(TestLocalSettings)
#include "tst_localsettings.moc"
