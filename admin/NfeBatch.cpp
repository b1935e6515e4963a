#include "admin/NfeBatch.h"

#include "admin/AdminCommands.h"
#include "data/DbError.h"
#include "data/DbErrorText.h"
#include "data/Formats.h"
#include "nfe/NfeImport.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "shell/Dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

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
    bool askYesNo(const QString& text) override { return acceptUnsigned_ && IsNfeEvidenceQuestion(text); }
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
    bool passing = false; // the database failed, not the file: an inbox keeps it for the next run
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
    QString text = QStringLiteral("NF-e %1 de %2, %3 item(ns), %4 reconhecido(s) pelo código do fornecedor, %5 pelo "
                                  "código de barras, %6 não reconhecido(s)")
                       .arg(doc.nNF, doc.NfeSupplierName)
                       .arg(doc.ItemCount())
                       .arg(result.bySupplierCode)
                       .arg(result.byBarCode)
                       .arg(result.unrecognised);
    if (!result.adjusted.isEmpty())
        text += QStringLiteral(", %1 texto(s) ajustado(s)").arg(result.adjusted.size());
    if (!doc.isSigned)
        text += QStringLiteral(", sem assinatura digital");
    if (!result.instalmentNote.isEmpty())
        text += QStringLiteral(". ") + result.instalmentNote;
    return {true, text};
}

// The batch's database, workstation and importer, and the file-by-file loop both modes share.
// The batch's dialogs while it lives.
struct InstalledDialogs {
    explicit InstalledDialogs(bool acceptUnsigned) { Dialogs::install(std::make_unique<BatchDialogs>(acceptUnsigned)); }
    ~InstalledDialogs() { Dialogs::install(nullptr); }
    InstalledDialogs(const InstalledDialogs&) = delete;
    InstalledDialogs& operator=(const InstalledDialogs&) = delete;
};

class Batch {
public:
    explicit Batch(const NfeBatchOptions& options)
        : dialogs_(options.acceptUnsigned), dm_(options.shared, options.workstation, session_),
          importer_(dm_, session_), receipt_(formats::shortDate(options.receipt))
    {
        session_.WorkstationCode = workstationOf(dm_);
        importer_.setPositionsDatasets(false);
    }

    FileOutcome import(const QString& path)
    {
        try {
            return importOne(importer_, path, receipt_);
        } catch (const DbError& e) {
            return {false, DbErrorText(QStringLiteral("Erro do banco de dados ao importar a NF-e."), e), true};
        } catch (const std::exception& e) {
            return {false, QStringLiteral("Erro ao importar a NF-e: %1").arg(QString::fromUtf8(e.what()))};
        }
    }

private:
    InstalledDialogs dialogs_;
    SessionState session_;
    TDM dm_;
    NfeImporter importer_;
    QString receipt_;
};

void printLine(QTextStream& out, const QString& path, const FileOutcome& outcome)
{
    out << path << (outcome.imported ? QStringLiteral(": importada: ") : QStringLiteral(": recusada: "))
        << oneLine(outcome.text) << '\n';
    out.flush();
}

void printProgress(QTextStream& err, qsizetype done, qsizetype total)
{
    if (total >= kManyFiles && (done % kProgressStep == 0 || done == total)) {
        err << QStringLiteral("%1 de %2 arquivos processados\n").arg(done).arg(total);
        err.flush();
    }
}

// A free name for `fileName` in `folder`: the name itself, or with "-2", "-3"... before its suffix.
QString freePath(const QDir& folder, const QString& fileName)
{
    const QFileInfo info(fileName);
    QString candidate = folder.filePath(fileName);
    for (int n = 2; QFileInfo::exists(candidate); ++n)
        candidate = folder.filePath(QStringLiteral("%1-%2.%3").arg(info.completeBaseName()).arg(n).arg(info.suffix()));
    return candidate;
}

// Moves a file of the inbox into its subfolder; the text, when given, goes beside it in a `.txt`.
// Returns the reason when it cannot.
QString moveInto(const QDir& inbox, const QString& subfolder, const QString& fileName, const QString& reason)
{
    if (!inbox.mkpath(subfolder))
        return QStringLiteral("não foi possível criar a pasta %1").arg(inbox.filePath(subfolder));
    const QDir target(inbox.filePath(subfolder));
    const QString destination = freePath(target, fileName);
    if (!QFile::rename(inbox.filePath(fileName), destination))
        return QStringLiteral("não foi possível mover o arquivo para %1").arg(destination);
    if (reason.isEmpty())
        return {};
    const QFileInfo moved(destination);
    QFile note(target.filePath(moved.completeBaseName() + QStringLiteral(".txt")));
    if (!note.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return QStringLiteral("não foi possível gravar %1").arg(note.fileName());
    QString text = reason + u'\n';
    note.write(text.replace(u'\r', u'\n').toUtf8());
    return {};
}

} // namespace

int ImportNfeFiles(const NfeBatchOptions& options, const QStringList& files, QTextStream& out, QTextStream& err)
{
    Batch batch(options);
    int imported = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const FileOutcome outcome = batch.import(files.at(i));
        imported += outcome.imported ? 1 : 0;
        printLine(out, files.at(i), outcome);
        printProgress(err, i + 1, files.size());
    }
    const qsizetype refused = files.size() - imported;
    out << QStringLiteral("%1 arquivo(s): %2 importado(s), %3 recusado(s).\n")
               .arg(files.size())
               .arg(imported)
               .arg(refused);
    return refused == 0 ? kSuccess : kFailure;
}

int ImportNfeInbox(const NfeBatchOptions& options, const QString& folder, QTextStream& out, QTextStream& err)
{
    const QDir inbox(folder);
    if (!QFileInfo(folder).isDir()) {
        err << QStringLiteral("A pasta de entrada das NF-e não foi encontrada: %1\n").arg(folder);
        return kFailure;
    }
    // A timer and a technician may start it at the same moment: the second finds the lock taken.
    QLockFile lock(inbox.filePath(QStringLiteral(".korvanis-importando.lock")));
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0)) {
        err << QStringLiteral("Outra importação já está lendo a pasta %1; nada foi feito.\n").arg(folder);
        return kFailure;
    }
    QStringList files = inbox.entryList({QStringLiteral("*.xml")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
    if (files.isEmpty()) {
        out << QStringLiteral("Nenhum arquivo XML novo na pasta %1.\n").arg(folder);
        return kSuccess;
    }
    Batch batch(options);
    int imported = 0;
    int unmoved = 0;
    for (qsizetype i = 0; i < files.size(); ++i) {
        const QString path = inbox.filePath(files.at(i));
        const FileOutcome outcome = batch.import(path);
        imported += outcome.imported ? 1 : 0;
        printLine(out, path, outcome);
        if (outcome.passing) {
            ++unmoved;
            continue;
        }
        const QString problem = outcome.imported
                                    ? moveInto(inbox, QStringLiteral("importadas"), files.at(i), {})
                                    : moveInto(inbox, QStringLiteral("recusadas"), files.at(i), outcome.text);
        if (!problem.isEmpty()) {
            ++unmoved;
            err << QStringLiteral("%1: %2.\n").arg(path, problem);
        }
        printProgress(err, i + 1, files.size());
    }
    const qsizetype refused = files.size() - imported;
    out << QStringLiteral("%1 arquivo(s): %2 importado(s) e movido(s) para importadas/, %3 recusado(s) e movido(s) "
                          "para recusadas/.\n")
               .arg(files.size())
               .arg(imported)
               .arg(refused);
    return refused == 0 && unmoved == 0 ? kSuccess : kFailure;
}

} // namespace admin
