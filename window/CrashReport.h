#pragma once

struct SessionState;

// The program's one reporter of errors that no handler caught: the clerk sees the error's own
// text, and a line with date, time, user, workstation and that text is appended to erros.log in
// the product folder. `session` must outlive the program's event loop.
void InstallCrashReporter(const SessionState& session);
