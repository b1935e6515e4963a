#pragma once

#include <QString>
#include <QStringList>

// The workstation's small text files (stamp, activity, logs) are Windows-1252 text.
namespace textfile {

// The first line (without its line end), at most `maxChars` characters; nullopt-like empty
// result with `ok` false when the file cannot be read.
QString readFirstLine(const QString& path, int maxChars, bool* ok = nullptr);
// Rewrites the file with the lines, each ended by `lineEnd`. Throws FileError on failure.
void writeLines(const QString& path, const QStringList& lines, const QString& lineEnd = QStringLiteral("\r\n"));
// Appends the lines, each ended by `lineEnd`. Throws FileError on failure.
void appendLines(const QString& path, const QStringList& lines, const QString& lineEnd = QStringLiteral("\r\n"));

} // namespace textfile

// A workstation file could not be written or read.
class FileError : public std::runtime_error {
public:
    explicit FileError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};
