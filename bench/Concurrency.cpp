#include "Concurrency.h"

#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/FbConnection.h"
#include "purchase/DataModule.h"
#include "purchase/DatasetRules.h"
#include "purchase/SessionState.h"

#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QProcess>
#include <QRandomGenerator>
#include <QThread>

#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int kItemsPerInvoice = 3;
const QString kSupplierCode = QStringLiteral("9999");

void say(const QString& text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

void complain(const QString& text)
{
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

// The value after `--name`, or `fallback`.
QString option(const QStringList& args, const QString& name, const QString& fallback = {})
{
    const qsizetype at = args.indexOf(QStringLiteral("--") + name);
    return at >= 0 && at + 1 < args.size() ? args.at(at + 1) : fallback;
}

int positive(const QStringList& args, const QString& name, int fallback)
{
    bool ok = false;
    const int n = option(args, name, QString::number(fallback)).toInt(&ok);
    return ok && n > 0 ? n : -1;
}

FbConnection::Params paramsOf(const QString& database)
{
    return {database, FbConnection::defaultUser(), FbConnection::defaultPassword()};
}

// The rows of one run are told from every other row by a tag: a letter the real invoice numbers
// never start with, then two random letters.
QString newTag()
{
    QString tag = QStringLiteral("Q");
    for (int i = 0; i < 2; ++i)
        tag += QChar(u'A' + QRandomGenerator::global()->bounded(26));
    return tag;
}

QString supplierNamePrefix(const QString& tag)
{
    return QStringLiteral("CARGA ") + tag;
}

// A writer reports every refusal the rules report on the standard error.
ListenerHandle reportRefusals(TDM& dm, int writer)
{
    return dm.rules().messageRaised.add([writer](const QString& text) {
        complain(QStringLiteral("gravador %1: %2").arg(writer).arg(QString(text).replace(u'\r', u' ')));
    });
}

// ---- one writer

void writeInvoice(TDM& dm, const QString& number, const QString& tag)
{
    CachedDataset& nf = dm.NFiscal;
    nf.append();
    nf.setDate(QStringLiteral("DATA"), QDate::currentDate());
    nf.setText(QStringLiteral("NOTAFISCAL"), number);
    nf.setText(QStringLiteral("FORNECEDOR"), supplierNamePrefix(tag));
    nf.setText(QStringLiteral("CODIGOFORNECEDOR"), kSupplierCode);
    nf.post();
}

void writeItem(TDM& dm, int item)
{
    CachedDataset& items = dm.Compras;
    items.append();
    items.setText(QStringLiteral("COMPONENTE"), QStringLiteral("PRODUTO DE CARGA %1").arg(item));
    items.setValue(QStringLiteral("QUANTIDADE"), qint64(item));
    items.setText(QStringLiteral("UNIDADE"), QStringLiteral("G"));
    items.post();
}

void writeSupplier(TDM& dm, const QString& name)
{
    CachedDataset& suppliers = dm.Fornecedor;
    suppliers.append();
    suppliers.setText(QStringLiteral("NOME"), name);
    suppliers.setText(QStringLiteral("NOMEFANTASIA"), name);
    suppliers.post();
}

// What the rules left pending is written once more at the end, as the next action would.
int flush(CachedDataset& dataset)
{
    if (!dataset.isOpen() || dataset.pendingChanges() == 0)
        return 0;
    try {
        DatasetRules::Write(dataset);
    } catch (const std::exception&) {
    }
    return dataset.pendingChanges();
}

// A row left half typed by a failed step is dropped, as the clerk would with Esc, so that the
// writer goes on with the next row.
void dropUnposted(CachedDataset& dataset)
{
    if (dataset.state() == CachedDataset::State::Insert || dataset.state() == CachedDataset::State::Edit)
        dataset.cancel();
}

// Runs one step; false (with the reason on the standard error) when it failed.
bool runGuarded(TDM& dm, int writer, const std::function<void()>& step)
{
    try {
        step();
        return true;
    } catch (const DbError& e) {
        complain(QStringLiteral("gravador %1: %2").arg(writer).arg(DbErrorText({}, e).replace(u'\r', u' ')));
    } catch (const DatasetError& e) {
        complain(QStringLiteral("gravador %1: %2").arg(writer).arg(QString(e.message()).replace(u'\r', u' ')));
    } catch (const std::exception& e) {
        complain(QStringLiteral("gravador %1: %2").arg(writer).arg(QString::fromUtf8(e.what())));
    }
    dropUnposted(dm.Compras);
    dropUnposted(dm.NFiscal);
    dropUnposted(dm.Fornecedor);
    return false;
}

} // namespace

int runConcurrencyWriter(const QStringList& args)
{
    if (args.isEmpty())
        return 2;
    const QString database = args.at(0);
    const QString scenario = option(args, QStringLiteral("scenario"));
    const QString tag = option(args, QStringLiteral("tag"));
    const int writer = option(args, QStringLiteral("writer")).toInt();
    const int count = option(args, QStringLiteral("count")).toInt();
    const qint64 startAt = option(args, QStringLiteral("start-at")).toLongLong();

    SessionState session;
    session.WorkstationCode = QString::number(writer % 100).rightJustified(2, u'0');
    session.DefaultStockLocation = QStringLiteral("CARGA");
    TDM dm(paramsOf(database), paramsOf(database), session);
    const ListenerHandle reporting = reportRefusals(dm, writer);
    int left = 0;
    try {
        dm.NFiscal.open();
        dm.Fornecedor.open();
        // Every writer begins at the same moment.
        const qint64 wait = startAt - QDateTime::currentMSecsSinceEpoch();
        if (wait > 0)
            QThread::msleep(quint64(wait));
        for (int i = 1; i <= count; ++i) {
            if (scenario == QLatin1String("suppliers")) {
                const QString name = supplierNamePrefix(tag) + QStringLiteral(" G%1 N%2").arg(writer).arg(i);
                runGuarded(dm, writer, [&] { writeSupplier(dm, name); });
                continue;
            }
            const QString number =
                tag + QString::number(writer).rightJustified(2, u'0') + QString::number(i).rightJustified(4, u'0');
            runGuarded(dm, writer, [&] { writeInvoice(dm, number, tag); });
            // A header refused before it was taken (it is not the current invoice) takes no items:
            // they would go to the invoice before it.
            if (dm.NFiscal.asText(QStringLiteral("NOTAFISCAL")) != number)
                continue;
            for (int item = 1; item <= kItemsPerInvoice; ++item)
                runGuarded(dm, writer, [&] { writeItem(dm, item); });
        }
        left = flush(dm.NFiscal) + flush(dm.Compras) + flush(dm.Fornecedor);
    } catch (const std::exception& e) {
        complain(QStringLiteral("gravador %1 parou: %2").arg(writer).arg(QString::fromUtf8(e.what())));
        return 1;
    }
    if (left > 0)
        complain(QStringLiteral("gravador %1: %2 registro(s) ficaram pendentes").arg(writer).arg(left));
    return left > 0 ? 1 : 0;
}

namespace {

struct Figures {
    qint64 attempted = 0;
    qint64 stored = 0;
    qint64 rows = 0;
    qint64 lost() const { return attempted - stored; }
    qint64 duplicates() const { return rows - stored; }
};

qint64 number(FbConnection& c, const QString& sql, const Values& params)
{
    const Values row = c.executeRow(sql, params);
    const auto* n = row.empty() ? nullptr : std::get_if<qint64>(&row.front());
    return n ? *n : 0;
}

// Distinct rows and all rows whose `column` starts with the tag.
Figures count(FbConnection& c, const QString& table, const QString& column, const QString& distinct,
              const QString& prefix, qint64 attempted)
{
    Figures f;
    f.attempted = attempted;
    const QString where = QStringLiteral(" from %1 where %2 starting with ?").arg(table, column);
    f.stored = number(c, QStringLiteral("select count(distinct %1)").arg(distinct) + where, {prefix});
    f.rows = number(c, QStringLiteral("select count(*)") + where, {prefix});
    return f;
}

void print(const QString& what, const Figures& f)
{
    say(QStringLiteral("  %1: tentados %2, gravados %3, perdidos %4, duplicados %5")
            .arg(what)
            .arg(f.attempted)
            .arg(f.stored)
            .arg(f.lost())
            .arg(f.duplicates()));
}

// Starts the writers and waits for all of them; false when one could not be started.
bool runWriters(const QString& database, const QString& scenario, const QString& tag, int writers, int count)
{
    const qint64 startAt = QDateTime::currentMSecsSinceEpoch() + 1500 + 150 * writers;
    std::vector<std::unique_ptr<QProcess>> processes;
    for (int w = 1; w <= writers; ++w) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::ForwardedChannels);
        p->start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("concurrency-writer"), database, QStringLiteral("--scenario"), scenario,
                  QStringLiteral("--tag"), tag, QStringLiteral("--writer"), QString::number(w),
                  QStringLiteral("--count"), QString::number(count), QStringLiteral("--start-at"),
                  QString::number(startAt)});
        if (!p->waitForStarted()) {
            complain(QStringLiteral("Não foi possível iniciar o gravador %1: %2").arg(w).arg(p->errorString()));
            return false;
        }
        processes.push_back(std::move(p));
    }
    for (auto& p : processes)
        p->waitForFinished(-1);
    return true;
}

