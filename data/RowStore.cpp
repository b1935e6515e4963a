#include "data/RowStore.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

constexpr std::size_t kFirstBlockBytes = 16 << 10;
constexpr std::size_t kHugePageBytes = 2 << 20;
constexpr std::size_t kLargestBlockBytes = 8 << 20;

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

void RowStore::Free::operator()(unsigned char* p) const
{
    std::free(p);
}

void RowStore::reset(std::size_t messageLength)
{
    blocks_.clear();
    length_ = messageLength;
    nextBlockBytes_ = kFirstBlockBytes;
    rowsInLast_ = usedInLast_ = bytesHeld_ = 0;
}

void RowStore::addBlock()
{
    const std::size_t bytes = std::max(nextBlockBytes_, length_);
    void* p = nullptr;
    if (bytes >= kHugePageBytes) {
        if (posix_memalign(&p, kHugePageBytes, bytes) == 0)
            madvise(p, bytes, MADV_HUGEPAGE);
    } else {
        p = std::malloc(bytes);
    }
    if (!p)
        throw std::bad_alloc();
    // Not zeroed: every byte of a slot is copied before it is read.
    blocks_.emplace_back(static_cast<unsigned char*>(p));
    rowsInLast_ = bytes / length_;
    usedInLast_ = 0;
    bytesHeld_ += bytes;
    nextBlockBytes_ = std::min(bytes * 2, kLargestBlockBytes);
}

unsigned char* RowStore::nextSlot()
{
    if (usedInLast_ == rowsInLast_)
        addBlock();
    return blocks_.back().get() + usedInLast_ * length_;
}

const unsigned char* RowStore::keepNext()
{
    unsigned char* slot = nextSlot();
    ++usedInLast_;
    return slot;
}

std::size_t RowStore::bytesHeld() const
{
    return bytesHeld_;
}
