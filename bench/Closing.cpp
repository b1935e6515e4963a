#include "Closing.h"

#include "Measure.h"

#include "closing/InvoiceTotals.h"
#include "closing/StockEntry.h"
#include "closing/StockEntryLog.h"
#include "data/SqlText.h"
#include "data/UnitOfWork.h"
#include "db/ColumnLists.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"

#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

constexpr int kItems = 100;
constexpr int kInvoices = 3;
constexpr int kTotalsRuns = 20;

struct Supply {
    QString code;
    QString name;
    QString unit;
};

std::vector<Supply> supplies(FbConnection& c, int count)
{
    std::vector<Supply> all;
    auto cursor = c.openCursor(QStringLiteral("select CODIGO, COMPONENTE, UNID from COMPONEN where GRUPO = 'SUP'"));
    while (cursor->fetch())
        all.push_back({cursor->text(0), cursor->text(1), cursor->text(2)});
    std::vector<Supply> out;
    QRandomGenerator random(11);
    for (int i = 0; i < count && !all.empty(); ++i)
        out.push_back(all[std::size_t(random.bounded(int(all.size())))]);
    return out;
}

qint64 greatest(FbConnection& c, const char* sql)
{
    const Values row = c.executeRow(QLatin1String(sql));
    return isNull(row.front()) ? 0 : std::get<qint64>(row.front());
}

// A new invoice of the first supplier with 100 items of lots never seen, written natively (not
// part of any figure). Returns its CODIGO.
qint64 newInvoice(FbConnection& c, const std::vector<Supply>& picked, int run)
{
    const qint64 code = greatest(c, "select max(CODIGO) from NFISCAL") + 1;
    qint64 item = greatest(c, "select max(CODCOMPRA) from COMPRAS");
    const Values supplier =
        c.executeRow(QStringLiteral("select first 1 CODIGO, NOMEFANTASIA from FORNECED order by CODIGO"));
    const QString number = QStringLiteral("B%1").arg(code);
    const QDate today = QDate::currentDate();
    c.execute(QStringLiteral("insert into NFISCAL (ESTACAO, CODIGO, DATA, DATARECEBIM, NOTAFISCAL, FORNECEDOR, "
                             "CODIGOFORNECEDOR, GRUPDESP, FRETE, DESCONTOTOTAL) values ('01', ?, ?, ?, ?, ?, ?, 'SUP', "
                             "12.5, 2.5)"),
              {code, today, today, number, supplier.at(1), supplier.at(0)});
    std::vector<Values> rows;
    for (int i = 0; i < kItems; ++i) {
        const Supply& s = picked[std::size_t(i)];
        rows.push_back({++item, today, number, supplier.at(1), s.name, s.code,
                        QStringLiteral("BENCH-%1-%2-%3").arg(code).arg(run).arg(i), Decimal{i + 1, 0}, s.unit,
                        Decimal{150 + i, 2}, Decimal{(i + 1) * (150 + i), 2},
                        QString::number(i + 1).rightJustified(4, u'0'), supplier.at(0)});
    }
    c.executeMany(
        QStringLiteral("insert into COMPRAS (ESTACAO, CODCOMPRA, DATA, NOTAFISCAL, FORNECEDOR, COMPONENTE, "
                       "CODIGO, LOTE, QUANTIDADE, UNIDADE, PRECOUNITR, SALDO, RESPONSAVEL, CODIGOFORNECEDOR, "
                       "LABORATORIO, SITUACAO, VALIDADE) values ('01', ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                       "'Almoxarifado', 'Estoque', '2030-12-31')"),
        rows);
    return code;
}

// The stock rows and the invoice a run added, removed again so that the database stays as made.
void removeInvoice(FbConnection& c, qint64 code)
{
    const Values inv =
        c.executeRow(QStringLiteral("select NOTAFISCAL, CODIGOFORNECEDOR from NFISCAL where CODIGO = ?"), {code});
    c.execute(QStringLiteral("delete from MOVEST where LOTE starting with ?"), {QStringLiteral("BENCH-%1-").arg(code)});
    c.execute(QStringLiteral("delete from ESTLOTE where LOTE starting with ?"),
              {QStringLiteral("BENCH-%1-").arg(code)});
    c.execute(QStringLiteral("delete from COMPRAS where NOTAFISCAL = ? and CODIGOFORNECEDOR = ?"),
              {inv.at(0), inv.at(1)});
    c.execute(QStringLiteral("delete from NFISCAL where CODIGO = ?"), {code});
}

