#include "StartUp.h"

#include "Measure.h"

#include "data/AsciiCase.h"
#include "data/DbError.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/ExpiredLotSweep.h"
#include "shell/StartUpLists.h"
#include "shell/WorkQueries.h"

#include <QDate>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Sweep = std::function<int(CachedDataset& compras2, const QDate& today)>;

struct StartUpRun {
    double ms = 0;
    double cpuMs = 0;      // processor time of this thread, steadier on a shared machine
    qint64 residentKb = 0; // at the login panel, everything the window holds still open
    int expired = 0;
    std::vector<std::pair<QString, bench::Times>> steps;
};

bool expiredBy(const QDate& expiry, const QDate& today)
{
    return !expiry.isValid() || today > expiry;
}

// The sweep as it ran before: every lot of a resale or compounding product read into the cache
// and walked, whether the rules can change it or not.
int sweepEveryLot(CachedDataset& compras2, const QDate& today)
{
    compras2.close();
    compras2.setCommandText(TDM::standingQuery(QStringLiteral("Compras2")));
    compras2.open();
    int count = 0;
    const auto setStatus = [&](const QString& status) {
        compras2.edit();
        compras2.setText(QStringLiteral("SITUACAO"), status);
        compras2.post();
        if (compras2.applyUpdates() > 0)
            throw DbError(compras2.lastApplyError(), compras2.lastApplyErrorCode());
    };
    for (compras2.first(); !compras2.eof(); compras2.next()) {
        const QString status = ascii::upper(compras2.asText(QStringLiteral("SITUACAO")));
        const QDate expiry =
            compras2.isNull(QStringLiteral("VALIDADE")) ? QDate() : compras2.asDate(QStringLiteral("VALIDADE"));
        if (expiredBy(expiry, today) && (status == QLatin1String("EM USO") || status.isEmpty())) {
            setStatus(QStringLiteral("Vencido"));
            ++count;
        }
        if (compras2.asText(QStringLiteral("SITUACAO")).isEmpty())
            setStatus(QStringLiteral("Estoque"));
    }
    return count;
}

// How many lots the former rule would mark, read with a plain cursor and nothing written.
int lotsTheRuleWouldMark(FbConnection& c, const QDate& today)
{
    auto cursor = c.openCursor(QStringLiteral("select A.SITUACAO, A.VALIDADE from COMPRAS A, COMPONEN B WHERE "
                                              "A.CODIGO = B.CODIGO AND (B.GRUPO = 'REV' OR B.GRUPO = 'PRP')"));
    int count = 0;
    while (cursor->fetch()) {
        const QString status = cursor->isNull(0) ? QString() : ascii::upper(cursor->text(0));
        const QDate expiry = cursor->isNull(1) ? QDate() : std::get<QDate>(cursor->value(1));
        if (expiredBy(expiry, today) && (status == QLatin1String("EM USO") || status.isEmpty()))
            ++count;
    }
    return count;
}

// The show handler's reads, in its order, up to the login panel, each step timed.
StartUpRun startUp(const FbConnection::Params& shared, const FbConnection::Params& workstation, const Sweep& sweep)
{
    StartUpRun run;
    SessionState session;
    std::unique_ptr<TDM> dm;
    Values lastInvoice;
    const auto step = [&](const char* name, const std::function<void()>& work) {
        const bench::Times t = bench::timed(work);
        run.ms += t.wall;
        run.cpuMs += t.cpu;
        run.steps.push_back({QString::fromLatin1(name), t});
    };
    step("data module and connection", [&] {
        dm = std::make_unique<TDM>(shared, workstation, session);
        dm->SQLConnection1.open();
    });
    step("stock locations, supplier counter, payment forms", [&] {
        StockLocationNames(*dm);
        session.LastSupplierCode = LastSupplierCodeOf(*dm);
        PaymentFormEntries(*dm);
    });
    step("work queries opened", [&] {
        dm->Componentes.close();
        dm->Componentes.setCommandText(workqueries::componentes());
        dm->NFiscal.close();
        dm->NFiscal.setCommandText(workqueries::nfiscal());
        dm->NFiscal.open();
        dm->Componentes.open();
        dm->Unidades.open();
        dm->Compras.close();
        dm->Compras.setCommandText(workqueries::compras());
        dm->Compras.open();
    });
    step("last invoice", [&] {
        dm->NFiscal.last();
        lastInvoice = {dm->Compras.value(QStringLiteral("DATA")), dm->Compras.value(QStringLiteral("NOTAFISCAL")),
                       dm->Compras.value(QStringLiteral("FORNECEDOR"))};
    });
    step("expired-lot sweep", [&] { run.expired = sweep(dm->Compras2, QDate::currentDate()); });
    run.residentKb = bench::residentKb();
    step("invoice located again", [&] {
        dm->Compras2.close();
        if (!dm->Compras.isEmpty())
            dm->NFiscal.locate(lastInvoice);
    });
    dm.reset();
    return run;
}

void noteSteps(const StartUpRun& run)
{
    for (const auto& [name, t] : run.steps)
        bench::note(
            QStringLiteral("   %1: %2 ms, processor %3 ms").arg(name).arg(t.wall, 0, 'f', 0).arg(t.cpu, 0, 'f', 0));
}

} // namespace

void measureStartUp(const FbConnection::Params& shared, const FbConnection::Params& workstation)
{
    bench::note(QStringLiteral("\n-- Start-up to the login panel, on the data module (lists, work queries, last "
                               "invoice, expired-lot sweep)"));
    int expected = 0;
    {
        FbConnection c(shared);
        c.open();
        const double walk = bench::millis([&] { expected = lotsTheRuleWouldMark(c, QDate::currentDate()); });
        bench::note(QStringLiteral("   every resale and compounding lot walked by a plain cursor: %1 ms, %2 lots to "
                                   "mark")
                        .arg(walk, 0, 'f', 0)
                        .arg(expected));
    }
    const Sweep candidates = [](CachedDataset& ds, const QDate& today) { return SweepExpiredLots(ds, today); };
    const StartUpRun first = startUp(shared, workstation, candidates);
    bench::note(QStringLiteral("   first start: %1 ms, %2 lots marked \"Vencido\" (the former rule: %3)")
                    .arg(first.ms, 0, 'f', 0)
                    .arg(first.expired)
                    .arg(expected));
    // Both ways again on the swept database, the former one first, each in a fresh data module.
    const StartUpRun former = startUp(shared, workstation, sweepEveryLot);
    const StartUpRun now = startUp(shared, workstation, candidates);
    bench::note(QStringLiteral("   steps of the start-up, former sweep:"));
    noteSteps(former);
    bench::note(QStringLiteral("   steps of the start-up, sweep by candidates:"));
    noteSteps(now);
    bench::report("start-up to the login panel, sweep by candidates", now.ms, former.ms, "ms", "<= 1000 ms");
    bench::report("same, processor time", now.cpuMs, former.cpuMs, "ms", "<= 1000 ms");
    bench::report("resident size at the login panel", double(now.residentKb) / 1024.0,
                  double(former.residentKb) / 1024.0, "MB", "<= 150 MB (window included)");
}
