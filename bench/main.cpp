// korvanis-bench: the cached datasets measured on a large database (made by
// `korvanis-admin generate`), each figure next to a native baseline measured in the same run.

#include "Backup.h"
#include "Closing.h"
#include "Concurrency.h"
#include "Measure.h"
#include "Nfe.h"
#include "NfeEvidence.h"
#include "Payables.h"
#include "ProductLookup.h"
#include "PurchaseSearch.h"
#include "StartUp.h"

#include "data/CachedDataset.h"
#include "data/FbConnection.h"
#include "db/ColumnLists.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/WorkQueries.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>

#include <cstdio>
#include <numeric>

namespace {

using Mode = CachedDataset::WriteMode;

QString comprasStartupQuery()
{
    return QStringLiteral("select ") + ComprasColumns +
           QStringLiteral(" from COMPRAS order by DATA, NOTAFISCAL, FORNECEDOR, RESPONSAVEL");
}

QString invoicesStartupQuery()
{
    return QStringLiteral("select ") + NFiscalColumns +
           QStringLiteral(" from NFISCAL where GRUPDESP = 'SUP' order by DATA, NOTAFISCAL, FORNECEDOR");
}

std::unique_ptr<CachedDataset> invoices(FbConnection& c)
{
    auto ds =
        std::make_unique<CachedDataset>(QStringLiteral("NFiscal"), c, QStringLiteral("NFISCAL"), Mode::KeyColumns,
                                        QStringList{"ESTACAO", "CODIGO", "DATA", "NOTAFISCAL", "CODIGOFORNECEDOR"},
                                        QStringList{"ESTACAO", "CODIGO", "DATA", "NOTAFISCAL", "CODIGOFORNECEDOR"});
    ds->setCommandText(invoicesStartupQuery());
    return ds;
}

std::unique_ptr<CachedDataset> items(FbConnection& c)
{
    auto ds = std::make_unique<CachedDataset>(QStringLiteral("Compras"), c, QStringLiteral("COMPRAS"), Mode::KeyColumns,
                                              QStringList{"ESTACAO", "CODCOMPRA", "DATA", "NOTAFISCAL", "CODIGO"});
    ds->setCommandText(comprasStartupQuery());
    return ds;
}

void measureOpen(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Open and stand on the first row (median of 7)"));
    for (const auto& [name, sql] : {std::pair{"Compras, start-up query", comprasStartupQuery()},
                                    std::pair{"NFiscal, start-up query", invoicesStartupQuery()}}) {
        QString first;
        const double native = bench::medianMillis(7, [&] {
            auto cursor = c.openCursor(sql);
            cursor->fetch();
            first = cursor->text(0);
        });
        auto ds = std::make_unique<CachedDataset>(QStringLiteral("Open"), c, QStringLiteral("X"), Mode::ReadOnly);
        ds->setCommandText(sql);
        int fetched = 0;
        const double cached = bench::medianMillis(7, [&] {
            ds->close();
            ds->open();
            first = ds->textAt(0, 0);
            fetched = ds->fetchedRowCount();
        });
        bench::report(name, cached, native, "ms", "<= 50 ms");
        bench::note(QStringLiteral("   rows fetched at open: %1").arg(fetched));
    }
}

void measureFullFetch(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Full fetch of the Compras start-up query (best of 3, runs alternated)"));
    const QString sql = comprasStartupQuery();
    int nativeRows = 0;
    auto nativeLoop = [&] {
        auto cursor = c.openCursor(sql);
        nativeRows = 0;
        while (cursor->fetch())
            ++nativeRows;
    };
    int rows = 0;
    unsigned messageLength = 0;
    std::size_t held = 0;
    qint64 residentGrowthKb = -1;
    auto cachedFetch = [&] {
        auto ds = items(c);
        const qint64 before = bench::residentKb();
        ds->open();
        ds->fetchAll();
        if (residentGrowthKb < 0) // the first run only: later ones reuse memory the first gave back
            residentGrowthKb = bench::residentKb() - before;
        rows = ds->fetchedRowCount();
        messageLength = ds->layout().messageLength();
        held = ds->memoryHeld();
    };
    bench::Times native{1e300, 1e300};
    bench::Times cached{1e300, 1e300};
    for (int run = 0; run < 3; ++run) {
        const bench::Times n = bench::timed(nativeLoop);
        const bench::Times k = bench::timed(cachedFetch);
        native = {std::min(native.wall, n.wall), std::min(native.cpu, n.cpu)};
        cached = {std::min(cached.wall, k.wall), std::min(cached.cpu, k.cpu)};
    }
    bench::report("full fetch, wall clock (vs native cursor loop)", cached.wall, native.wall, "ms", "ratio <= 1.3");
    bench::report("full fetch, processor time (vs native cursor loop)", cached.cpu, native.cpu, "ms", "ratio <= 1.3");
    bench::note(
        QStringLiteral("   rows %1 (native %2), message length %3 bytes").arg(rows).arg(nativeRows).arg(messageLength));
    const double perRow = rows > 0 ? double(held) / rows : 0;
    bench::report("memory held per cached row (rows, table, changes)", perRow, messageLength, "B", "ratio <= 1.5");
    bench::report("resident growth per row, first fetch", rows > 0 ? double(residentGrowthKb) * 1024.0 / rows : 0,
                  messageLength, "B", "ratio <= 1.5");
}

struct InvoiceKey {
    Value date;
    Value number;
    Value supplier;
};

// The invoice list as the window has it: the data module's NFiscal on its work query, read
// around the key searched.
void measureSearches(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Searches on NFiscal (the data module's, work query), 1000 keys each"));
    std::vector<InvoiceKey> stored;
    {
        auto cursor = c.openCursor(QStringLiteral("select DATA, NOTAFISCAL, FORNECEDOR from NFISCAL where GRUPDESP = "
                                                  "'SUP'"));
        while (cursor->fetch())
            stored.push_back({cursor->value(0), cursor->value(1), cursor->value(2)});
    }
    const int n = int(stored.size());
    if (n == 0)
        return;
    SessionState session;
    TDM dm(c.params(), {productfolder::workstationDatabase(), c.params().user, c.params().password}, session);
    CachedDataset* ds = &dm.NFiscal;
    ds->close();
    ds->setCommandText(workqueries::nfiscal());
    ds->open();
    QRandomGenerator random(1994);
    std::vector<InvoiceKey> keys;
    for (int i = 0; i < 1000; ++i)
        keys.push_back(stored[std::size_t(random.bounded(n))]);
    bench::note(QStringLiteral("   %1 invoices").arg(n));

    // The mean over the 1000 searches, and the slow end of their spread (a machine shared with
    // other programs preempts a search now and then).
    auto spread = [](std::vector<double> t) {
        std::sort(t.begin(), t.end());
        return QStringLiteral("   median %1 ms, 99th percentile %2 ms, slowest %3 ms")
            .arg(t[t.size() / 2], 0, 'f', 4)
            .arg(t[t.size() * 99 / 100], 0, 'f', 4)
            .arg(t.back(), 0, 'f', 3);
    };
    std::vector<double> times;
    int found = 0;
    for (const InvoiceKey& k : keys)
        times.push_back(bench::millis([&] { found += ds->locate({k.date, k.number, k.supplier}); }));
    const double all = std::accumulate(times.begin(), times.end(), 0.0);
    const QString exact = QStringLiteral("select first 1 CODIGO from NFISCAL where GRUPDESP = 'SUP' and DATA = ? and "
                                         "NOTAFISCAL = ? and FORNECEDOR = ?");
    const double native = bench::millis([&] {
        for (const InvoiceKey& k : keys)
            c.executeRow(exact, {k.date, k.number, k.supplier});
    });
    bench::report("key search, mean (vs native indexed select)", all / 1000, native / 1000, "ms", "<= 5 ms");
    bench::note(spread(times) + QStringLiteral("; %1 of 1000 found").arg(found));

    times.clear();
    for (const InvoiceKey& k : keys) {
        const QString partial = std::get<QString>(k.number).left(2);
        times.push_back(bench::millis([&] { ds->findNearest({k.date, partial}); }));
    }
    const double allNearest = std::accumulate(times.begin(), times.end(), 0.0);
    const QString nearest = QStringLiteral("select first 1 CODIGO from NFISCAL where GRUPDESP = 'SUP' and "
                                           "(DATA > ? or (DATA = ? and NOTAFISCAL >= ?)) order by DATA, NOTAFISCAL, "
                                           "FORNECEDOR");
    const double nativeNearest = bench::millis([&] {
        for (const InvoiceKey& k : keys) {
            const QString partial = std::get<QString>(k.number).left(2);
            c.executeRow(nearest, {k.date, k.date, partial});
        }
    });
    bench::report("nearest search, mean (vs native indexed select)", allNearest / 1000, nativeNearest / 1000, "ms",
                  "<= 5 ms");
    bench::note(spread(times));

    bench::note(QStringLiteral("   rows fetched into the list after the searches: %1").arg(ds->fetchedRowCount()));
}

void measureWrites(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Writing 1000 changed invoices (OBSERVACAO), each committed on its own"));
    auto ds = invoices(c);
    ds->open();
    const int n = ds->recordCount();
    if (n < 1000)
        return;
    const QString update = QStringLiteral("update NFISCAL set OBSERVACAO = ? where ESTACAO = ? and CODIGO = ? and "
                                          "DATA = ? and NOTAFISCAL = ? and CODIGOFORNECEDOR = ?");
    const int step = n / 1000;
    bench::Times cached{1e300, 1e300};
    bench::Times native{1e300, 1e300};
    for (int round = 0; round < 3; ++round) {
        // Native: the same statement, prepared once, one autocommitted execution per row.
        const bench::Times n1 = bench::timed([&] {
            for (int i = 0; i < 1000; ++i) {
                const int row = i * step;
                Values params{QStringLiteral("native %1.%2").arg(round).arg(i)};
                for (const char* key : {"ESTACAO", "CODIGO", "DATA", "NOTAFISCAL", "CODIGOFORNECEDOR"})
                    params.push_back(ds->valueAt(row, ds->fieldIndex(QLatin1String(key))));
                c.execute(update, params);
            }
        });
        for (int i = 0; i < 1000; ++i) {
            ds->moveTo(i * step);
            ds->edit();
            ds->setText(QStringLiteral("OBSERVACAO"), QStringLiteral("cached %1.%2").arg(round).arg(i));
            ds->post();
        }
        int rejected = 0;
        const bench::Times k = bench::timed([&] { rejected = ds->applyUpdates(); });
        if (rejected > 0)
            bench::note(QStringLiteral("   %1 rejected: %2").arg(rejected).arg(ds->lastApplyError()));
        native = {std::min(native.wall, n1.wall), std::min(native.cpu, n1.cpu)};
        cached = {std::min(cached.wall, k.wall), std::min(cached.cpu, k.cpu)};
    }
    bench::report("applyUpdates of 1000 changes, wall clock (best of 3)", cached.wall, native.wall, "ms",
                  "ratio <= 1.3");
    bench::report("applyUpdates of 1000 changes, processor time", cached.cpu, native.cpu, "ms", "ratio <= 1.3");
}

// ---- Growth: the same figures on a database N times the reference, beside the reference's

// The figures of one database, run first thing in a process of their own so that the resident
// size at the login panel owes nothing to the other database.
void measureForGrowth(FbConnection& c)
{
    measureStartUp(c.params(), {productfolder::workstationDatabase(), c.params().user, c.params().password});
    measureSearches(c);
    measurePurchaseSearch(c);
    measureProductLookup(c);
    measureClosing(c);
    measureNfeImport();
}

bool writeFigures(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QTextStream out(&file);
    for (const bench::Figure& f : bench::figures())
        out << f.name << '\t' << QString::number(f.value, 'g', 12) << '\t' << f.unit << '\n';
    return true;
}

std::vector<bench::Figure> readFigures(const QString& path)
{
    std::vector<bench::Figure> out;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return out;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList f = in.readLine().split(QLatin1Char('\t'));
        if (f.size() == 3)
            out.push_back({f.at(0), f.at(1).toDouble(), f.at(2)});
    }
    return out;
}

// The growth each figure may show: the keystrokes and the start-up walk indexes, so they stay
// nearly flat; the memory at the login panel holds no list in full.
QString growthTarget(const QString& name)
{
    if (name.startsWith(QLatin1String("resident size at the login panel")))
        return QStringLiteral("<= 1.1");
    if (name.startsWith(QLatin1String("keystroke")) || name.startsWith(QLatin1String("start-up")) ||
        name.startsWith(QLatin1String("product look-up")))
        return QStringLiteral("<= 1.3");
    return {};
}

// korvanis-bench --growth FOLDER-1x FOLDER-Nx: each folder measured by a child process, then
// every figure's ratio Nx / 1x.
int runGrowth(const QStringList& folders)
{
    if (folders.size() != 2) {
        std::fprintf(stderr, "Uso: korvanis-bench --growth PASTA-1x PASTA-Nx\n");
        return 2;
    }
    QTemporaryDir work;
    std::vector<std::vector<bench::Figure>> runs;
    for (const QString& folder : folders) {
        const QString path = work.filePath(QStringLiteral("figures-%1.tsv").arg(runs.size()));
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedChannels);
        child.start(QCoreApplication::applicationFilePath(), {folder, QStringLiteral("growth-figures"), path});
        child.waitForFinished(-1);
        if (child.exitStatus() != QProcess::NormalExit || child.exitCode() != 0) {
            std::fprintf(stderr, "A medição de %s falhou.\n", folder.toUtf8().constData());
            return 1;
        }
        runs.push_back(readFigures(path));
    }
    const std::vector<bench::Figure>& small = runs.at(0);
    const std::vector<bench::Figure>& large = runs.at(1);
    bench::note(QStringLiteral("\n-- Growth: %1 (large) against %2 (reference)").arg(folders.at(1), folders.at(0)));
    std::printf("%-52s %12s %12s %7s  %s\n", "figure", "reference", "large", "ratio", "target");
    for (std::size_t i = 0; i < std::min(small.size(), large.size()); ++i) {
        const bench::Figure& a = small[i];
        const bench::Figure& b = large[i];
        if (a.name != b.name)
            continue;
        std::printf("%-52s %9.2f %-2s %9.2f %-2s %7.2f  %s\n", a.name.toUtf8().constData(), a.value,
                    a.unit.toUtf8().constData(), b.value, b.unit.toUtf8().constData(),
                    a.value > 0 ? b.value / a.value : 0.0, growthTarget(a.name).toUtf8().constData());
    }
    std::fflush(stdout);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    // korvanis-bench concurrency DATABASE [--writers N] [--invoices M] (see Concurrency.h)
    if (args.size() > 1 && args.at(1) == QLatin1String("concurrency"))
        return runConcurrency(args.mid(2));
    if (args.size() > 1 && args.at(1) == QLatin1String("concurrency-writer"))
        return runConcurrencyWriter(args.mid(2));
    // korvanis-bench --growth FOLDER-1x FOLDER-Nx
    if (args.size() > 1 && args.at(1) == QLatin1String("--growth"))
        return runGrowth(args.mid(2));
    // korvanis-bench [PRODUCT-FOLDER [open|fetch|search|write|lookup|close|payables|nfe|startup|backup]]
    if (args.size() > 1)
        qputenv("KORVANIS_DIR", QFile::encodeName(args.at(1)));
    productfolder::useOwnLockFolderIfNeeded();
    const QString database = productfolder::sharedDatabase();
    if (!QFileInfo::exists(database)) {
        std::fprintf(stderr, "Banco de dados não encontrado: %s\nCrie-o com: korvanis-admin generate\n",
                     database.toUtf8().constData());
        return 2;
    }
    const QString only = args.size() > 2 ? args.at(2) : QString();
    // Only on request: it takes minutes on a large database, and gbak needs the file to itself.
    if (only == QLatin1String("backup")) {
        measureBackup({database, FbConnection::defaultUser(), FbConnection::defaultPassword()});
        return 0;
    }
    FbConnection c({database, FbConnection::defaultUser(), FbConnection::defaultPassword()});
    c.open();
    bench::note(QStringLiteral("korvanis-bench on %1").arg(database));
    try {
        if (only.isEmpty() || only == QLatin1String("open"))
            measureOpen(c);
        if (only.isEmpty() || only == QLatin1String("fetch"))
            measureFullFetch(c);
        if (only.isEmpty() || only == QLatin1String("search")) {
            measureSearches(c);
            measurePurchaseSearch(c);
        }
        if (only.isEmpty() || only == QLatin1String("write"))
            measureWrites(c);
        if (only.isEmpty() || only == QLatin1String("lookup"))
            measureProductLookup(c);
        if (only.isEmpty() || only == QLatin1String("close"))
            measureClosing(c);
        if (only.isEmpty() || only == QLatin1String("payables"))
            measurePayables(c);
        if (only.isEmpty() || only == QLatin1String("nfe")) {
            measureNfeImport();
            measureNfeChecks();
            measureNfeBatch();
        }
        if (only.isEmpty() || only == QLatin1String("startup"))
            measureStartUp(c.params(), {productfolder::workstationDatabase(), c.params().user, c.params().password});
        if (only == QLatin1String("growth-figures")) {
            measureForGrowth(c);
            if (args.size() < 4 || !writeFigures(args.at(3)))
                return 1;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    bench::note(QStringLiteral("\npeak resident size: %1 MB").arg(double(bench::peakResidentKb()) / 1024.0, 0, 'f', 1));
    return 0;
}
