#pragma once

#include <QByteArray>
#include <QString>

// The database, the settings file and the workstation's text files all hold Windows-1252 text.
// This is the one conversion between that code page and QString.
namespace win1252 {

// Decodes bytes; every byte maps to one character (the five unassigned bytes keep their code).
QString decode(const char* data, qsizetype size);
inline QString decode(const QByteArray& bytes)
{
    return decode(bytes.constData(), bytes.size());
}

// True when every character of the text has a Windows-1252 byte.
bool canEncode(const QString& text);

// Encodes text; throws EncodingError naming the first character that has no Windows-1252 byte.
QByteArray encode(const QString& text);

} // namespace win1252
