#pragma once

#include "data/FbConnection.h"
#include "data/RowLayout.h"
#include "data/Value.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <stdexcept>

class ServerError;

// A cached dataset used the wrong way: a field written outside edit or insert, the query text
// replaced while open, a refresh while changes are pending... The message is Portuguese.
class DatasetError : public std::logic_error {
public:
    explicit DatasetError(const QString& message) : std::logic_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// A cached dataset: a SELECT whose rows are fetched into memory, changed there and written back.
//
// Rows come in the order of the SELECT's ORDER BY, whose columns are the key of `locate` and
// `findNearest`. Rows are fetched from the server as they are needed (moving, counting, searching,
// and both ways around a key with `setReadAroundKey`);
// every operation gives the same result as if all rows had been fetched at open. Text keys
// compare as the server orders WIN1252 text (byte by byte, trailing blanks not counting); NULLs
// come first in an ascending order and last in a descending one. A posted row whose key changed
// moves to its place in that order. Should the server return rows out of that order (a column
// with a collation of its own), searches walk every row instead.
//
// Changes (append, edit, post, remove) touch only the cache; `applyUpdates` sends them to the
// database: an INSERT per new row, an UPDATE of the changed columns per changed row, a DELETE per
// removed row, finding rows by the key columns as read (or by all columns, `WriteMode::AllColumns`).
// Only columns of `table` are written (never those a join brings in). Each statement is committed
// on its own; every change is attempted however many fail, and a rejected change stays pending for
// the next `applyUpdates`. An UPDATE or DELETE that finds no row is a rejection too.
//
// The events run in this order (each may be empty):
//   append:  beforeInsert, (new row at the end), afterInsert, afterScroll
//   edit:    beforeEdit, afterEdit (nothing when the row is already in edit or insert;
//            on an empty dataset edit appends, as data-aware controls expect)
//   post:    beforePost, (required-column check, store), afterPost; a failure of the check or the
//            store runs onPostError, then the error goes on to the caller (the row stays in edit)
//   remove:  beforeDelete, (removal), afterDelete, afterScroll (in insert state: cancel)
//   moving:  beforeScroll, (move), afterScroll; open fires afterScroll on the first row
//   refresh: beforeRefresh, (re-query), staying on the same row where it still exists (no scroll)
// Moving, searching, appending, refreshing and applying first post a changed row in edit or
// insert (and cancel an untouched one), as data-aware programs expect.
class CachedDataset : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class WriteMode { KeyColumns, AllColumns, ReadOnly };

    using Event = std::function<void(CachedDataset&)>;
    using ErrorEvent = std::function<void(CachedDataset&, const std::exception&)>;
    // Draws a fresh value for a key column of a new row: greatest + 1 + `skip`. Workstations that
    // keep drawing the same value part ways by skipping a few.
    using KeyDraw = std::function<Value(qint64 skip)>;

    // `table` is the table that writes go to; `keyColumns` the columns that identify a row in
    // UPDATE and DELETE (WriteMode::KeyColumns); `requiredColumns` those that must not be null
    // at post. Column lengths for cutting written texts come from the result's metadata.
    CachedDataset(QString name, FbConnection& connection, QString table, WriteMode mode, QStringList keyColumns = {},
                  QStringList requiredColumns = {}, QObject* parent = nullptr);
    ~CachedDataset() override;

    const QString& name() const;
    const QString& table() const;
    FbConnection& connection() const;
    WriteMode writeMode() const;
    const QStringList& keyColumns() const;
    const QStringList& requiredColumns() const;

    // ---- query text, open, close
    QString commandText() const;
    void setCommandText(const QString& sql); // only while closed; throws DatasetError otherwise
    void open();                             // nothing when already open
    void close();                            // discards the cache, pending changes included
    bool isOpen() const;
    State state() const;
    const RowLayout& layout() const;  // valid while open
    QStringList orderColumns() const; // the ORDER BY columns of the current query

    // ---- navigation
    void first();
    void next();
    void prior();
    void last();
    void moveTo(int row); // 0-based; fires the scroll events
    bool eof() const;     // true once next has passed the last row, and for an empty dataset
    bool bof() const;
    bool isEmpty() const;
    int recordCount();      // fetches every row
    int currentRow() const; // -1 when empty
    int fetchedRowCount() const;
    bool allFetched() const;
    bool hasRowsAfter() const;      // rows after the last fetched one remain to be fetched
    bool hasRowsBefore() const;     // rows before the first fetched one (reading around a key)
    void fetchMore(int rows);       // for views that fetch as they scroll
    void fetchMoreBefore(int rows); // the same upwards; the rows come in at the front
    void fetchAll();

