#pragma once

#include <functional>

// Makes SIGINT (Ctrl+C) and SIGTERM end the event loop, so the program closes its connections and
// ends as on a normal exit. The Firebird client library installs handlers of its own at its first
// attachment, which shut its attachments down and leave the program running on dead connections;
// call this after the first attachment so that these handlers are replaced.
void QuitOnTerminationSignals();

// What a termination signal does, on the event loop's thread; an empty handler (the default) ends
// the event loop. The window puts its own ending here, which also settles dialogs left open.
void SetTerminationHandler(std::function<void()> handler);
