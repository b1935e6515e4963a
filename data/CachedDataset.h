#pragma once

#include "data/FbConnection.h"
#include "data/RowLayout.h"
#include "data/Value.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

// A cached dataset: a SELECT whose rows are fetched into memory, changed there and written back.
//
// Rows come in the order of the SELECT's ORDER BY, whose columns are the key of `locate` and
// `findNearest`. Rows are fetched from the server as they are needed (moving, counting, searching);
// every operation gives the same result as if all rows had been fetched at open.
//
// Changes (append, edit, post, remove) touch only the cache; `applyUpdates` sends them to the
// database: an INSERT per new row, an UPDATE of the changed columns per changed row, a DELETE per
// removed row, finding rows by the key columns as read (or by all columns, `WriteMode::AllColumns`).
// Each statement is committed on its own; every change is attempted however many fail, and a
// rejected change stays pending for the next `applyUpdates`.
//
// The events run in this order (each may be empty):
//   append:  beforeInsert, (new row at the end), afterInsert, afterScroll
//   edit:    beforeEdit, afterEdit (nothing when the row is already in edit or insert)
//   post:    beforePost, (required-column check, store), afterPost; a failure runs onPostError,
//            then the error goes on to the caller
//   remove:  beforeDelete, (removal), afterDelete, afterScroll
//   moving:  beforeScroll, (move), afterScroll; open fires afterScroll on the first row
//   refresh: beforeRefresh, (re-query), staying on the same row where it still exists
class CachedDataset : public QObject {
    Q_OBJECT

public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class WriteMode { KeyColumns, AllColumns, ReadOnly };

    using Event = std::function<void(CachedDataset&)>;
    using ErrorEvent = std::function<void(CachedDataset&, const std::exception&)>;

    // `table` is the table that writes go to; `keyColumns` the columns that identify a row in
    // UPDATE and DELETE (WriteMode::KeyColumns); `requiredColumns` those that must not be null
    // at post. Column lengths for cutting written texts come from the result's metadata.
    CachedDataset(QString name, FbConnection& connection, QString table, WriteMode mode,
                  QStringList keyColumns = {}, QStringList requiredColumns = {}, QObject* parent = nullptr);
    ~CachedDataset() override;

    const QString& name() const;
    const QString& table() const;
    FbConnection& connection() const;

    // ---- query text, open, close
    QString commandText() const;
    void setCommandText(const QString& sql); // only while closed; throws std::logic_error otherwise
    void open();                             // nothing when already open
    void close();                            // discards the cache, pending changes included
    bool isOpen() const;
    State state() const;
    const RowLayout& layout() const; // valid while open
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
    int recordCount(); // fetches every row
    int currentRow() const; // -1 when empty
    int fetchedRowCount() const;
    bool allFetched() const;
    void fetchMore(int rows); // for views that fetch as they scroll

    // ---- fields of the current row, by name compared without letter case
    int fieldIndex(const QString& name) const; // throws std::out_of_range when absent
    bool hasField(const QString& name) const;
    Value value(const QString& name) const;
    bool isNull(const QString& name) const;
    QString asText(const QString& name) const;   // NULL reads ""; a date reads "dd/mm/yyyy"
    qint64 asInteger(const QString& name) const; // NULL reads 0; a non-integer text throws ConversionError
    double asFloat(const QString& name) const;   // NULL reads 0
    QDateTime asDateTime(const QString& name) const; // NULL reads the zero date (30/12/1899)
    QDate asDate(const QString& name) const;

    // Writing needs the edit or insert state (throws std::logic_error otherwise). A text longer
    // than its column is cut to the column's width.
    void setValue(const QString& name, const Value& value);
    void setText(const QString& name, const QString& text); // converted to the column's type
    void setInteger(const QString& name, qint64 value);
    void setFloat(const QString& name, double value);
    void setDateTime(const QString& name, const QDateTime& value);
    void setDate(const QString& name, const QDate& value);
    void clear(const QString& name);

    // Any row, for views: row is 0-based among the fetched rows.
    Value valueAt(int row, int column) const;

    // ---- changes
    void append();
    void edit();
    void post();
    void cancel();
    void remove();
    bool isModified() const; // the current row has unposted changes

    // Sends pending changes to the database; returns how many were rejected. The first rejection's
    // error is kept in `lastApplyError()`.
    int applyUpdates();
    int pendingChanges() const;
    QString lastApplyError() const;
    int lastApplyErrorCode() const; // SQLCODE of that error, 0 when none

    // Re-runs the query and stays on the same row (by key) where it still exists; throws
    // std::logic_error while changes are pending.
    void refresh();

    // ---- searches on the ORDER BY columns
    bool locate(const Values& keyValues);      // exact match on the first keyValues.size() columns
    bool findNearest(const Values& keyValues); // first row whose key is >= the values

    // ---- events (see the order above)
    Event beforeInsert, afterInsert, beforeEdit, afterEdit, beforePost, afterPost, beforeDelete, afterDelete,
        beforeScroll, afterScroll, beforeRefresh;
    ErrorEvent onPostError;

signals:
    // For data sources and views; not for the dataset rules (use the events).
    void opened();
    void closed();
    void rowsReset(); // open, refresh: every fetched row may have changed
    void rowsFetched(int firstRow, int lastRow);
    void rowAppended(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);
    void fieldChanged(int row, int column); // by code or by a bound control
    void rowChanged(int row);               // post, cancel
    void stateChanged(CachedDataset::State state);

private:
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