// Invoices of three items each; true when nothing was lost or doubled.
bool invoiceScenario(FbConnection& c, const QString& database, const QString& tag, int writers, int invoices)
{
    say(QStringLiteral("\ncenário notas fiscais: %1 gravadores x %2 notas de %3 itens, sem pausa")
            .arg(writers)
            .arg(invoices)
            .arg(kItemsPerInvoice));
    if (!runWriters(database, QStringLiteral("invoices"), tag, writers, invoices))
        return false;
    const Figures headers = count(c, QStringLiteral("NFISCAL"), QStringLiteral("NOTAFISCAL"),
                                  QStringLiteral("NOTAFISCAL"), tag, qint64(writers) * invoices);
    const Figures items =
        count(c, QStringLiteral("COMPRAS"), QStringLiteral("NOTAFISCAL"),
              QStringLiteral("NOTAFISCAL || '/' || RESPONSAVEL"), tag, qint64(writers) * invoices * kItemsPerInvoice);
    const qint64 bare = number(c,
                               QStringLiteral("select count(*) from NFISCAL N where N.NOTAFISCAL starting with ? and "
                                              "not exists (select 1 from COMPRAS C where C.NOTAFISCAL = N.NOTAFISCAL "
                                              "and C.CODIGOFORNECEDOR = N.CODIGOFORNECEDOR)"),
                               {tag});
    print(QStringLiteral("cabeçalhos"), headers);
    print(QStringLiteral("itens"), items);
    say(QStringLiteral("  cabeçalhos sem itens: %1").arg(bare));
    return headers.lost() == 0 && headers.duplicates() == 0 && items.lost() == 0 && items.duplicates() == 0 &&
           bare == 0;
}

