#pragma once

#include "data/Decimal.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>

// The stock-entry log LOGESTLOTE.TXT of the product folder: a human-readable history of every lot
// created and every quantity entered into stock. Windows-1252 text, lines ended by CR LF; the file
// only grows. A new file starts with one header line.
class StockEntryLog {
public:
    static const QString kHeaderLine;

    // What a record tells of one entry: the movement just written and its lot.
    struct Entry {
        QString lotProductCode;
        QString description;
        QString lot;
        QString supplier;
        QDate expiry;
        QString location;
        QString invoiceNumber;
        Decimal quantity; // in the lot's unit
        QString lotUnit;
    };

    explicit StockEntryLog(QString path);

    const QString& path() const { return path_; }

    // Creates the file with its header line when it does not exist, and makes sure it can be
    // appended to; throws FileError with the reason otherwise.
    void prepare() const;
    // Appends the lines (each ended by CR LF); throws FileError.
    void append(const QStringList& lines) const;

    // The record of a new lot, and the record of a stock entry, each ending with a line of three
    // blanks. `now` gives Data/Hora.
    static QStringList NewLotRecord(const Entry& entry, const QDateTime& now);
    static QStringList StockEntryRecord(const Entry& entry, const QDateTime& now);

private:
    QString path_;
};
