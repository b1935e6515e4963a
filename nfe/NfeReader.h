#pragma once

#include "nfe/NfeDocument.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The outcome of reading an NF-e: `ok` when the document holds an invoice the import can take;
// `messages` are what the clerk is told, in order (a warning that lets the read go on, then the
// error that ended it).
struct NfeReadResult {
    bool ok = false;
    QStringList messages;
};

// The layout nests its elements fewer than 10 levels deep, and an authorised NF-e is far smaller
// than this: a file past either limit is refused before its tree is built.
constexpr int kMaxNfeDepth = 64;
constexpr qint64 kMaxNfeBytes = 16 * 1024 * 1024;

// Reads an NF-e into `doc` (which is cleared first). Elements are matched by their local name,
// whatever their namespace; the encoding the document declares is honoured. A read that ends on
// an error leaves in `doc` what was read before it.
NfeReadResult ReadNfe(const QByteArray& xml, NfeDocument& doc);
NfeReadResult ReadNfeFile(const QString& path, NfeDocument& doc);
// The same, keeping the file's bytes in `content` for the checks that need them as they stand.
NfeReadResult ReadNfeFile(const QString& path, NfeDocument& doc, QByteArray& content);

// "yyyy-mm-dd", with or without time and zone, as "dd/mm/yyyy"; any other text unchanged.
QString NfeDateToText(const QString& text);
