#pragma once

// Makes SIGINT (Ctrl+C) and SIGTERM end the event loop, so the program closes its connections and
// ends as on a normal exit. The Firebird client library installs handlers of its own at its first
// attachment, which shut its attachments down and leave the program running on dead connections;
// call this after the first attachment so that these handlers are replaced.
void QuitOnTerminationSignals();
