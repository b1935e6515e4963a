#include "closing/StockEntry.h"

#include "closing/InvoiceTotals.h"
#include "closing/StockEntryLog.h"
#include "data/CachedDataset.h"
#include "data/DbError.h"
#include "data/FieldValue.h"
#include "data/ServerError.h"
#include "data/SqlText.h"
#include "data/UnitOfWork.h"
#include "db/ColumnLists.h"
#include "entry/UnitConversion.h"
#include "platform/TextFiles.h"
#include "purchase/DatasetRules.h"
#include "purchase/PostsKeptInCache.h"

#include <cmath>
#include <optional>

namespace {

constexpr int kStoredNameWidth = 60;
constexpr int kStockScale = 8;
// DECIMAL(18,8): ten digits before the point.
constexpr double kLargestStockQuantity = 1e10;

const QString kDefaultLocation = QStringLiteral("Almoxarifado");

QString cut(const QString& text, int width)
{
    return text.left(width);
}

QString q(const QString& text)
{
    return sql::quoted(text);
}

// The product an item is entered as.
struct Product {
    QString code;
    QString name;
    QString group;
    QString unit;
    QString controlled;
};

// The columns of a product the closing takes, in the order `productOf` reads them.
const QString kProductColumns = QStringLiteral("select CODIGO, COMPONENTE, GRUPO, UNID, CONTROLADA from COMPONEN ");

Product productOf(const Values& row)
{
    return {field::toText(row.at(0)), field::toText(row.at(1)), field::toText(row.at(2)), field::toText(row.at(3)),
            field::toText(row.at(4))};
}

void reopen(CachedDataset& ds, const QString& sql)
{
    ds.close();
    ds.setCommandText(sql);
    ds.open();
}

// ---- the statements of one item

// An item has been entered once a movement carries its own key: the workstation and CODCOMPRA of
// its row, which no change of the invoice's date, number or supplier touches. Movements written by
// earlier versions carry that key too (with the date, lot, supplier and name the item had then), so
// they are found the same way.
bool hasMovement(const ClosingData& dm, const StockItem& item)
{
    return !dm.SQLConnection1
                .executeRow(QStringLiteral("select first 1 CODMOVEST from MOVEST where ESTACAO = ") +
                            q(item.workstation) + QStringLiteral(" and CODCOMPRA = ") + q(item.purchaseKey))
                .empty();
}

// By its code, else by its name; the row must carry exactly the code or the name looked for.
std::optional<Product> findProduct(const ClosingData& dm, const StockItem& item)
{
    FbConnection& c = dm.SQLConnection1;
    Values row = c.executeRow(kProductColumns + QStringLiteral("where CODIGO = ") + q(item.productCode));
    if (!row.empty() && field::toText(row.at(0)) == item.productCode)
        return productOf(row);
    row = c.executeRow(kProductColumns + QStringLiteral("where COMPONENTE = ") + q(item.productName));
    if (!row.empty() && field::toText(row.at(1)) == item.productName)
        return productOf(row);
    return std::nullopt;
}

// The last movement key; 0 for an empty table or when it cannot be read.
qint64 lastMovementKey(const ClosingData& dm)
{
    CachedDataset& movements = dm.Movest;
    qint64 last = 0;
    try {
        reopen(movements, QStringLiteral("select FIRST 1 ") + MovestColumns +
                              QStringLiteral("from MOVEST ORDER BY CODMOVEST DESC"));
        if (!movements.isEmpty())
            last = movements.asInteger(QStringLiteral("CODMOVEST"));
    } catch (const std::exception&) {
        last = 0;
    }
    movements.close();
    return last;
}

// The movement of the item, written with the next key (drawn again should another workstation
// take it first), through the movements of the closing kept open: no movement is read. It is marked
// as counted in both balances at once: the lot is raised in the same unit of work, so nobody sees
// one without the other.
void writeMovement(const ClosingData& dm, const StockItem& item, const Product& product, const Decimal& quantity,
                   MovementKeys& keys)
{
    CachedDataset& m = dm.Movest;
    if (keys.last < 0)
        keys.last = lastMovementKey(dm);
    if (!m.isOpen())
        reopen(m, QStringLiteral("select ") + MovestColumns + QStringLiteral("from MOVEST where CODMOVEST = -1"));
    const PostsKeptInCache oneWrite(m);
    m.append();
    const qint64 key = keys.last + 1;
    m.setInteger(QStringLiteral("CODMOVEST"), key);
    m.setText(QStringLiteral("ESTACAO"), item.workstation);
    m.setText(QStringLiteral("CODCOMPRA"), item.purchaseKey);
    m.setDate(QStringLiteral("DATA"), item.date);
    m.setValue(QStringLiteral("VALIDADE"), item.expiry.isValid() ? Value{item.expiry} : Value{});
    // The product's own code, also when the item was found by its name (an item whose code the
    // catalogue does not know).
    m.setText(QStringLiteral("CODPROD"), product.code);
    m.setText(QStringLiteral("LOTE"), item.lot);
    m.setText(QStringLiteral("FORNECEDOR"), item.supplier);
    m.setText(QStringLiteral("DESCRICAO"), item.storedName());
    m.setText(QStringLiteral("NITEM"), product.group);
    m.setValue(QStringLiteral("QUANTIDADE"), quantity);
    m.setText(QStringLiteral("UNIDADE"), product.unit);
    m.setText(QStringLiteral("CONTROLADA"), product.controlled);
    m.setText(QStringLiteral("LABORATORIO"), item.location);
    m.setText(QStringLiteral("USADOESTPREV"), QStringLiteral("1"));
    m.setText(QStringLiteral("USADOESTCOR"), QStringLiteral("1"));
    m.post();
    if (m.applyUpdates() > 0)
        throw LastApplyFailure(m);
    keys.last = m.asInteger(QStringLiteral("CODMOVEST")); // drawn again when another took it
}

// The product a lot is kept under: the supply product of that exact name, else the movement's.
struct LotProduct {
    QString code;
    QString unit;
    QString group;
};

LotProduct lotProductOf(const ClosingData& dm, const StockItem& item, const Product& product)
{
    const QString name = item.storedName();
    const Values row = dm.SQLConnection1.executeRow(kProductColumns +
                                                    QStringLiteral("where GRUPO = 'SUP' and COMPONENTE = ") + q(name));
    if (!row.empty() && field::toText(row.at(1)) == name) {
        const Product found = productOf(row);
        return {found.code, cut(found.unit, 5), cut(found.group, 3)};
    }
    return {product.code, product.unit, product.group};
}

QString lotCondition(const StockItem& item)
{
    return QStringLiteral(" where DESCRICAO = ") + q(item.storedName()) + QStringLiteral(" and LOTE = ") + q(item.lot) +
           QStringLiteral(" and FORNECEDOR = ") + q(item.supplier);
}

// Adds the quantity to the balances the database holds now, not to the ones read a moment ago:
// another workstation may be entering the same lot at the same time.
void addToLotBalances(const ClosingData& dm, const StockItem& item, const Decimal& quantity)
{
    dm.SQLConnection1.execute(QStringLiteral("update ESTLOTE set SALDOPREVISTO = coalesce(SALDOPREVISTO, 0) + ?, "
                                             "SALDOCORRENTE = coalesce(SALDOCORRENTE, 0) + ?") +
                                  lotCondition(item),
                              {quantity, quantity});
}

// Raises the lot by the quantity, creating it first when it does not exist yet; true when it
// was created.
bool raiseLot(const ClosingData& dm, const StockItem& item, const Product& product, const LotProduct& lotProduct,
              const Decimal& quantity)
{
    CachedDataset& lots = dm.EstLote;
    reopen(lots, QStringLiteral("select ") + EstLoteColumns + QStringLiteral(" from ESTLOTE") + lotCondition(item));
    const bool created = lots.isEmpty();
    if (!created) {
        lots.close();
        addToLotBalances(dm, item, quantity);
        return false;
    }
    lots.append();
    lots.setText(QStringLiteral("CODIGO"), lotProduct.code);
    lots.setText(QStringLiteral("CODIGOEAN"), lotProduct.group == QLatin1String("SUP") ? lotProduct.code : QString());
    lots.setText(QStringLiteral("DESCRICAO"), item.storedName());
    lots.setText(QStringLiteral("LOTE"), item.lot);
    lots.setText(QStringLiteral("FORNECEDOR"), item.supplier);
    lots.setText(QStringLiteral("UNIDADE"), lotProduct.unit);
    lots.setText(QStringLiteral("SITUACAO"), QStringLiteral("Estoque"));
    lots.setValue(QStringLiteral("VALIDADE"), item.expiry.isValid() ? Value{item.expiry} : Value{});
    lots.setValue(QStringLiteral("DENSIDADE"), item.density);
    lots.setValue(QStringLiteral("FATORCORRECAO"), item.correctionFactor);
    lots.setText(QStringLiteral("CONTROLADA"), product.controlled);
    lots.setText(QStringLiteral("LABORATORIO"), item.location);
    lots.setValue(QStringLiteral("SALDOPREVISTO"), quantity);
    lots.setValue(QStringLiteral("SALDOCORRENTE"), quantity);
    {
        // The new lot is written; nothing of it needs reading back.
        const PostsKeptInCache oneWrite(lots);
        lots.post();
        if (lots.applyUpdates() > 0)
            throw LastApplyFailure(lots);
    }
    lots.close();
    return true;
}

// The text of an error for the clerk: the server's, the file's or the conversion's own.
QString messageOf(const std::exception& e)
{
    if (const auto* db = dynamic_cast<const DbError*>(&e))
        return db->message();
    if (const auto* file = dynamic_cast<const FileError*>(&e))
        return file->message();
    if (const auto* conversion = dynamic_cast<const ConversionError*>(&e))
        return conversion->message();
    if (const auto* dataset = dynamic_cast<const DatasetError*>(&e))
        return dataset->message();
    return QString::fromUtf8(e.what());
}

int sqlcodeOf(const std::exception& e)
{
    const auto* db = dynamic_cast<const DbError*>(&e);
    return db ? db->sqlcode() : 0;
}

QString itemName(const StockItem& item)
{
    QString name = QStringLiteral("item %1").arg(item.itemNumber.isEmpty() ? item.purchaseKey : item.itemNumber);
    if (!item.productName.isEmpty())
        name += QStringLiteral(" (%1%2)").arg(item.productName,
                                              item.lot.isEmpty() ? QString() : QStringLiteral(", lote ") + item.lot);
    return name;
}

StockItem stockItemOf(const SqlCommand& row)
{
    StockItem item;
    item.workstation = cut(row.asText(QStringLiteral("ESTACAO")), 2);
    item.purchaseKey = cut(row.asText(QStringLiteral("CODCOMPRA")), 60);
    item.invoiceNumber = cut(row.asText(QStringLiteral("NOTAFISCAL")), 60);
    item.productCode = cut(row.asText(QStringLiteral("CODIGO")), 13);
    item.lot = cut(row.asText(QStringLiteral("LOTE")), 30);
    item.supplier = cut(row.asText(QStringLiteral("FORNECEDOR")), 35);
    item.productName = cut(row.asText(QStringLiteral("COMPONENTE")), 70);
    item.location = cut(row.asText(QStringLiteral("LABORATORIO")), 20);
    if (item.location.isEmpty())
        item.location = kDefaultLocation;
    item.date = row.asDateTime(QStringLiteral("DATA")).date();
    if (!row.isNull(QStringLiteral("VALIDADE")))
        item.expiry = row.asDateTime(QStringLiteral("VALIDADE")).date();
    item.density = row.value(QStringLiteral("DENSIDADE"));
    item.correctionFactor = row.value(QStringLiteral("FATORCORRECAO"));
    item.quantity = field::toDecimal(row.value(QStringLiteral("QUANTIDADE")));
    item.unit = row.asText(QStringLiteral("UNIDADE"));
    item.itemNumber = row.asText(QStringLiteral("RESPONSAVEL"));
    return item;
}

} // namespace

