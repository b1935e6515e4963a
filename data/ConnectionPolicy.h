#pragma once

// How long a connection waits for a server that does not answer, for every connection the
// program makes. Tests shorten them.
namespace connectionpolicy {

constexpr int kDefaultConnectTimeoutSeconds = 15;
// A call that waited this long for its answer has the server asked whether it still answers (see
// CallWatch); 0 leaves calls unwatched.
constexpr int kDefaultUnansweredCallSeconds = 10;

void setConnectTimeoutSeconds(int seconds);
int connectTimeoutSeconds();
void setUnansweredCallSeconds(int seconds);
int unansweredCallSeconds();

} // namespace connectionpolicy
