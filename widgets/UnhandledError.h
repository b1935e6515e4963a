#pragma once

#include <QString>

#include <exception>
#include <functional>

// Where an error ends that no handler of the program caught: the clerk sees its text and the event
// in which it arose stops there; nothing already written is undone. The controls of this folder
// report through here; the application installs its own reporter (which also keeps a log).
using ErrorReporter = std::function<void(const std::exception&)>;

// The text the clerk sees: the server's or the conversion's own message.
QString ErrorText(const std::exception& error);

void ReportUnhandledError(const std::exception& error);
// An empty reporter restores the default one, which shows the text in a message box.
void SetErrorReporter(ErrorReporter reporter);

// Runs `action`; an error it raises is reported and false returned.
template <typename Action> bool RunGuarded(Action&& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        ReportUnhandledError(e);
        return false;
    }
}

// Reports an error later, from the event loop: for errors raised while focus is moving, so that
// the message box does not open in the middle of the focus change.
void ReportLater(const std::exception_ptr& error);
