#pragma once

#include <QString>

// The workstation's local settings, read from KORVANIS.INI in the program's folder.
struct LocalSettings {
    // The system button-face colour in the window-colour encoding (0xFF0000nn: system colour nn).
    static constexpr qint32 kButtonFaceColour = -16777201;

    QString ServerAddress;                   // at most 60 characters; empty: embedded databases
    qint32 WindowColour = kButtonFaceColour; // 0x00BBGGRR, or 0xFF0000nn for a system colour
    QString DefaultStockLocation;            // at most 30 characters
    QString AutoPriceUpdate;                 // at most 30 characters; exactly "Sim" switches it on
    QString ProgramFolder;                   // executable's folder with its separator, at most 60 characters
    QString NfeInboxFolder;                  // at most 60 characters; where the NF-e files arrive

    bool autoPriceUpdateOn() const { return AutoPriceUpdate == QLatin1String("Sim"); }
};

// What reading the settings file came to. The reader shows nothing: the program decides.
struct LocalSettingsResult {
    enum class Outcome {
        Read,            // the whole file was read
        FileMissing,     // no KORVANIS.INI: the program must not start
        ConversionError, // a colour that is not a whole number: reading stopped there
    };

    Outcome outcome = Outcome::Read;
    QString error; // the conversion error's text
    LocalSettings settings;
};

inline const QString kSettingsFileName = QStringLiteral("KORVANIS.INI");
inline const QString kSettingsFileMissingMessage =
    QStringLiteral("Arquivo KORVANIS.INI não encontrado. Execute o programa Ustreno.exe para criá-lo.");

// The executable's folder with a trailing separator, kept to its first 60 characters. A longer
// folder is cut, and the settings file is then looked for (and not found) in the cut folder.
QString ProgramFolderOf(const QString& executableFolder);

// Reads KORVANIS.INI from the folder of the running executable.
LocalSettingsResult ReadLocalSettings();
// Reads KORVANIS.INI from the given executable folder (cut as `ProgramFolderOf` does).
LocalSettingsResult ReadLocalSettingsFrom(const QString& executableFolder);
// Applies the lines of a settings file to `result.settings`: UTF-8 when the bytes are valid UTF-8
// (a byte-order mark is skipped), Windows-1252 otherwise.
void ApplySettingsLines(const QByteArray& fileContents, LocalSettingsResult& result);
