#include "data/CachedDataset.h"

#include "data/CachedDatasetImpl.h"
#include "data/FieldValue.h"

#include <algorithm>

// ---- fetching

// Fetches up to `count` more rows (all of them when negative); returns how many came.
int CachedDataset::Impl::fetchRows(int count)
{
    const int first = int(rows.size());
    while (cursor && (count < 0 || int(rows.size()) - first < count)) {
        if (!cursor->fetch()) {
            cursor.reset();
            break;
        }
        CachedRow row;
        row.message = store.keep(cursor->row());
        // A blob is read now, while the cursor's transaction still lives.
        for (int col : blobColumns)
            if (!cursor->isNull(col))
                row.ensureChanges().stored.set(col, cursor->blob(col));
        if (inServerOrder && lastFetched && serverOrderBroken(lastFetched, row.message))
            inServerOrder = false;
        lastFetched = row.message;
        rows.push_back(std::move(row));
    }
    const int fetched = int(rows.size()) - first;
    if (fetched > 0)
        emit q.rowsFetched(first, int(rows.size()) - 1);
    return fetched;
}

void CachedDataset::Impl::fetchUntilCount(int count)
{
    if (int(rows.size()) < count)
        fetchRows(count - int(rows.size()));
}

// ---- order

// True when two messages, fetched one after the other, come in an order that is not ours.
bool CachedDataset::Impl::serverOrderBroken(const unsigned char* before, const unsigned char* after) const
{
    for (int i = 0; i < order.size(); ++i) {
        const Column& c = layout.at(order.columns()[std::size_t(i)].column);
        const int r = order.compare(i, KeyAtom::fromMessage(c, before), KeyAtom::fromMessage(c, after));
        if (r != 0)
            return r > 0;
    }
    return false;
}

KeyAtom CachedDataset::Impl::atomOf(const CachedRow& row, int keyIndex, QByteArray& storage) const
{
    const int col = order.columns()[std::size_t(keyIndex)].column;
    if (row.readsFromMessage(col))
        return KeyAtom::fromMessage(layout.at(col), row.message);
    return KeyAtom::fromValue(row.current(layout, col), storage);
}

int CachedDataset::Impl::compareRows(const CachedRow& a, const CachedRow& b) const
{
    QByteArray sa;
    QByteArray sb;
    for (int i = 0; i < order.size(); ++i) {
        const int c = order.compare(i, atomOf(a, i, sa), atomOf(b, i, sb));
        if (c != 0)
            return c;
    }
    return 0;
}

int CachedDataset::Impl::compareToProbe(const CachedRow& row, const KeyProbe& probe) const
{
    QByteArray storage;
    for (std::size_t i = 0; i < probe.size(); ++i) {
        const int c = order.compare(int(i), atomOf(row, int(i), storage), probe.atoms()[i]);
        if (c != 0)
            return c;
    }
    return 0;
}

// Search values in the types of the key columns. An empty text searches for NULL, which is how
// an empty text is stored.
Values CachedDataset::Impl::probeOf(const Values& keyValues) const
{
    if (order.isEmpty())
        throw DatasetError(QStringLiteral("O conjunto de dados %1 não tem ordem para pesquisar.").arg(name));
    if (keyValues.empty() || int(keyValues.size()) > order.size())
        throw DatasetError(QStringLiteral("A pesquisa em %1 pede %2 valor(es); a ordem tem %3 coluna(s).")
                               .arg(name)
                               .arg(keyValues.size())
                               .arg(order.size()));
    Values probe;
    for (std::size_t i = 0; i < keyValues.size(); ++i) {
        const Column& c = layout.at(order.columns()[i].column);
        if (c.type == ColumnType::Text) {
            const QString text = field::toText(keyValues[i]);
            probe.push_back(text.isEmpty() ? Value{} : Value{text});
        } else {
            probe.push_back(field::forColumn(keyValues[i], c));
        }
    }
    return probe;
}

