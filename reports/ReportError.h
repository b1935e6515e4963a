#pragma once

#include <QString>

#include <stdexcept>

// A report that cannot run: the project file missing or malformed, a report or a data connection
// it does not know. The message names the file and is shown as it stands.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};
