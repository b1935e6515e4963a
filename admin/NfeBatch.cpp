#include "admin/NfeBatch.h"

#include "admin/AdminCommands.h"
#include "data/DbError.h"
#include "data/Formats.h"
#include "nfe/NfeImport.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"

#include <QScopeGuard>

#include <memory>

namespace admin {

namespace {

// Files from which progress is shown, and every how many files.
constexpr qsizetype kManyFiles = 10;
constexpr qsizetype kProgressStep = 10;

// Nobody at the screen: messages are kept for the file's line, questions answered No, except the
// ones about a missing protocol or signature when those files are accepted.
class BatchDialogs : public Dialogs {
public:
    explicit BatchDialogs(bool acceptUnsigned) : acceptUnsigned_(acceptUnsigned) {}

    void showMessage(const QString&) override {}
    bool askYesNo(const QString& text) override
    {
        return acceptUnsigned_ && (text == NfeNoProtocolQuestion() || text == NfeUnsignedQuestion());
    }
    QString askOpenFileName(const QString&, const QString&) override { return {}; }

private:
    bool acceptUnsigned_;
};

// The workstation the invoices are recorded under: the first one registered.
QString workstationOf(TDM& dm)
{
    const Values row =
        dm.SQLConnection1.executeRow(QStringLiteral("select first 1 ESTACAO from ESTACOES order by ESTACAO"));
    if (row.empty() || isNull(row.front()))
        return QStringLiteral("01");
    return std::get<QString>(row.front()).trimmed();
}

QString oneLine(QString text)
{
    return text.replace(u'\r', u' ').replace(u'\n', u' ').simplified();
}

struct FileOutcome {
    bool imported = false;
    QString text;
};

FileOutcome importOne(NfeImporter& importer, const QString& path, const QString& receipt)
{
    const NfeReadOutcome read = importer.read(path);
    if (read != NfeReadOutcome::Ready)
        return {false, importer.refusal()};
    const NfeImportResult result = importer.import(receipt);
    if (result.outcome != NfeImportResult::Outcome::Imported)
        return {false, result.message};
    const NfeDocument& doc = importer.document();
    QString text = QStringLiteral("NF-e %1 de %2, %3 item(ns), %4 não reconhecido(s) pelo código de barras")
                       .arg(doc.nNF, doc.NfeSupplierName)
                       .arg(doc.ItemCount())
                       .arg(result.unrecognised);
    if (!result.adjusted.isEmpty())
        text += QStringLiteral(", %1 texto(s) ajustado(s)").arg(result.adjusted.size());
    if (!doc.isSigned)
        text += QStringLiteral(", sem assinatura digital");
    return {true, text};
}

} // namespace

int ImportNfeFiles(const NfeBatchOptions& options, const QStringList& files, QTextStream& out, QTextStream& err)
{
    Dialogs::install(std::make_unique<BatchDialogs>(options.acceptUnsigned));
    const auto restoreDialogs = qScopeGuard([] { Dialogs::install(nullptr); });

    SessionState session;
    TDM dm(options.shared, options.workstation, session);
    session.WorkstationCode = workstationOf(dm);
    NfeImporter importer(dm, session);
    importer.setPositionsDatasets(false);
    const QString receipt = formats::shortDate(options.receipt);

    int imported = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString& path = files.at(i);
        FileOutcome outcome;
        try {
            outcome = importOne(importer, path, receipt);
        } catch (const DbError& e) {
            outcome = {false, QStringLiteral("Erro do banco de dados: %1").arg(e.message())};
        } catch (const std::exception& e) {
            outcome = {false, QStringLiteral("Erro: %1").arg(QString::fromUtf8(e.what()))};
        }
        imported += outcome.imported ? 1 : 0;
        out << path << (outcome.imported ? QStringLiteral(": importada: ") : QStringLiteral(": recusada: "))
            << oneLine(outcome.text) << '\n';
        out.flush();
        if (files.size() >= kManyFiles && ((i + 1) % kProgressStep == 0 || i + 1 == files.size())) {
            err << QStringLiteral("%1 de %2 arquivos processados\n").arg(i + 1).arg(files.size());
            err.flush();
        }
    }
    const qsizetype refused = files.size() - imported;
    out << QStringLiteral("%1 arquivo(s): %2 importado(s), %3 recusado(s).\n")
               .arg(files.size())
               .arg(imported)
               .arg(refused);
    return refused == 0 ? kSuccess : kFailure;
}

} // namespace admin