// The same stock rows written by native statements in one transaction: per item the duplicate
// check, the product, the last key, the movement, the lot look-up and the new lot. This is what
// the closing has to do at the least.
void nativeClosing(FbConnection& c, qint64 code)
{
    UnitOfWork work(c);
    const Values inv =
        c.executeRow(QStringLiteral("select NOTAFISCAL, CODIGOFORNECEDOR from NFISCAL where CODIGO = ?"), {code});
    auto items = c.openCursor(QStringLiteral("select ") + ComprasColumns +
                                  QStringLiteral(" from COMPRAS where NOTAFISCAL = ? and CODIGOFORNECEDOR = ? order by "
                                                 "DATA, NOTAFISCAL, FORNECEDOR, RESPONSAVEL"),
                              {inv.at(0), inv.at(1)});
    std::vector<Values> rows;
    while (items->fetch()) {
        Values v;
        for (int i = 0; i < items->layout().count(); ++i)
            v.push_back(items->value(i));
        rows.push_back(v);
    }
    for (const Values& it : rows) {
        const Value& name = it[5];
        const Value& lot = it[6];
        const Value& supplier = it[4];
        c.executeRow(QStringLiteral("select count(*) from MOVEST where ESTACAO = ? and CODCOMPRA = ? and DATA = ? and "
                                    "LOTE = ? and FORNECEDOR = ? and DESCRICAO = ?"),
                     {it[0], it[1], it[2], lot, supplier, name});
        const Values product = c.executeRow(
            QStringLiteral("select ") + ComponenColumns + QStringLiteral(" from COMPONEN where CODIGO = ?"), {it[17]});
        const qint64 key = greatest(c, "select first 1 CODMOVEST from MOVEST order by CODMOVEST desc") + 1;
        c.execute(
            QStringLiteral("insert into MOVEST (CODMOVEST, ESTACAO, CODCOMPRA, DATA, VALIDADE, CODPROD, LOTE, "
                           "FORNECEDOR, DESCRICAO, NITEM, QUANTIDADE, UNIDADE, CONTROLADA, LABORATORIO, "
                           "USADOESTPREV, USADOESTCOR) values (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, '1', '1')"),
            {key, it[0], it[1], it[2], it[12], it[17], lot, supplier, name, product[2], it[7], product[4], product[5],
             it[24]});
        c.executeRow(QStringLiteral("select count(*) from COMPONEN where GRUPO = 'SUP' and COMPONENTE = ?"), {name});
        c.executeRow(QStringLiteral("select count(*) from ESTLOTE where DESCRICAO = ? and LOTE = ? and FORNECEDOR = ?"),
                     {name, lot, supplier});
        c.execute(
            QStringLiteral("insert into ESTLOTE (DESCRICAO, LOTE, FORNECEDOR, CODIGO, CODIGOEAN, UNIDADE, "
                           "SITUACAO, VALIDADE, SALDOPREVISTO, SALDOCORRENTE, LABORATORIO) values (?, ?, ?, ?, ?, ?, "
                           "'Estoque', ?, ?, ?, ?)"),
            {name, lot, supplier, it[17], it[17], product[4], it[12], it[7], it[7], it[24]});
    }
    work.commit();
}

// The duplicate checks of a closing that finds every item entered.
void nativeSecondClosing(FbConnection& c, qint64 code)
{
    const Values inv =
        c.executeRow(QStringLiteral("select NOTAFISCAL, CODIGOFORNECEDOR from NFISCAL where CODIGO = ?"), {code});
    auto items =
        c.openCursor(QStringLiteral("select ESTACAO, CODCOMPRA, DATA, LOTE, FORNECEDOR, COMPONENTE from COMPRAS "
                                    "where NOTAFISCAL = ? and CODIGOFORNECEDOR = ?"),
                     {inv.at(0), inv.at(1)});
    std::vector<Values> rows;
    while (items->fetch())
        rows.push_back(
            {items->value(0), items->value(1), items->value(2), items->value(3), items->value(4), items->value(5)});
    for (const Values& v : rows)
        c.executeRow(QStringLiteral("select count(*) from MOVEST where ESTACAO = ? and CODCOMPRA = ? and DATA = ? and "
                                    "LOTE = ? and FORNECEDOR = ? and DESCRICAO = ?"),
                     v);
}

