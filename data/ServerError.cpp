#include "data/ServerError.h"

#include <ibase.h>

#include <algorithm>

ServerError::ServerError(const QString& message, int sqlcode, std::vector<long> codes)
    : DbError(message, sqlcode), codes_(std::move(codes))
{
}

namespace dberror {

std::vector<long> codes(const DbError& error)
{
    if (const auto* server = dynamic_cast<const ServerError*>(&error))
        return server->codes();
    if (dynamic_cast<const EncodingError*>(&error))
        return {isc_transliteration_failed};
    return {};
}

bool hasCode(const DbError& error, long code)
{
    const std::vector<long> all = codes(error);
    return std::find(all.begin(), all.end(), code) != all.end();
}

bool connectionLost(const DbError& error)
{
    static const long lost[] = {isc_network_error,      isc_net_read_err, isc_net_write_err, isc_conn_lost,
                                isc_lost_db_connection, isc_shutdown,     isc_att_shutdown};
    const std::vector<long> all = codes(error);
    return std::any_of(all.begin(), all.end(),
                       [](long code) { return std::find(std::begin(lost), std::end(lost), code) != std::end(lost); });
}

bool outcomeUnknown(const DbError& error)
{
    const auto* server = dynamic_cast<const ServerError*>(&error);
    return server && server->outcomeUnknown();
}

} // namespace dberror
