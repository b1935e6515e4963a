#pragma once

// How long a connection waits for a server that does not answer, for every connection the
// program makes. Tests shorten it.
namespace connectionpolicy {

constexpr int kDefaultConnectTimeoutSeconds = 15;

void setConnectTimeoutSeconds(int seconds);
int connectTimeoutSeconds();

} // namespace connectionpolicy
