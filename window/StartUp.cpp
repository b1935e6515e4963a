#include "window/StartUp.h"

#include "data/DbError.h"
#include "platform/ProductFolder.h"
#include "shell/Dialogs.h"

int StartUp::exitCode(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Connected:
        return 0;
    case Outcome::NoSettingsFile:
        return 1;
    case Outcome::NoDatabase:
        return 2;
    }
    return 2;
}

StartUp::StartUp(QString executableFolder) : executableFolder_(std::move(executableFolder)) {}

StartUp::~StartUp() = default;

StartUp::Outcome StartUp::run()
{
    const LocalSettingsResult read = ReadLocalSettingsFrom(executableFolder_);
    settings_ = read.settings;
    if (read.outcome == LocalSettingsResult::Outcome::FileMissing) {
        ShowMessage(kSettingsFileMissingMessage);
        return Outcome::NoSettingsFile;
    }
    // A colour that is not a number is reported; the program goes on with what was read before it.
    if (read.outcome == LocalSettingsResult::Outcome::ConversionError)
        ShowMessage(read.error);

    productfolder::useOwnLockFolderIfNeeded();
    connections_ = DataModuleConnections(settings_.ServerAddress);
    shared_ = std::make_unique<FbConnection>(connections_.shared);
    workstation_ = std::make_unique<FbConnection>(connections_.workstation);
    if (!open(*shared_) || !open(*workstation_))
        return Outcome::NoDatabase;
    return Outcome::Connected;
}

// On failure the clerk sees which database could not be opened and the server's own text.
bool StartUp::open(FbConnection& connection) const
{
    try {
        connection.open();
        return true;
    } catch (const DbError& e) {
        ShowMessage(ConnectionFailureMessage(connection.params().database, e, connections_));
        return false;
    }
}