void nativeTotals(FbConnection& c, qint64 code)
{
    const Values inv =
        c.executeRow(QStringLiteral("select NOTAFISCAL, CODIGOFORNECEDOR from NFISCAL where CODIGO = ?"), {code});
    const Values sum =
        c.executeRow(QStringLiteral("select SUM(SALDO) from COMPRAS where NOTAFISCAL = ? and CODIGOFORNECEDOR = ?"),
                     {inv.at(0), inv.at(1)});
    c.execute(QStringLiteral("update NFISCAL set VALBRUTO = ? + 12.5, VALLIQUIDO = ? + 10 where CODIGO = ?"),
              {sum.at(0), sum.at(0), code});
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

void measureClosing(FbConnection& c)
{
    bench::note(QStringLiteral("\n-- Closing a new %1-item invoice into stock (median of %2 invoices)")
                    .arg(kItems)
                    .arg(kInvoices));
    const FbConnection::Params shared = c.params();
    const FbConnection::Params workstation{productfolder::workstationDatabase(), shared.user, shared.password};
    QTemporaryDir logFolder;
    const StockEntryLog log(logFolder.filePath(QStringLiteral("LOGESTLOTE.TXT")));
    const std::vector<Supply> picked = supplies(c, kItems);

    SessionState session;
    session.WorkstationCode = QStringLiteral("01");
    TDM dm(shared, workstation, session);

    std::vector<double> totals, nativeTotalsMs, first, nativeFirst, second, nativeSecond, firstCpu, nativeFirstCpu;
    for (int run = 0; run < kInvoices; ++run) {
        const qint64 code = newInvoice(c, picked, run);
        dm.NFiscal.close();
        dm.NFiscal.setCommandText(
            QStringLiteral("select ") + NFiscalColumns +
            QStringLiteral(" from NFISCAL where CODIGO = %1 order by DATA, NOTAFISCAL, FORNECEDOR").arg(code));
        dm.NFiscal.open();
        for (int i = 0; i < kTotalsRuns; ++i) {
            totals.push_back(bench::millis([&] { RecalcInvoiceTotals(dm); }));
            nativeTotalsMs.push_back(bench::millis([&] { nativeTotals(c, code); }));
        }
        const bench::Times closing = bench::timed([&] { CloseInvoiceIntoStock(dm, log); });
        first.push_back(closing.wall);
        firstCpu.push_back(closing.cpu);
        second.push_back(bench::millis([&] { CloseInvoiceIntoStock(dm, log); }));
        nativeSecond.push_back(bench::millis([&] { nativeSecondClosing(c, code); }));
        // The baseline enters the same items again, natively, after the cached closing's rows are gone.
        c.execute(QStringLiteral("delete from MOVEST where LOTE starting with ?"),
                  {QStringLiteral("BENCH-%1-").arg(code)});
        c.execute(QStringLiteral("delete from ESTLOTE where LOTE starting with ?"),
                  {QStringLiteral("BENCH-%1-").arg(code)});
        const bench::Times native = bench::timed([&] { nativeClosing(c, code); });
        nativeFirst.push_back(native.wall);
        nativeFirstCpu.push_back(native.cpu);
        dm.NFiscal.close();
        dm.Compras.close();
        removeInvoice(c, code);
    }
    bench::report("RecalcInvoiceTotals, median", median(totals), median(nativeTotalsMs), "ms", "<= 50 ms");
    bench::report("closing a new 100-item invoice, wall", median(first), median(nativeFirst), "ms", "<= 1000 ms");
    bench::report("same, processor time", median(firstCpu), median(nativeFirstCpu), "ms", "");
    bench::report("closing it again (every item entered)", median(second), median(nativeSecond), "ms", "<= 300 ms");
}
