#pragma once

#include <QtGlobal>

// How long a connection waits for a server that does not answer, for every connection the
// program makes. Tests shorten them.
//
// The connect timeout bounds the clerk's wait for a silent server, from the start of the call: the
// call is watched after `unansweredCallSeconds`, the server is then given `probeTimeoutSeconds` to
// answer a new connection, and the connection made again after the call was given up gets what is
// left of the connect timeout.
namespace connectionpolicy {

constexpr int kDefaultConnectTimeoutSeconds = 15;
// A call that waited this long for its answer has the server asked whether it still answers (see
// CallWatch); 0 leaves calls unwatched.
constexpr int kDefaultUnansweredCallSeconds = 4;

void setConnectTimeoutSeconds(int seconds);
int connectTimeoutSeconds();
void setUnansweredCallSeconds(int seconds);
int unansweredCallSeconds();

// How long the server of a call that waits is given to answer a new connection.
int probeTimeoutSeconds();
// The connect timeout of the connection made again after a call that began `elapsedMillis` ago
// lost its connection: what is left of the connect timeout, at least one second.
int reconnectTimeoutSeconds(qint64 elapsedMillis);

} // namespace connectionpolicy