QString StockItem::storedName() const
{
    return productName.left(kStoredNameWidth);
}

std::vector<StockItem> InvoiceStockItems(ClosingData dm)
{
    const CachedDataset& nf = dm.NFiscal;
    SqlCommand query = dm.command();
    std::vector<StockItem> items;
    if (!nf.isOpen() || nf.isEmpty())
        return items;
    query.setText(
        InvoiceItemsQuery(nf.asText(QStringLiteral("NOTAFISCAL")), nf.asText(QStringLiteral("CODIGOFORNECEDOR"))) +
        QStringLiteral(" order by DATA, NOTAFISCAL, FORNECEDOR, RESPONSAVEL"));
    query.open();
    for (; !query.eof(); query.next())
        items.push_back(stockItemOf(query));
    query.close();
    return items;
}

Decimal StockQuantity(const Decimal& quantity, const QString& stockUnit, const QString& purchaseUnit)
{
    const double factor = UnitConversionFactor(stockUnit, purchaseUnit);
    if (std::fabs(quantity.toDouble() * factor) >= kLargestStockQuantity)
        throw DbError(
            QStringLiteral("A quantidade %1 %2 convertida para %3 é grande demais para o estoque.")
                .arg(quantity.toString().replace(QLatin1Char('.'), QLatin1Char(',')), purchaseUnit, stockUnit),
            DbError::kTruncation);
    // Every factor is a power of ten: the quantity is shifted, not multiplied in binary.
    const int exponent = int(std::lround(std::log10(factor)));
    return quantity.shifted(exponent).rescaled(kStockScale);
}

