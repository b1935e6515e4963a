#include "data/RowStore.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBlockBytes = 1 << 20;

} // namespace

const Value* ColumnValues::find(int column) const
{
    const auto it = std::lower_bound(values_.begin(), values_.end(), column,
                                     [](const std::pair<int, Value>& e, int c) { return e.first < c; });
    return it != values_.end() && it->first == column ? &it->second : nullptr;
}

void ColumnValues::set(int column, Value value)
{
    const auto it = std::lower_bound(values_.begin(), values_.end(), column,
                                     [](const std::pair<int, Value>& e, int c) { return e.first < c; });
    if (it != values_.end() && it->first == column)
        it->second = std::move(value);
    else
        values_.insert(it, {column, std::move(value)});
}

void ColumnValues::merge(const ColumnValues& other)
{
    for (const auto& [column, value] : other.values_)
        set(column, value);
}

RowChanges& CachedRow::ensureChanges()
{
    if (!changes)
        changes = std::make_unique<RowChanges>();
    return *changes;
}

Value CachedRow::original(const RowLayout& layout, int column) const
{
    if (changes)
        if (const Value* v = changes->stored.find(column))
            return *v;
    if (!message)
        return std::monostate{};
    return message::read(layout.at(column), message);
}

Value CachedRow::current(const RowLayout& layout, int column) const
{
    if (changes)
        if (const Value* v = changes->pending.find(column))
            return *v;
    return original(layout, column);
}

bool CachedRow::readsFromMessage(int column) const
{
    return message && (!changes || (!changes->pending.find(column) && !changes->stored.find(column)));
}

RowStore::RowStore(std::size_t messageLength)
{
    reset(messageLength);
}

void RowStore::reset(std::size_t messageLength)
{
    blocks_.clear();
    length_ = messageLength;
    rowsPerBlock_ = length_ == 0 ? 0 : std::max<std::size_t>(1, kBlockBytes / length_);
    usedInLast_ = rowsPerBlock_;
}

const unsigned char* RowStore::keep(const unsigned char* message)
{
    if (usedInLast_ == rowsPerBlock_) {
        // Blocks are allocated without zeroing: every byte of a slot is copied before it is read.
        blocks_.emplace_back(new unsigned char[rowsPerBlock_ * length_]);
        usedInLast_ = 0;
    }
    unsigned char* slot = blocks_.back().get() + usedInLast_ * length_;
    std::memcpy(slot, message, length_);
    ++usedInLast_;
    return slot;
}

std::size_t RowStore::bytesHeld() const
{
    return blocks_.size() * rowsPerBlock_ * length_;
}