// The first row whose key is not below the probe, fetching rows until one passes it.
int CachedDataset::Impl::lowerBound(const KeyProbe& probe)
{
    // Rows come in batches that grow, so that a far key costs few round trips and a near one
    // fetches little beyond it.
    for (int batch = 16; inServerOrder && cursor && (rows.empty() || compareToProbe(rows.back(), probe) < 0);
         batch = std::min(batch * 2, 4096))
        fetchRows(batch);
    if (!inServerOrder) {
        // The server's order is not ours: look at every row, in the order they stand.
        fetchRows(-1);
        const auto it = std::find_if(rows.begin(), rows.end(),
                                     [&](const CachedRow& r) { return compareToProbe(r, probe) >= 0; });
        return int(it - rows.begin());
    }
    const auto it = std::partition_point(rows.begin(), rows.end(),
                                         [&](const CachedRow& r) { return compareToProbe(r, probe) < 0; });
    return int(it - rows.begin());
}

// A posted row whose key no longer fits between its neighbours moves to its place in the order.
void CachedDataset::Impl::placeInOrder()
{
    if (order.isEmpty() || !inServerOrder || current < 0)
        return;
    const auto at = std::size_t(current);
    if (at + 1 == rows.size())
        fetchRows(1); // the row that follows, to know whether this one is still in place
    const bool afterPrevious = at == 0 || compareRows(rows[at - 1], rows[at]) <= 0;
    const bool beforeNext = at + 1 == rows.size() || compareRows(rows[at], rows[at + 1]) <= 0;
    if (afterPrevious && beforeNext)
        return;
    CachedRow moving = std::move(rows[at]);
    rows.erase(rows.begin() + current);
    while (cursor && (rows.empty() || compareRows(rows.back(), moving) <= 0))
        fetchRows(1);
    const auto place = std::upper_bound(rows.begin(), rows.end(), moving, [&](const CachedRow& a, const CachedRow& b) {
        return compareRows(a, b) < 0;
    });
    const int to = int(place - rows.begin());
    rows.insert(place, std::move(moving));
    emit q.rowsReset();
    setCurrent(to);
}

// ---- moves

void CachedDataset::Impl::moveWithEvents(int row, bool endAfter)
{
    fire(q.beforeScroll);
    setCurrent(row);
    atStart = row <= 0;
    atEnd = endAfter || rows.empty();
    fire(q.afterScroll);
}

void CachedDataset::first()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->moveWithEvents(d->rows.empty() ? -1 : 0);
}

void CachedDataset::next()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fire(beforeScroll);
    const int wanted = d->current + 1;
    d->fetchUntilCount(wanted + 1);
    if (wanted < int(d->rows.size())) {
        d->setCurrent(wanted);
        d->atStart = false;
        d->atEnd = false;
    } else {
        d->atEnd = true;
    }
    d->fire(afterScroll);
}

void CachedDataset::prior()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fire(beforeScroll);
    if (d->current > 0) {
        d->setCurrent(d->current - 1);
        d->atEnd = false;
        d->atStart = false;
    } else {
        d->atStart = true;
    }
    d->fire(afterScroll);
}

void CachedDataset::last()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fetchRows(-1);
    d->moveWithEvents(int(d->rows.size()) - 1);
    d->atStart = d->rows.empty();
}

void CachedDataset::moveTo(int row)
{
    d->requireOpen();
    d->checkBrowseMode();
    d->fetchUntilCount(row + 1);
    d->moveWithEvents(std::clamp(row, std::min(0, int(d->rows.size()) - 1), int(d->rows.size()) - 1));
}

bool CachedDataset::eof() const
{
    return d->atEnd || d->rows.empty();
}

bool CachedDataset::bof() const
{
    return d->atStart || d->rows.empty();
}

bool CachedDataset::isEmpty() const
{
    return d->rows.empty();
}

int CachedDataset::recordCount()
{
    fetchAll();
    return int(d->rows.size());
}

int CachedDataset::currentRow() const
{
    return d->current;
}

int CachedDataset::fetchedRowCount() const
{
    return int(d->rows.size());
}

bool CachedDataset::allFetched() const
{
    return !d->cursor;
}

void CachedDataset::fetchMore(int rows)
{
    if (rows > 0)
        d->fetchRows(rows);
}

void CachedDataset::fetchAll()
{
    d->fetchRows(-1);
}

