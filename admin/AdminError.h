#pragma once

#include <QString>

#include <stdexcept>

// A refusal of an administration command, with the message the administrator reads.
class AdminError : public std::runtime_error {
public:
    explicit AdminError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};
