#pragma once

#include "purchase/ConnectionConfig.h"
#include "shell/LocalSettings.h"

#include <memory>

// The program's start before any window: the settings file, then the data module's connections.
// Every failure is shown to the clerk through the message service and ends the start cleanly.
class StartUp {
public:
    enum class Outcome {
        Connected,      // both databases are open
        NoSettingsFile, // KORVANIS.INI missing: the program ends
        NoDatabase,     // a database could not be opened: the program ends
    };

    // Exit codes of the program for each outcome.
    static int exitCode(Outcome outcome);

    // `executableFolder` is where KORVANIS.INI is looked for.
    explicit StartUp(QString executableFolder);
    ~StartUp();

    Outcome run();

    const LocalSettings& settings() const { return settings_; }
    const ConnectionConfig& connections() const { return connections_; }
    FbConnection& shared() { return *shared_; }
    FbConnection& workstation() { return *workstation_; }

private:
    bool open(FbConnection& connection) const;

    QString executableFolder_;
    LocalSettings settings_;
    ConnectionConfig connections_;
    std::unique_ptr<FbConnection> shared_;
    std::unique_ptr<FbConnection> workstation_;
};
