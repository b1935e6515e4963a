#pragma once

#include "data/FbConnection.h"
#include "data/Value.h"

#include <QDateTime>
#include <QString>

#include <memory>

// The command object (`SQLQuery1`): a statement whose text is composed at run time, usually one
// aggregate row ("select Max(CODIGO) as UltCod from NFiscal") read by its column aliases, or a
// forward-only walk over a few rows. Fields read as the cached datasets' fields do.
class SqlCommand {
public:
    SqlCommand(QString name, FbConnection& connection);
    ~SqlCommand();
    SqlCommand(const SqlCommand&) = delete;
    SqlCommand& operator=(const SqlCommand&) = delete;

    const QString& name() const { return name_; }
    FbConnection& connection() const { return connection_; }

    QString text() const { return text_; }
    void setText(const QString& sql); // only while closed; throws DatasetError otherwise
    void open();                      // runs the statement and stands on its first row
    void close();
    bool isOpen() const { return open_; }

    bool eof() const { return row_.empty(); } // no row (left)
    void next();

    bool hasField(const QString& alias) const;
    Value value(const QString& alias) const; // throws std::out_of_range when absent
    bool isNull(const QString& alias) const;
    QString asText(const QString& alias) const;
    qint64 asInteger(const QString& alias) const;
    double asFloat(const QString& alias) const;
    QDateTime asDateTime(const QString& alias) const;

    // Close, set the text, open, read one field of the first row, close.
    Value single(const QString& sql, const QString& alias);

private:
    void fetch();

    QString name_;
    FbConnection& connection_;
    QString text_;
    bool open_ = false;
    std::unique_ptr<FbCursor> cursor_;
    RowLayout layout_;
    Values row_;
};
