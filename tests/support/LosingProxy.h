#pragma once

#include "data/FbConnection.h"

#include <QString>

#include <memory>

// A TCP relay between the program and the private test server that can lose the server's answer
// to a commit, every time and at the same point: the server has stored the work, the program never
// hears of it.
//
// It listens on 127.0.0.1 on a free port and forwards bytes both ways without reading them (the
// wire protocol may be encrypted). Once armed with a condition ("the write is stored"), it holds
// back each chunk the server sends and, before forwarding it, checks the condition on a connection
// of its own, straight to the server. When the condition holds, the program's connection is cut
// instead of the chunk forwarded, and the relay disarms. The program cannot send its commit before
// it has the previous answer, so the chunk held when the condition first holds is the commit's
// answer: no sleeps, no timing.
//
// The relay runs in a thread of its own (the test's thread waits inside the client library while
// the relay works). Its check uses the Firebird interfaces directly, with objects of that thread
// only: FbConnection and the datasets keep process-wide state for one thread.
class LosingProxy {
public:
    // `serverAddress` is "host/PORT" of the server (testserver::serverAddress()); `check` names the
    // database the condition is checked on, by the server's own address.
    LosingProxy(const QString& serverAddress, FbConnection::Params check);
    ~LosingProxy();
    LosingProxy(const LosingProxy&) = delete;
    LosingProxy& operator=(const LosingProxy&) = delete;

    // "127.0.0.1/PORT": a server address whose connections pass through the relay.
    QString address() const;
    // The database `database` ("host/PORT:name") as reached through the relay.
    QString relayed(const QString& database) const;

    // From now on, cuts the connection instead of forwarding the first answer sent once `condition`
    // holds: a SELECT of one row whose first column, read as an integer, is not zero.
    void loseAnswerOnceStored(const QString& condition);
    // True once an answer was lost (the relay is then disarmed).
    bool answerLost() const;
    // The error of the last check, empty when the checks worked; a failing check forwards the answer.
    QString checkError() const;

private:
    class Relay;
    std::unique_ptr<Relay> relay_;
};