StockEntryOutcome EnterItemIntoStock(ClosingData dm, const StockItem& item, QStringList& logLines, const QDateTime& now,
                                     MovementKeys& keys)
{
    if (hasMovement(dm, item))
        return StockEntryOutcome::AlreadyEntered;
    if (item.productName.isEmpty())
        return StockEntryOutcome::NoProductName;
    if (item.lot.isEmpty())
        return StockEntryOutcome::NoLot;
    if (item.supplier.isEmpty())
        return StockEntryOutcome::NoSupplier;
    const std::optional<Product> product = findProduct(dm, item);
    if (!product)
        return StockEntryOutcome::UnknownProduct;

    const Decimal quantity = StockQuantity(item.quantity, product->unit, item.unit);
    writeMovement(dm, item, *product, quantity, keys);
    const LotProduct lotProduct = lotProductOf(dm, item, *product);
    const bool created = raiseLot(dm, item, *product, lotProduct, quantity);

    const StockEntryLog::Entry entry{lotProduct.code, item.storedName(),  item.lot, item.supplier,  item.expiry,
                                     item.location,   item.invoiceNumber, quantity, lotProduct.unit};
    if (created)
        logLines += StockEntryLog::NewLotRecord(entry, now);
    logLines += StockEntryLog::StockEntryRecord(entry, now);
    return StockEntryOutcome::Entered;
}

