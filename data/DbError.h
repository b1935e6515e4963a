#pragma once

#include <QString>

#include <stdexcept>

// An error of the database: the server's own text and its SQLCODE.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, int sqlcode);

    const QString& message() const { return message_; }
    int sqlcode() const { return sqlcode_; }

    static constexpr int kDuplicateKey = -803;
    static constexpr int kRequiredNull = -625;
    static constexpr int kTruncation = -802;
    static constexpr int kUpdateConflict = -913;
    static constexpr int kCannotOpen = -902;
    // An UPDATE or DELETE of a cached row found no row to change (SQLCODE 100, "no data").
    static constexpr int kRowNotFound = 100;

private:
    QString message_;
    int sqlcode_;
};

// A text holds a character that the database's code page (Windows-1252) cannot store. The
// character is a code point: one outside the basic plane (an emoji) is named whole, not by half.
class EncodingError : public DbError {
public:
    explicit EncodingError(char32_t character);
};

// A value read from a field could not be converted to the type asked for.
class ConversionError : public std::runtime_error {
public:
    explicit ConversionError(const QString& message);
    const QString& message() const { return message_; }

private:
    QString message_;
};
