#include "data/Win1252.h"
#include "shell/Dialogs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TestDatabase.h"
#include "window/StartUp.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kServerLabel = QStringLiteral("IP DO SERVIDOR CENTRAL.........................:");
const QString kColourLabel = QStringLiteral("COR DE FUNDO DAS TELAS.........................:");

void writeSettings(const QString& folder, const QStringList& lines)
{
    QFile ini(folder + QLatin1Char('/') + kSettingsFileName);
    if (!ini.open(QIODevice::WriteOnly))
        QFAIL("cannot write KORVANIS.INI");
    for (const QString& line : lines)
        ini.write(win1252::encode(line) + "\r\n");
}

} // namespace

class TestStartUp : public QObject {
    Q_OBJECT

private:
    RecordingDialogs* dialogs = nullptr;
    QTemporaryDir programFolder;
    std::unique_ptr<ScopedEnv> productFolder;

    // The product folder the program will use.
    void useProductFolder(const QString& folder)
    {
        productFolder = std::make_unique<ScopedEnv>("KORVANIS_DIR", QFile::encodeName(folder));
    }

private slots:
    void init()
    {
        auto recorder = std::make_unique<RecordingDialogs>();
        dialogs = recorder.get();
        Dialogs::install(std::move(recorder));
        QFile::remove(programFolder.filePath(kSettingsFileName));
    }
    void cleanup()
    {
        Dialogs::install(nullptr);
        productFolder.reset();
    }

    void missingSettingsFileEndsTheProgram()
    {
        StartUp startUp(programFolder.path());
        QCOMPARE(startUp.run(), StartUp::Outcome::NoSettingsFile);
        QCOMPARE(dialogs->messages, QStringList{kSettingsFileMissingMessage});
        QVERIFY(StartUp::exitCode(StartUp::Outcome::NoSettingsFile) != 0);
    }

    void emptyServerAddressOpensTheEmbeddedDatabases()
    {
        TestDatabase db;
        useProductFolder(db.productFolder());
        writeSettings(programFolder.path(), {kServerLabel + QLatin1Char(' ')});
        StartUp startUp(programFolder.path());
        QCOMPARE(startUp.run(), StartUp::Outcome::Connected);
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(startUp.shared().isOpen());
        QVERIFY(startUp.workstation().isOpen());
    }

    void badColourIsReportedAndTheStartGoesOn()
    {
        TestDatabase db;
        useProductFolder(db.productFolder());
        writeSettings(programFolder.path(), {kColourLabel + QStringLiteral(" cinza")});
        StartUp startUp(programFolder.path());
        QCOMPARE(startUp.run(), StartUp::Outcome::Connected);
        QCOMPARE(dialogs->messages, QStringList{QStringLiteral("'cinza' não é um valor inteiro válido")});
        QCOMPARE(startUp.settings().WindowColour, LocalSettings::kButtonFaceColour);
    }

    void missingDatabaseIsNamedAndEndsTheProgram()
    {
        QTemporaryDir emptyProductFolder;
        useProductFolder(emptyProductFolder.path());
        writeSettings(programFolder.path(), {kServerLabel + QLatin1Char(' ')});
        StartUp startUp(programFolder.path());
        QCOMPARE(startUp.run(), StartUp::Outcome::NoDatabase);
        QCOMPARE(dialogs->messages.size(), 1);
        const QString message = dialogs->messages.first();
        QVERIFY2(message.startsWith(QStringLiteral("Não foi possível abrir o banco de dados \"") +
                                    emptyProductFolder.path() + QStringLiteral("/dados/korvanis.bd\".\r\r")),
                 qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("I/O error")), qPrintable(message));
        QVERIFY(StartUp::exitCode(StartUp::Outcome::NoDatabase) != 0);
    }
};

QTEST_MAIN(TestStartUp)
#include "tst_startup.moc"
