#include "PurchaseSearch.h"

#include "Measure.h"

#include "data/CachedDataset.h"
#include "data/FbConnection.h"
#include "entry/SupplyProducts.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "search/PurchaseSearch.h"
#include "shell/Dialogs.h"

#include <QRandomGenerator>

#include <functional>

namespace {

struct Spread {
    double median = 0;
    double p95 = 0;
};

Spread spread(std::vector<double> v)
{
    if (v.empty())
        return {};
    std::sort(v.begin(), v.end());
    return {v[v.size() / 2], v[std::min(v.size() - 1, v.size() * 95 / 100)]};
}

// One line: the median and 95th percentile of the work, beside the native baseline's.
void line(const char* name, const std::vector<double>& times, const std::vector<double>& baseline)
{
    const Spread s = spread(times);
    const Spread b = spread(baseline);
    bench::record(name, s.median, "ms");
    std::printf(
        "%-46s median %7.2f ms  p95 %7.2f ms | native median %6.2f ms  p95 %6.2f ms | ratio %6.1f  target <= 50 ms\n",
        name, s.median, s.p95, b.median, b.p95, b.median > 0 ? s.median / b.median : 0.0);
    std::fflush(stdout);
}

// Values of one column, picked at random among the supply invoices or items (not measured).
QStringList pick(FbConnection& c, const QString& sql, int count)
{
    QStringList all;
    auto cursor = c.openCursor(sql);
    while (cursor->fetch())
        if (!cursor->isNull(0))
            all << cursor->text(0).trimmed();
    QStringList out;
    QRandomGenerator random(11);
    for (int i = 0; i < count && !all.isEmpty(); ++i)
        out << all.at(random.bounded(int(all.size())));
    return out;
}

// Each text typed letter by letter: the time of every keystroke.
std::vector<double> typing(const QStringList& texts, const std::function<void(const QString&)>& key)
{
    std::vector<double> times;
    for (const QString& text : texts)
        for (int n = 1; n <= text.size(); ++n)
            times.push_back(bench::millis([&] { key(text.left(n)); }));
    return times;
}

std::vector<double> each(const QStringList& texts, const std::function<void(const QString&)>& work)
{
    std::vector<double> times;
    for (const QString& text : texts)
        times.push_back(bench::millis([&] { work(text); }));
    return times;
}

// The native baseline: the first row at or after a key through an indexed statement.
std::function<void(const QString&)> firstAtOrAfter(FbConnection& c, const QString& sql)
{
    return [&c, sql](const QString& key) {
        auto cursor = c.openCursor(sql, {key});
        cursor->fetch();
    };
}

struct Silent : Dialogs {
    void showMessage(const QString&) override {}
    bool askYesNo(const QString&) override { return false; }
    QString askOpenFileName(const QString&, const QString&) override { return {}; }
};

} // namespace