namespace {

void postPendingItem(const ClosingData& dm)
{
    if (dm.Compras.isOpen() &&
        (dm.Compras.state() == CachedDataset::State::Edit || dm.Compras.state() == CachedDataset::State::Insert))
        dm.Compras.post();
}

QString leftOutReason(StockEntryOutcome outcome)
{
    switch (outcome) {
    case StockEntryOutcome::NoProductName:
        return QStringLiteral("sem descrição do produto");
    case StockEntryOutcome::NoLot:
        return QStringLiteral("sem lote");
    case StockEntryOutcome::NoSupplier:
        return QStringLiteral("sem fornecedor");
    case StockEntryOutcome::UnknownProduct:
        return QStringLiteral("produto não identificado");
    case StockEntryOutcome::Entered:
    case StockEntryOutcome::AlreadyEntered:
        break;
    }
    return {};
}

void count(StockClosing& result, const StockItem& item, StockEntryOutcome outcome)
{
    if (outcome == StockEntryOutcome::Entered)
        ++result.entered;
    else if (outcome == StockEntryOutcome::AlreadyEntered)
        ++result.alreadyEntered;
    else
        result.leftOut.push_back({itemName(item), leftOutReason(outcome)});
}

// Enters every item of the current invoice inside the caller's unit of work.
StockClosing enterInvoiceItems(const ClosingData& dm, QStringList& logLines)
{
    StockClosing result;
    const QDateTime now = QDateTime::currentDateTime();
    MovementKeys keys;
    for (const StockItem& item : InvoiceStockItems(dm)) {
        try {
            count(result, item, EnterItemIntoStock(dm, item, logLines, now, keys));
        } catch (const std::exception& e) {
            // What the datasets hold was written in the work being undone.
            for (CachedDataset* ds : {&dm.Movest, &dm.EstLote, &dm.Componentes})
                ds->close();
            throw DbError(QStringLiteral("Não foi possível dar entrada no estoque do %1:\r%2\r"
                                         "A nota fiscal não foi fechada: nenhum item foi lançado no estoque.")
                              .arg(itemName(item), messageOf(e)),
                          sqlcodeOf(e));
        }
    }
    dm.Movest.close();
    return result;
}

void appendToLog(const StockEntryLog& log, const QStringList& logLines)
{
    if (logLines.isEmpty())
        return;
    try {
        log.append(logLines);
    } catch (const FileError& e) {
        throw FileError(QStringLiteral("Os itens da nota fiscal foram lançados no estoque, mas o registro das "
                                       "entradas não pôde ser gravado:\r") +
                        e.message());
    }
}

// The totals written with the closing's own statement: the invoice's row in the window is only
// touched once the closing went through.
void storeTotals(const ClosingData& dm, const InvoiceTotals& totals)
{
    const CachedDataset& nf = dm.NFiscal;
    QString sql = QStringLiteral("update NFISCAL set VALBRUTO = ?, VALLIQUIDO = ? where ");
    Values params{totals.gross, totals.net};
    const QStringList keys = nf.keyColumns();
    for (int i = 0; i < keys.size(); ++i) {
        sql += (i ? QStringLiteral(" and ") : QString()) + keys[i] + QStringLiteral(" = ?");
        params.push_back(nf.value(keys[i]));
    }
    dm.SQLConnection1.execute(sql, params);
}

} // namespace