// Suppliers registered through the quick registration's dataset; true when nothing was lost or doubled.
bool supplierScenario(FbConnection& c, const QString& database, const QString& tag, int writers, int suppliers)
{
    say(QStringLiteral("\ncenário fornecedores: %1 gravadores x %2 fornecedores, sem pausa")
            .arg(writers)
            .arg(suppliers));
    if (!runWriters(database, QStringLiteral("suppliers"), tag, writers, suppliers))
        return false;
    const Figures registered = count(c, QStringLiteral("FORNECED"), QStringLiteral("NOME"), QStringLiteral("NOME"),
                                     supplierNamePrefix(tag), qint64(writers) * suppliers);
    print(QStringLiteral("fornecedores"), registered);
    return registered.lost() == 0 && registered.duplicates() == 0;
}

} // namespace

int runConcurrency(const QStringList& args)
{
    if (args.isEmpty() || args.at(0).startsWith(QLatin1String("--"))) {
        complain(QStringLiteral("uso: korvanis-bench concurrency BANCO [--writers N] [--invoices M] [--suppliers S] "
                                "[--only invoices|suppliers] [--keep]"));
        return 2;
    }
    const QString database = args.at(0);
    const int writers = positive(args, QStringLiteral("writers"), 4);
    const int invoices = positive(args, QStringLiteral("invoices"), 50);
    const int suppliers = positive(args, QStringLiteral("suppliers"), 50);
    if (writers < 0 || invoices < 0 || suppliers < 0) {
        complain(QStringLiteral("--writers, --invoices e --suppliers pedem um número maior que zero."));
        return 2;
    }
    const QString tag = newTag();
    FbConnection c(paramsOf(database));
    try {
        c.open();
    } catch (const DbError& e) {
        complain(DbErrorText(QStringLiteral("Não foi possível abrir o banco de dados \"%1\".").arg(database), e));
        return 2;
    }
    say(QStringLiteral("korvanis-bench concurrency em %1 (marca %2)").arg(database, tag));
    bool sound = true;
    const QString only = option(args, QStringLiteral("only"));
    if (only.isEmpty() || only == QLatin1String("invoices"))
        sound = invoiceScenario(c, database, tag, writers, invoices) && sound;
    if (only.isEmpty() || only == QLatin1String("suppliers"))
        sound = supplierScenario(c, database, tag, writers, suppliers) && sound;

    if (!args.contains(QStringLiteral("--keep"))) {
        c.execute(QStringLiteral("delete from COMPRAS where NOTAFISCAL starting with ?"), {tag});
        c.execute(QStringLiteral("delete from NFISCAL where NOTAFISCAL starting with ?"), {tag});
        c.execute(QStringLiteral("delete from FORNECED where NOME starting with ?"), {supplierNamePrefix(tag)});
        say(QStringLiteral("\nOs registros de teste (marca %1) foram excluídos.").arg(tag));
    }
    say(sound ? QStringLiteral("\nResultado: nenhum registro perdido ou duplicado.")
              : QStringLiteral("\nResultado: FALHA, há registros perdidos ou duplicados."));
    return sound ? 0 : 1;
}
