#include "Nfe.h"

#include "Measure.h"
#include "NfeSamples.h"

#include "nfe/NfeImport.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"
#include "shell/WorkQueries.h"

#include <QTemporaryDir>

#include <vector>

namespace {

constexpr int kItems = 100;
constexpr int kRuns = 5;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

void measureNfeImport()
{
    bench::note(QStringLiteral("\n-- NF-e of %1 items in 2 lots each: read, checks and signature, supplier, duplicate "
                               "check, import, result message, invoice list positioned (median of %2)")
                    .arg(kItems)
                    .arg(kRuns));
    SessionState session;
    session.WorkstationCode = QStringLiteral("01");
    const QString database = productfolder::sharedDatabase();
    const FbConnection::Params params{database, FbConnection::defaultUser(), FbConnection::defaultPassword()};
    TDM dm(params, {productfolder::workstationDatabase(), params.user, params.password}, session);
    dm.NFiscal.setCommandText(workqueries::nfiscal());
    dm.NFiscal.open();
    dm.NFiscal.last();
    auto dialogs = std::make_unique<RecordingDialogs>();
    RecordingDialogs* shown = dialogs.get();
    Dialogs::install(std::move(dialogs));

    using namespace benchnfe;
    const Issuer issuer = anIssuer(dm.SQLConnection1);
    const std::vector<QString> codes = barCodes(dm.SQLConnection1, kItems);
    QTemporaryDir folder;
    const QString stamp = QString::number(QDateTime::currentSecsSinceEpoch() % 100000);
    NfeImporter importer(dm, session);

    std::vector<double> whole, reads, native;
    QString outcome;
    for (int run = 0; run < kRuns; ++run) {
        const QString number = stamp + QString::number(run);
        QString id;
        const QByteArray xml = document(number, issuer, codes, kItems, &id);
        const QString path = writeFile(folder.path(), number, signedDocument(xml, id));
        double read = 0;
        whole.push_back(bench::millis([&] {
            read = bench::millis([&] { importer.read(path); });
            outcome = importer.import(QStringLiteral("08/04/24")).outcome == NfeImportResult::Outcome::Imported
                          ? QStringLiteral("importada")
                          : shown->messages.value(shown->messages.size() - 1);
        }));
        reads.push_back(read);
        const QString nativeNumber = stamp + QStringLiteral("N") + QString::number(run);
        const QString nativePath =
            writeFile(folder.path(), nativeNumber, document(nativeNumber, issuer, codes, kItems));
        native.push_back(bench::millis([&] { nativeImport(dm.SQLConnection1, nativePath); }));
    }
    bench::report("NF-e import, file to result message (vs native)", median(whole), median(native), "ms", "<= 1000 ms");
    bench::note(QStringLiteral("   of which the read (file, supplier, duplicate check): %1 ms; last run: %2; "
                               "invoice list on %3")
                    .arg(median(reads), 0, 'f', 1)
                    .arg(outcome.left(60), dm.NFiscal.asText(QStringLiteral("NOTAFISCAL"))));

    // The same import with every item remembered by the supplier's code, beside the bar-code figure.
    FbConnection& c = dm.SQLConnection1;
    c.execute(QStringLiteral("delete from PRODFORN where CNPJ = ?"), {issuer.cnpj});
    for (int i = 0; i < kItems; ++i)
        if (const Values p =
                c.executeRow(QStringLiteral("select first 1 CODIGO from COMPONEN where DCB = ?"), {codes[i]});
            !p.empty())
            c.execute(QStringLiteral("insert into PRODFORN (CNPJ, CPROD, CODIGO, UCOM, UNIDADE, FATOR) values "
                                     "(?, ?, ?, 'un', 'un', 1)"),
                      {issuer.cnpj, QString::number(i + 1), p.front()});
    std::vector<double> bySupplier;
    for (int run = 0; run < kRuns; ++run) {
        const QString number = stamp + QStringLiteral("7") + QString::number(run);
        QString id;
        const QString path =
            writeFile(folder.path(), number, signedDocument(document(number, issuer, codes, kItems, &id), id));
        bySupplier.push_back(bench::millis([&] {
            importer.read(path);
            importer.import(QStringLiteral("08/04/24"));
        }));
    }
    c.execute(QStringLiteral("delete from PRODFORN where CNPJ = ?"), {issuer.cnpj});
    bench::report("NF-e import, items by supplier code (vs by bar code)", median(bySupplier), median(whole), "ms",
                  "<= +10 ms");
    Dialogs::install(nullptr);
}
