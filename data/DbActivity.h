#pragma once

#include <QString>

#include <functional>

// What the database layer tells the program while it works, without knowing any window: a call
// to the server begins and ends (the window shows the wait cursor meanwhile), and a notice while
// the connection is made again after the server went away. The window installs the hooks; tools
// and tests leave them empty.
namespace dbactivity {

struct Hooks {
    std::function<void()> callBegins; // the outermost database call begins
    std::function<void()> callEnds;   // ... and ends (also by an error)
    std::function<void(const QString&)> notice;
};

void install(Hooks hooks);
void notice(const QString& text);

// Marks one database call; nested calls count as one.
class Call {
public:
    Call();
    ~Call();
    Call(const Call&) = delete;
    Call& operator=(const Call&) = delete;
};

} // namespace dbactivity
