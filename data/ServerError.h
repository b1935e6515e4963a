#pragma once

#include "data/DbError.h"

#include <vector>

class CachedDataset;

// A DbError raised by the server, with the error codes of its status vector (isc_... numbers,
// the most general first) and whether the connection was lost while a commit was on its way.
class ServerError : public DbError {
public:
    ServerError(const QString& message, int sqlcode, std::vector<long> codes);

    const std::vector<long>& codes() const { return codes_; }
    bool outcomeUnknown() const { return outcomeUnknown_; }
    void setOutcomeUnknown() { outcomeUnknown_ = true; }

private:
    std::vector<long> codes_;
    bool outcomeUnknown_ = false;
};

namespace dberror {

// The server's error codes of any DbError (none for the program's own errors).
std::vector<long> codes(const DbError& error);
bool hasCode(const DbError& error, long code);
// The server went away: the network failed, the server was stopped or the attachment was shut down.
bool connectionLost(const DbError& error);
// The connection was lost during a commit: the work may or may not be stored.
bool outcomeUnknown(const DbError& error);

} // namespace dberror

// The first refusal of the dataset's last `applyUpdates`, with the server's codes (an error of
// SQLCODE 0 and no text when nothing was refused).
ServerError LastApplyFailure(const CachedDataset& dataset);
