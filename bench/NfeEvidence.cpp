#include "NfeEvidence.h"

#include "Measure.h"
#include "NfeSamples.h"

#include "admin/NfeBatch.h"
#include "nfe/NfeChecks.h"
#include "nfe/NfeReader.h"
#include "nfe/NfeSignature.h"
#include "platform/ProductFolder.h"

#include <QDateTime>
#include <QTemporaryDir>

namespace {

constexpr int kCheckedItems = 100;
constexpr int kCheckRuns = 21;
constexpr int kBatchFiles = 100;
constexpr int kBatchItems = 20;

} // namespace

void measureNfeChecks()
{
    bench::note(QStringLiteral("\n-- NF-e of %1 items: the checks (key, protocol, signature) added to the read "
                               "(median of %2)")
                    .arg(kCheckedItems)
                    .arg(kCheckRuns));
    using namespace benchnfe;
    const Issuer issuer{QStringLiteral("05125726000255"), QStringLiteral("DISTRIBUIDORA BOA VIDA LTDA")};
    std::vector<QString> codes;
    for (int i = 0; i < kCheckedItems; ++i)
        codes.push_back(QStringLiteral("789%1").arg(i, 10, 10, QLatin1Char('0')));
    QString id;
    const QByteArray xml = signedDocument(document(QStringLiteral("4321"), issuer, codes, kCheckedItems, &id), id);

    NfeDocument doc;
    const double readAlone = bench::medianMillis(kCheckRuns, [&] { ReadNfe(xml, doc); });
    NfeSignatureCheck signature;
    QString problems;
    const double withChecks = bench::medianMillis(kCheckRuns, [&] {
        ReadNfe(xml, doc);
        problems =
            NfeAccessKeyProblem(doc) + NfeProtocolProblem(doc) + NfeEnvironmentProblem(doc) + NfeTotalsProblem(doc);
        signature = VerifyNfeSignature(xml, doc.Id);
        problems += NfeDigestProblem(doc, signature.digestValue);
    });
    bench::report("NF-e read and checked (vs the read alone)", withChecks, readAlone, "ms", "checks <= 20 ms");
    bench::note(QStringLiteral("   the checks add %1 ms; file of %2 kB; key and protocol %3; signature %4")
                    .arg(withChecks - readAlone, 0, 'f', 2)
                    .arg(xml.size() / 1024)
                    .arg(problems.isEmpty() ? QStringLiteral("in order") : problems.left(60),
                         signature.status == NfeSignatureCheck::Status::Valid ? QStringLiteral("verified")
                                                                              : QStringLiteral("NOT verified")));
}

void measureNfeBatch()
{
    bench::note(QStringLiteral("\n-- korvanis-admin import-nfe of %1 signed files of %2 items in 2 lots each")
                    .arg(kBatchFiles)
                    .arg(kBatchItems));
    using namespace benchnfe;
    const FbConnection::Params shared{productfolder::sharedDatabase(), FbConnection::defaultUser(),
                                      FbConnection::defaultPassword()};
    FbConnection c(shared);
    c.open();
    const Issuer issuer = anIssuer(c);
    const std::vector<QString> codes = barCodes(c, kBatchItems);
    QTemporaryDir folder;
    const QString stamp = QString::number(QDateTime::currentSecsSinceEpoch() % 10000);
    QStringList files;
    QStringList nativeFiles;
    for (int i = 0; i < kBatchFiles; ++i) {
        const QString number = stamp + QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0'));
        QString id;
        const QByteArray xml = document(number, issuer, codes, kBatchItems, &id);
        files << writeFile(folder.path(), number, signedDocument(xml, id));
        nativeFiles << writeFile(folder.path(), QStringLiteral("n") + number, xml);
    }

    admin::NfeBatchOptions options;
    options.shared = shared;
    options.workstation = {productfolder::workstationDatabase(), shared.user, shared.password};
    options.receipt = QDate::currentDate();
    options.acceptUnsigned = true; // the bench's certificate names no CNPJ
    QString lines;
    QString progress;
    QTextStream out(&lines);
    QTextStream err(&progress);
    int code = 0;
    const double batch = bench::millis([&] { code = admin::ImportNfeFiles(options, files, out, err); });
    const double native = bench::millis([&] {
        for (const QString& file : nativeFiles)
            nativeImport(c, file);
    });
    out.flush();
    bench::report("import-nfe, 100 files of 20 items (vs native)", batch, native, "ms", "<= 20000 ms");
    bench::note(QStringLiteral("   exit status %1; %2").arg(code).arg(lines.trimmed().section(u'\n', -1)));
}
