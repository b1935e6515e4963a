#pragma once

#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"
#include "tests/support/TestDatabase.h"

#include <QStringList>

#include <memory>

// The data module of one workstation, built as the program builds it: on the shared and the
// workstation database, sharing `session` with whoever else uses it. No window is needed.
namespace testdm {

inline std::unique_ptr<TDM> open(const FbConnection::Params& shared, const FbConnection::Params& workstation,
                                 SessionState& session)
{
    return std::make_unique<TDM>(shared, workstation, session);
}

inline std::unique_ptr<TDM> open(const TestDatabase& db, SessionState& session)
{
    return open(db.sharedParams(), db.workstationParams(), session);
}

// What the rules of a data module tell the clerk, in order, while it lives.
class Messages {
public:
    explicit Messages(TDM& dm)
        : listening_(dm.rules().messageRaised.add([this](const QString& text) { texts << text; }))
    {
    }

    QStringList texts;

private:
    ListenerHandle listening_;
};

} // namespace testdm
