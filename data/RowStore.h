#pragma once

#include "data/RowLayout.h"
#include "data/Value.h"

#include <memory>
#include <utility>
#include <vector>

// Values of some columns of a row, ordered by column.
class ColumnValues {
public:
    const Value* find(int column) const;
    void set(int column, Value value);
    void merge(const ColumnValues& other);
    bool isEmpty() const { return values_.empty(); }
    void clear() { values_.clear(); }
    const std::vector<std::pair<int, Value>>& entries() const { return values_; }

private:
    std::vector<std::pair<int, Value>> values_;
};

enum class RowStatus : unsigned char { Unchanged, Modified, Inserted };

// What a row holds beyond its fetched message: values the message cannot hold or that were
// written since it was read (`stored`), and changes posted to the cache but not yet written
// (`pending`). Rows nobody touched have none.
struct RowChanges {
    RowStatus status = RowStatus::Unchanged;
    quint64 sequence = 0;           // order in which pending changes were made
    bool outcomeUnknown = false;    // its last write lost the connection during the commit
    bool unknownWasRemoval = false; // that write was a deletion
    ColumnValues unknownSent;       // the pending values as that write sent them
    ColumnValues stored;
    ColumnValues pending;
};

// One cached row: the message buffer as fetched (nullptr for a row added here) and its changes.
struct CachedRow {
    const unsigned char* message = nullptr;
    std::unique_ptr<RowChanges> changes;

    bool isPending() const { return changes && changes->status != RowStatus::Unchanged; }
    RowChanges& ensureChanges();
    // The value as the database holds it.
    Value original(const RowLayout& layout, int column) const;
    // The value with the pending changes.
    Value current(const RowLayout& layout, int column) const;
    // True when the column's value comes from the message itself.
    bool readsFromMessage(int column) const;
};

// The fetched message buffers, kept back to back in blocks: a row costs its message length and
// nothing more. Blocks grow as rows come; large ones ask the system for huge pages, so that a
// large result costs few page faults.
class RowStore {
public:
    explicit RowStore(std::size_t messageLength = 0);
    RowStore(const RowStore&) = delete;
    RowStore& operator=(const RowStore&) = delete;

    // Where the next message will be kept: a message fetched straight into it is kept by
    // `keepNext`, which returns where it is (valid until `reset`).
    unsigned char* nextSlot();
    const unsigned char* keepNext();
    void reset(std::size_t messageLength);
    std::size_t bytesHeld() const;

private:
    struct Free {
        void operator()(unsigned char* p) const;
    };
    using Block = std::unique_ptr<unsigned char, Free>;

    void addBlock();

    std::size_t length_ = 0;
    std::size_t nextBlockBytes_ = 0;
    std::size_t rowsInLast_ = 0;
    std::size_t usedInLast_ = 0;
    std::size_t bytesHeld_ = 0;
    std::vector<Block> blocks_;
};