    // Reading around a key, for long lists searched as the clerk types. A search whose row is not
    // among the fetched rows reads the query again from that key on instead of fetching every row
    // up to it: the rows at or after the key come in query order and those before it in reverse
    // order, each through a statement that walks an index (when the database has one that matches
    // the order). The fetched rows are then a stretch of the whole result, which grows both ways
    // as rows are asked for (moves, views, `fetchMoreBefore`); `first` and `last` read from the
    // ends. Every move and search gives the row a full read would. Only queries of the form
    // "select ... from ... [where ...] order by <columns>" are read that way, and only while no
    // change is waiting to be written; otherwise the dataset fetches through as usual.
    void setReadAroundKey(bool on);
    bool readsAroundKey() const;
    // Bytes the cached rows hold: their message buffers, the row table and the changed values.
    std::size_t memoryHeld() const;

    // ---- fields of the current row, by name compared without letter case
    int fieldIndex(const QString& name) const; // throws std::out_of_range when absent
    bool hasField(const QString& name) const;
    Value value(const QString& name) const;
    bool isNull(const QString& name) const;
    QString asText(const QString& name) const;       // NULL reads ""; a date reads "dd/mm/yyyy"
    qint64 asInteger(const QString& name) const;     // NULL reads 0; a non-integer text throws ConversionError
    double asFloat(const QString& name) const;       // NULL reads 0
    QDateTime asDateTime(const QString& name) const; // NULL reads the zero date (30/12/1899)
    QDate asDate(const QString& name) const;

    // Writing needs the edit or insert state (throws DatasetError otherwise). A text longer
    // than its column is cut to the column's width; an empty text writes NULL.
    void setValue(const QString& name, const Value& value);
    void setText(const QString& name, const QString& text); // converted to the column's type
    void setInteger(const QString& name, qint64 value);
    void setFloat(const QString& name, double value);
    void setDateTime(const QString& name, const QDateTime& value);
    void setDate(const QString& name, const QDate& value);
    void clear(const QString& name);

    // Any row, for views: row is 0-based among the fetched rows.
    Value valueAt(int row, int column) const;
    QString textAt(int row, int column) const;

    // ---- changes
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    bool isModified() const; // the current row has unposted changes
    // Asks the bound controls to write into the current row the text typed but not yet stored.
    // `post`, and the post-or-cancel that comes before moving, do this first.
    void updateRecord() { emit beforePostFlush(); }

    // Sends pending changes to the database; returns how many were rejected. The first rejection's
    // error is kept in `lastApplyError()`. A new row whose key was drawn by `setKeyDraw` and that
    // the database refuses as a duplicate (SQLCODE -803) gets a freshly drawn key and is written
    // again, for a few seconds at most.
    int applyUpdates();
    int pendingChanges() const;
    QString lastApplyError() const;
    int lastApplyErrorCode() const; // SQLCODE of that error, 0 when none
    void setKeyDraw(const QString& column, KeyDraw draw);

    // Re-runs the query and stays on the same row (by key) where it still exists; throws
    // DatasetError while changes are pending.
    void refresh();

    // ---- searches on the ORDER BY columns; values are converted to the columns' types
    bool locate(const Values& keyValues);      // exact match on the first keyValues.size() columns
    bool findNearest(const Values& keyValues); // first row whose key is >= the values (else the last row)

    // ---- events (see the order above)
    Event beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost, beforeDelete, afterDelete,
        beforeScroll, afterScroll, beforeRefresh;
    ErrorEvent onPostError;

signals:
    // For data sources and views; not for the dataset rules (use the events).
    void opened();
    void closed();
    void rowsReset(); // open, refresh, a posted row moved to its place: every fetched row may have changed
    void rowsFetched(int firstRow, int lastRow);
    void rowsFetchedBefore(int count); // rows 0 .. count - 1 are new; every other row moved down by count
    void rowAppended(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void fieldChanged(int row, int column); // by code or by a bound control
    void rowChanged(int row);               // post, cancel
    void stateChanged(CachedDataset::State state);
    // See `updateRecord`; an error a control raises here (a typed text that is no date) ends the post.
    void beforePostFlush();

private:
    friend ServerError LastApplyFailure(const CachedDataset& dataset);
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Binds controls to a dataset; `autoEdit` puts the dataset into edit when the user types.
class DataSource : public QObject {
    Q_OBJECT
public:
    DataSource(QString name, CachedDataset* dataset, bool autoEdit = true, QObject* parent = nullptr)
        : QObject(parent), dataset_(dataset), autoEdit_(autoEdit)
    {
        setObjectName(name);
    }
    CachedDataset* dataset() const { return dataset_; }
    bool autoEdit() const { return autoEdit_; }

private:
    CachedDataset* dataset_;
    bool autoEdit_;
};