void measurePurchaseSearch(FbConnection& c)
{
    bench::note(
        QStringLiteral("\n-- Purchase search panel (each line: the panel's work beside a native indexed select)"));
    Dialogs::install(std::make_unique<Silent>());
    SessionState session;
    const FbConnection::Params shared = c.params();
    TDM dm(shared, {productfolder::workstationDatabase(), shared.user, shared.password}, session);
    dm.SQLConnection1.open();
    PurchaseSearch search(dm);
    const int samples = 30;

    const QStringList suppliers = pick(c, "select FORNECEDOR from NFISCAL where GRUPDESP = 'SUP'", samples);
    const QStringList numbers = pick(c, "select NOTAFISCAL from NFISCAL where GRUPDESP = 'SUP'", samples);
    const QStringList dates =
        pick(c,
             "select lpad(extract(day from DATA), 2, '0') || '/' || lpad(extract(month from DATA), 2, '0') || '/' || "
             "substring(cast(extract(year from DATA) as varchar(4)) from 3 for 2) from NFISCAL",
             samples);
    const QStringList lots = pick(c, "select LOTE from COMPRAS", samples);
    const QStringList expiries =
        pick(c,
             "select lpad(extract(day from VALIDADE), 2, '0') || '/' || lpad(extract(month from VALIDADE), 2, '0') "
             "|| '/' || substring(cast(extract(year from VALIDADE) as varchar(4)) from 3 for 2) from COMPRAS",
             samples);
    QStringList products = pick(c, "select COMPONENTE from COMPONEN where GRUPO = 'SUP'", samples);
    for (QString& p : products)
        p = p.toLower();

    const QString invoiceBaseline = QStringLiteral("select first 1 * from NFISCAL where GRUPDESP = 'SUP' and %1 >= ? "
                                                   "order by %1");
    const QString itemBaseline =
        QStringLiteral("select first 1 A.*, 'SUP' as GRUPO from COMPRAS A where exists (select 1 from COMPONEN B "
                       "where B.CODIGO = A.CODIGO and B.GRUPO = 'SUP') and A.%1 >= ? order by A.%1");
    auto nativeInvoice = [&](const char* column) {
        return firstAtOrAfter(c, invoiceBaseline.arg(QLatin1String(column)));
    };
    auto nativeItem = [&](const char* column) { return firstAtOrAfter(c, itemBaseline.arg(QLatin1String(column))); };

    search.openItems();
    line("keystroke: date field", typing(dates, [&](const QString& t) { search.dateTyped(t); }),
         typing(dates, [&](const QString& t) {
             if (const auto d = QDate::fromString(t, QStringLiteral("dd/MM/yy")); d.isValid())
                 nativeInvoice("DATA")(d.addYears(100).toString(Qt::ISODate));
         }));
    line("keystroke: invoice number field", typing(numbers, [&](const QString& t) { search.numberTyped(t); }),
         typing(numbers, nativeInvoice("NOTAFISCAL")));
    line("keystroke: supplier field", typing(suppliers, [&](const QString& t) { search.supplierTyped(t); }),
         typing(suppliers, nativeInvoice("FORNECEDOR")));
    line("keystroke: expiry field (and the invoice)",
         typing(expiries, [&](const QString& t) { search.expiryTyped(t); }), typing(expiries, [&](const QString& t) {
             if (const auto d = QDate::fromString(t, QStringLiteral("dd/MM/yy")); d.isValid())
                 nativeItem("VALIDADE")(d.addYears(100).toString(Qt::ISODate));
         }));
    line("keystroke: lot field (and the invoice)", typing(lots, [&](const QString& t) { search.lotTyped(t); }),
         typing(lots, nativeItem("LOTE")));

    line("Enter: date field", each(dates, [&](const QString& t) { search.dateEntered(t); }),
         each(dates, [&](const QString& t) {
             nativeInvoice("DATA")(
                 QDate::fromString(t, QStringLiteral("dd/MM/yy")).addYears(100).toString(Qt::ISODate));
         }));
    line("Enter: invoice number field", each(numbers, [&](const QString& t) { search.numberEntered(t); }),
         each(numbers, nativeInvoice("NOTAFISCAL")));
    line("Enter: supplier field", each(suppliers, [&](const QString& t) { search.supplierEntered(t); }),
         each(suppliers, nativeInvoice("FORNECEDOR")));
    line("Enter: product field (synonyms, items, invoice)",
         each(products,
              [&](const QString& t) {
                  bool found = false;
                  search.productEntered(t, found);
              }),
         each(products, nativeItem("COMPONENTE")));
    line("Enter: expiry field", each(expiries, [&](const QString& t) { search.expiryEntered(t); }),
         each(expiries, [&](const QString& t) {
             nativeItem("VALIDADE")(
                 QDate::fromString(t, QStringLiteral("dd/MM/yy")).addYears(100).toString(Qt::ISODate));
         }));
    line("Enter: lot field", each(lots, [&](const QString& t) { search.lotEntered(t); }),
         each(lots, nativeItem("LOTE")));

    // A key-down in a grid: the row moves and the other side follows.
    auto keyDowns = [&](CachedDataset& ds, const std::function<void()>& follow) {
        std::vector<double> times;
        for (int i = 0; i < samples; ++i)
            times.push_back(bench::millis([&] {
                ds.next();
                follow();
            }));
        return times;
    };
    search.supplierEntered(suppliers.value(0));
    line("key-down: invoice grid (supplier), items follow",
         keyDowns(dm.NFiscal, [&] { search.itemsFollowInvoiceSupplier(); }), each(suppliers, nativeItem("FORNECEDOR")));
    search.dateEntered(dates.value(0));
    line("key-down: invoice grid (date), items follow", keyDowns(dm.NFiscal, [&] { search.itemsFollowInvoiceDate(); }),
         each(numbers, nativeItem("NOTAFISCAL")));
    search.lotEntered(lots.value(0));
    line("key-down: item grid (lot), invoice follows", keyDowns(dm.Compras2, [&] { search.invoiceFollowsItem(); }),
         each(numbers, nativeInvoice("NOTAFISCAL")));

    std::vector<double> openings;
    for (int i = 0; i < samples; ++i) {
        search.closeItems();
        openings.push_back(bench::millis([&] { search.openItems(); }));
    }
    line("opening the panel (item list with the last query)", openings, each(lots, nativeItem("LOTE")));

    std::vector<double> sorts;
    for (int i = 0; i < samples; ++i)
        for (InvoiceOrder order :
             {InvoiceOrder::DateNumberSupplier, InvoiceOrder::NumberSupplier, InvoiceOrder::SupplierDateNumber})
            sorts.push_back(bench::millis([&] { search.sortInvoices(order); }));
    line("sort button", sorts, each(numbers, nativeInvoice("NOTAFISCAL")));

    // The product options list of the item grid, opened on a name that is not in the catalogue.
    CachedDataset& options = dm.CompNomes;
    line("product options list opened on the nearest name",
         each(products,
              [&](const QString& t) {
                  options.close();
                  options.setCommandText(supplyproducts::optionsList());
                  options.open();
                  options.findNearest({ProductSearchName(t) + QStringLiteral("zz")});
              }),
         each(products, firstAtOrAfter(c, QStringLiteral("select first 1 * from COMPONEN where GRUPO = 'SUP' and "
                                                         "COMPONENTE >= ? order by COMPONENTE"))));
    options.close();
    search.closeItems();
    Dialogs::install(nullptr);
}