QString ClosingMessage(const StockClosing& closing)
{
    if (closing.leftOut.empty())
        return QStringLiteral("                           * * * SUCESSO * * *\r-> A Nota Fiscal foi fechada "
                              "corretamente");
    QString text =
        closing.leftOut.size() == 1
            ? QStringLiteral("ATENÇÃO: um item da Nota Fiscal não entrou no estoque:")
            : QStringLiteral("ATENÇÃO: %1 itens da Nota Fiscal não entraram no estoque:").arg(closing.leftOut.size());
    for (const LeftOutItem& left : closing.leftOut)
        text += QStringLiteral("\r- ") + left.item + QStringLiteral(": ") + left.reason;
    text += closing.entered + closing.alreadyEntered > 0
                ? QStringLiteral("\rOs demais itens foram lançados no estoque.")
                : QStringLiteral("\rNenhum item foi lançado no estoque.");
    return text + QStringLiteral("\rCorrija esses itens e clique novamente em \"Fechar Nota Fiscal\".");
}

StockClosing CloseInvoiceIntoStock(ClosingData dm, const StockEntryLog& log)
{
    postPendingItem(dm);
    log.prepare();
    QStringList logLines;
    StockClosing result;
    {
        UnitOfWork work(dm.SQLConnection1);
        result = enterInvoiceItems(dm, logLines);
        work.commit();
    }
    appendToLog(log, logLines);
    return result;
}

StockClosing CloseInvoice(ClosingData dm, const StockEntryLog& log)
{
    CachedDataset& nf = dm.NFiscal;
    if (!nf.isOpen() || nf.isEmpty())
        return {};
    if (nf.state() == CachedDataset::State::Edit || nf.state() == CachedDataset::State::Insert)
        nf.post();
    postPendingItem(dm);
    log.prepare();
    const InvoiceTotals totals = ComputeInvoiceTotals(dm);
    QStringList logLines;
    StockClosing result;
    {
        UnitOfWork work(dm.SQLConnection1);
        storeTotals(dm, totals);
        result = enterInvoiceItems(dm, logLines);
        work.commit();
    }
    appendToLog(log, logLines);
    RecalcInvoiceTotals(dm);
    return result;
}
