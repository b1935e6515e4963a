#pragma once

// The inside of CachedDataset, shared by its two source files (CachedDataset.cpp: state, fields,
// changes and writes; CachedDatasetRows.cpp: fetching, order, moves, searches and refresh).

#include "data/CachedDataset.h"
#include "data/KeyWindow.h"
#include "data/RowStore.h"
#include "data/RowWriter.h"
#include "data/ServerError.h"
#include "data/SortKey.h"

#include <QHash>

struct CachedDataset::Impl {
    Impl(CachedDataset& owner, QString name_, FbConnection& connection_, QString table_, WriteMode mode_,
         QStringList keyColumns_, QStringList requiredColumns_);

    CachedDataset& q;
    QString name;
    FbConnection& connection;
    QString table;
    WriteMode mode;
    QStringList keyColumns;
    QStringList requiredColumns;
    QString sql;
    State state = State::Inactive;

    // While open: the cursor (until every row is fetched) and what its result looks like.
    std::unique_ptr<FbCursor> cursor;
    // Reading around a key (`setReadAroundKey`): the statements that read the query from a key
    // on, both ways. The fetched rows are then a stretch of the whole result: `cursor` and
    // `forwardStages` read on after its last row, `backCursor` and `backStages` back from its first.
    bool aroundKey = false;
    std::optional<KeyWindow> window;
    std::vector<WindowStatement> forwardStages;
    std::unique_ptr<FbCursor> backCursor;
    std::vector<WindowStatement> backStages;
    const unsigned char* firstFetched = nullptr;
    RowLayout layout;
    QHash<QString, int> columnByName; // upper-case name → column
    SortKey order;
    bool inServerOrder = true; // the fetched rows agree with `order`
    const unsigned char* lastFetched = nullptr;
    RowWriter writer;

    RowStore store;
    std::vector<CachedRow> rows;
    std::vector<CachedRow> deleted; // removed rows whose DELETE is pending
    int current = -1;
    bool atEnd = true;
    bool atStart = true;

    ColumnValues editing; // unposted values of the current row (edit and insert)
    bool modified = false;
    int rowBeforeInsert = -1;
    quint64 nextSequence = 1;

    QString lastError;
    int lastErrorCode = 0;
    std::optional<ServerError> lastFailure; // the first refusal of the last write, with the server's codes
    QString drawColumn;
    KeyDraw draw;

    // ---- helpers (CachedDataset.cpp)
    void fire(const Event& event);
    void requireOpen() const;
    void requireEditing() const;
    int column(const QString& name) const;
    Value currentValue(int column) const;
    void setState(State s);
    void setCurrent(int row);
    void checkBrowseMode();
    void checkRequired() const;
    void storeEditing();
    bool writeChange(CachedRow& row, bool removal);
    bool settleUnknownWrite(CachedRow& row, bool removal);
    void insertWithFreshKeys(CachedRow& row);
    void resetCache();

    // ---- rows (CachedDatasetRows.cpp)
    int firstFetchCount() const;
    void rereadKeepingRow();
    bool fetchFrom(std::unique_ptr<FbCursor>& from, unsigned char* into);
    int fetchRows(int count);
    int fetchBack(int count);
    bool moreAfter() const { return cursor || !forwardStages.empty(); }
    bool moreBefore() const { return backCursor || !backStages.empty(); }
    CachedRow keepFetched(const FbCursor& from);
    bool canReposition() const;
    bool answerFetched(const KeyProbe& probe) const;
    bool exactExists(const Values& probe);
    void readFrom(std::unique_ptr<FbCursor> forward, std::vector<WindowStatement> forwardRest,
                  std::vector<WindowStatement> back);
    void readAround(const Values& probe);
    void readFromStart();
    void readFromEnd();
    void announceRows();
    void fetchUntilCount(int count);
    KeyAtom atomOf(const CachedRow& row, int keyIndex, QByteArray& storage) const;
    bool serverOrderBroken(const unsigned char* before, const unsigned char* after) const;
    int compareRows(const CachedRow& a, const CachedRow& b) const;
    int compareToProbe(const CachedRow& row, const KeyProbe& probe) const;
    Values probeOf(const Values& keyValues) const;
    int lowerBound(const KeyProbe& probe);
    void placeInOrder();
    void moveWithEvents(int row, bool endAfter = false);
    int findSameRow(const Values& identity, const std::vector<int>& identityColumns, const Values& orderValues);
    std::vector<int> identityColumns() const;
    std::vector<int> blobColumns; // read at fetch time
};