std::size_t CachedDataset::memoryHeld() const
{
    std::size_t bytes = d->store.bytesHeld() + (d->rows.capacity() + d->deleted.capacity()) * sizeof(CachedRow);
    for (const auto* list : {&d->rows, &d->deleted})
        for (const CachedRow& row : *list)
            if (row.changes)
                bytes += sizeof(RowChanges) +
                         (row.changes->stored.entries().capacity() + row.changes->pending.entries().capacity()) *
                             sizeof(std::pair<int, Value>);
    return bytes;
}

// ---- searches

bool CachedDataset::locate(const Values& keyValues)
{
    d->requireOpen();
    d->checkBrowseMode();
    const KeyProbe probe(d->probeOf(keyValues));
    const int at = d->lowerBound(probe);
    if (at >= int(d->rows.size()) || d->compareToProbe(d->rows[std::size_t(at)], probe) != 0)
        return false;
    d->moveWithEvents(at);
    return true;
}

bool CachedDataset::findNearest(const Values& keyValues)
{
    d->requireOpen();
    d->checkBrowseMode();
    const KeyProbe probe(d->probeOf(keyValues));
    const int at = d->lowerBound(probe);
    if (d->rows.empty())
        return false;
    if (at >= int(d->rows.size())) {
        d->moveWithEvents(int(d->rows.size()) - 1, true);
        return false;
    }
    d->moveWithEvents(at);
    return true;
}

// ---- refresh

std::vector<int> CachedDataset::Impl::identityColumns() const
{
    std::vector<int> out;
    if (mode == WriteMode::KeyColumns)
        for (const QString& key : keyColumns) {
            const int col = layout.indexOf(key);
            if (col >= 0)
                out.push_back(col);
        }
    if (out.empty())
        for (int i = 0; i < layout.count(); ++i)
            if (layout.at(i).type != ColumnType::Blob)
                out.push_back(i);
    return out;
}

// The row of the new result that is the row that stood current before; -1 when it is gone.
int CachedDataset::Impl::findSameRow(const Values& identity, const std::vector<int>& columns,
                                     const Values& orderValues)
{
    auto matches = [&](const CachedRow& row) {
        for (std::size_t i = 0; i < columns.size(); ++i)
            if (!(row.current(layout, columns[i]) == identity[i]))
                return false;
        return true;
    };
    int at = 0;
    const KeyProbe probe(orderValues);
    if (!orderValues.empty() && inServerOrder) {
        at = lowerBound(probe);
        for (;; ++at) {
            fetchUntilCount(at + 1);
            if (at >= int(rows.size()) || compareToProbe(rows[std::size_t(at)], probe) != 0)
                break;
            if (matches(rows[std::size_t(at)]))
                return at;
        }
        if (inServerOrder)
            return -1;
        at = 0;
    }
    for (;; ++at) {
        fetchUntilCount(at + 1);
        if (at >= int(rows.size()))
            return -1;
        if (matches(rows[std::size_t(at)]))
            return at;
    }
}

void CachedDataset::refresh()
{
    d->requireOpen();
    d->fire(beforeRefresh);
    d->requireOpen();
    d->checkBrowseMode();
    if (pendingChanges() > 0)
        throw DatasetError(
            QStringLiteral("Há alterações de %1 ainda não gravadas no banco de dados; grave-as antes de atualizar.")
                .arg(d->name));
    const int oldRow = d->current;
    const std::vector<int> columns = d->identityColumns();
    Values identity;
    Values orderValues;
    if (oldRow >= 0) {
        const CachedRow& row = d->rows[std::size_t(oldRow)];
        for (int col : columns)
            identity.push_back(row.current(d->layout, col));
        for (const SortColumn& s : d->order.columns())
            orderValues.push_back(row.current(d->layout, s.column));
    }
    auto cursor = d->connection.openCursor(d->sql);
    d->resetCache();
    d->cursor = std::move(cursor);
    d->fetchRows(1);
    int row = oldRow < 0 ? -1 : d->findSameRow(identity, columns, orderValues);
    if (row < 0 && oldRow >= 0) {
        d->fetchUntilCount(oldRow + 1);
        row = std::min(oldRow, int(d->rows.size()) - 1);
    }
    if (row < 0 && !d->rows.empty())
        row = 0;
    d->current = row;
    d->atStart = row <= 0;
    d->atEnd = d->rows.empty();
    emit rowsReset();
    emit currentRowChanged(row);
}
