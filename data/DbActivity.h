#pragma once

#include <QString>

#include <functional>

// What the database layer tells the program while it works, without knowing any window: a call
// to the server begins and ends (the window shows the wait cursor meanwhile), and a notice while
// the connection is made again after the server went away. The window installs the hooks; tools
// and tests leave them empty.
namespace dbactivity {

struct Hooks {
    std::function<void()> callBegins;              // the outermost database call begins
    std::function<void()> callEnds;                // ... and ends (also by an error)
    std::function<void(const QString&)> notice;    // shows a notice at once; an empty text hides it
    std::function<void(const QString&)> statement; // a statement is sent to a database
};

void install(Hooks hooks);

// Tells the hook the text of a statement about to be sent.
void statementSent(const QString& sql);

// A notice shown for as long as this lives, however the work it announces ends.
class Notice {
public:
    explicit Notice(const QString& text);
    ~Notice();
    Notice(const Notice&) = delete;
    Notice& operator=(const Notice&) = delete;
};

// Marks one database call; nested calls count as one.
class Call {
public:
    Call();
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
};

} // namespace dbactivity
