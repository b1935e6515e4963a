#pragma once

#include <functional>

namespace Firebird {
class IAttachment;
}

// Watches the calls a connection makes to a server. A call that has waited for its answer longer
// than `connectionpolicy::unansweredCallSeconds()` makes the watch ask the server, on a connection
// of its own, whether it still answers: a server that is busy answers at once, and the call goes on
// waiting. A server that does not answer within `connectionpolicy::probeTimeoutSeconds()` (stopped,
// frozen, or cut off by the network without the connection noticing) has the waiting call cut off
// on this side, so that it fails as a lost connection instead of holding the program for ever.
namespace callwatch {

// Tries a new connection to the server; true when the server answered (even with a refusal).
using Probe = std::function<bool()>;

// The attachment `owner` calls through from now on, and how to ask its server; `owner` is the
// connection. Attachments to a local file are not watched.
void watch(const void* owner, Firebird::IAttachment* attachment, Probe probe);
// Before the attachment of `owner` is detached or released.
void unwatch(const void* owner);

// Marks a call of `owner` in progress; nested calls count as one.
class Busy {
public:
    explicit Busy(const void* owner);
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    const void* owner_;
};

} // namespace callwatch
