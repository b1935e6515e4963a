#pragma once

#include "data/FbConnection.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <vector>

// Rows for one table, given column by column and written in chunks: each chunk is one
// transaction (FbConnection::executeMany), so loading many rows costs few commits. Inside a chunk
// the rows travel many at a time, as the parameters of one EXECUTE BLOCK of several inserts: one
// call to the engine stores a whole group.
class BatchInsert {
public:
    BatchInsert(FbConnection& connection, const QString& table, const QString& columnList, int chunkSize = 40000);

    // Starts a new row whose columns are all NULL.
    void begin();
    // Sets a column of the row being built; an unknown column name is a programming error.
    void set(const QString& column, Value value);
    // Ends the row; a full chunk is written at once.
    void end();
    // Writes the rows not written yet.
    void finish();

    qint64 written() const { return written_; }
    // Called after each chunk with the number of rows written so far.
    std::function<void(qint64)> onProgress;

    // "insert into TABLE (columns) values (?, ?, ...)".
    static QString statement(const QString& table, const QString& columnList);
    // An EXECUTE BLOCK that inserts `rows` rows into TABLE, taking their values as parameters in
    // row order (each typed as its column).
    static QString blockStatement(const QString& table, const QStringList& columns, int rows);

private:
    void flush();
    int rowsPerBlock();

    FbConnection& connection_;
    QString table_;
    QStringList columns_;
    QHash<QString, int> index_;
    std::size_t chunkSize_;
    int rowsPerBlock_ = 0; // 0 until the row size is known
    std::vector<Values> rows_;
    Values current_;
    qint64 written_ = 0;
};
