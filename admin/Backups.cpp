#include "admin/Backups.h"

#include "admin/AdminError.h"
#include "admin/FirebirdBackup.h"
#include "data/DbError.h"
#include "platform/ProductFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <algorithm>

namespace backups {

namespace {

const QString kExtension = QStringLiteral(".fbk");

QRegularExpression namePattern(const QString& label)
{
    return QRegularExpression(
        QStringLiteral("^%1-(\\d{8}-\\d{6})(?:-(\\d+))?\\.fbk$").arg(QRegularExpression::escape(label)));
}

// The folder exists (made when missing) and a file can be written in it.
void makeWritable(const QString& folder)
{
    QDir().mkpath(folder);
    QTemporaryFile probe(QDir(folder).filePath(QStringLiteral(".gravavel-XXXXXX")));
    if (!QFileInfo(folder).isDir() || !probe.open())
        throw AdminError(
            QStringLiteral("Não foi possível gravar na pasta de backup %1: %2. Nenhum backup foi feito.")
                .arg(QDir::toNativeSeparators(folder),
                     QFileInfo(folder).isDir() ? probe.errorString() : QStringLiteral("a pasta não pôde ser criada")));
}

// A name of its own for this run: two runs in the same second get a sequence number.
QString newBackupName(const QString& folder, const QString& label, const QDateTime& now)
{
    const QString stem = label + QLatin1Char('-') + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QDir(folder).filePath(stem + kExtension);
    for (int sequence = 1; QFileInfo::exists(name); ++sequence)
        name = QDir(folder).filePath(stem + QLatin1Char('-') + QString::number(sequence) + kExtension);
    return name;
}

// A restored database opens and its catalogue answers.
void openAndQuery(const FbConnection::Params& database)
{
    FbConnection connection(database);
    connection.executeRow(QStringLiteral("select count(*) from RDB$RELATIONS"));
}

// Restores the backup into a temporary database beside it, opens that, and removes it.
void check(const QString& file, const FbConnection::Params& source)
{
    QTemporaryDir scratch(QFileInfo(file).absoluteDir().filePath(QStringLiteral(".conferencia-XXXXXX")));
    if (!scratch.isValid())
        throw AdminError(QStringLiteral("Não foi possível criar a pasta temporária da conferência do backup em %1.")
                             .arg(QFileInfo(file).absolutePath()));
    const FbConnection::Params restored{scratch.filePath(QStringLiteral("conferencia.fdb")), source.user,
                                        source.password};
    try {
        fbbackup::restoreDatabase(file, restored);
        openAndQuery(restored);
        FbConnection(restored).dropDatabase();
    } catch (const DbError& e) {
        throw AdminError(QStringLiteral("O backup %1 não passou na conferência (restauração em um banco de dados "
                                        "temporário):\n%2")
                             .arg(file, e.message()));
    } catch (const AdminError& e) {
        throw AdminError(QStringLiteral("O backup %1 não passou na conferência (restauração em um banco de dados "
                                        "temporário):\n%2")
                             .arg(file, e.message()));
    }
}

bool isInUseError(const DbError& e)
{
    return e.message().contains(QLatin1String("already opened"), Qt::CaseInsensitive) ||
           e.message().contains(QLatin1String("\"lock\" operation"), Qt::CaseInsensitive);
}

// Said when a local file is open in another process: the embedded engine lets one process at a time in.
QString inUseHint(const DbError& e)
{
    return isInUseError(e) ? QStringLiteral("\nO arquivo está aberto por outro programa (a janela de compras?); "
                                            "feche-o e tente de novo.")
                           : QString();
}

QString backUpOne(const Source& source, const QString& folder, const QDateTime& now)
{
    const QString file = newBackupName(folder, source.label, now);
    try {
        fbbackup::backupDatabase(source.database, file);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        check(file, source.database);
    } catch (const DbError& e) {
        QFile::remove(file);
        throw AdminError(QStringLiteral("Não foi possível fazer o backup de %1:\n%2%3")
                             .arg(source.database.database, e.message(), inUseHint(e)));
    } catch (...) {
        QFile::remove(file);
        throw;
    }
    return file;
}

void keepNewest(const QString& folder, const QString& label, int keep)
{
    const QStringList all = backupsOf(folder, label);
    for (qsizetype i = 0; i + keep < all.size(); ++i)
        QFile::remove(all.at(i));
}

// The existing database must not be open elsewhere (the window) while it is swapped.
void refuseInUse(const FbConnection::Params& database)
{
    try {
        FbConnection connection(database);
        connection.open();
    } catch (const DbError& e) {
        throw AdminError(
            QStringLiteral("O banco de dados %1 não pôde ser aberto para a troca%2:\n%3\nNada foi alterado.")
                .arg(database.database,
                     isInUseError(e) ? QStringLiteral(" (está em uso: feche o programa de compras)") : QString(),
                     e.message()));
    }
}

void restoreChecked(const QString& file, const FbConnection::Params& database)
{
    try {
        fbbackup::restoreDatabase(file, database);
        openAndQuery(database);
    } catch (const DbError& e) {
        if (!fbbackup::isServerName(database.database))
            QFile::remove(database.database);
        throw AdminError(
            QStringLiteral("Não foi possível restaurar %1 em %2:\n%3").arg(file, database.database, e.message()));
    }
}

QString replaceLocal(const QString& file, const FbConnection::Params& database, const QDateTime& now)
{
    refuseInUse(database);
    const QString target = database.database;
    const QString incoming = target + QStringLiteral(".restaurando");
    const QString kept = target + QStringLiteral(".anterior-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFileInfo::exists(incoming) || QFileInfo::exists(kept))
        throw AdminError(QStringLiteral("O arquivo %1 já existe; remova-o antes de restaurar. Nada foi alterado.")
                             .arg(QFileInfo::exists(incoming) ? incoming : kept));
    restoreChecked(file, {incoming, database.user, database.password});
    if (!QFile::rename(target, kept)) {
        QFile::remove(incoming);
        throw AdminError(QStringLiteral("Não foi possível renomear %1 para %2. Nada foi alterado.").arg(target, kept));
    }
    if (!QFile::rename(incoming, target)) {
        QFile::rename(kept, target);
        QFile::remove(incoming);
        throw AdminError(
            QStringLiteral("Não foi possível renomear %1 para %2. Nada foi alterado.").arg(incoming, target));
    }
    return kept;
}

} // namespace

QString defaultFolder()
{
    return QDir(productfolder::path()).filePath(QStringLiteral("backups"));
}

QString labelOf(const QString& databaseName)
{
    QString path = databaseName;
    if (fbbackup::isServerName(path))
        path = path.mid(path.indexOf(QLatin1Char(':')) + 1);
    const QString file = path.section(QRegularExpression(QStringLiteral("[/\\\\]")), -1);
    const QString stem = file.section(QLatin1Char('.'), 0, 0);
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9_]"));
    const QString label = QString(stem).replace(unsafe, QStringLiteral("_"));
    return label.isEmpty() ? QStringLiteral("banco") : label;
}

QStringList backupsOf(const QString& folder, const QString& label)
{
    const QRegularExpression pattern = namePattern(label);
    struct Found {
        QString stamp;
        int sequence;
        QString path;
    };
    std::vector<Found> found;
    for (const QString& name : QDir(folder).entryList(QDir::Files)) {
        const QRegularExpressionMatch match = pattern.match(name);
        if (match.hasMatch())
            found.push_back({match.captured(1), match.captured(2).toInt(), QDir(folder).filePath(name)});
    }
    std::sort(found.begin(), found.end(), [](const Found& a, const Found& b) {
        return std::tie(a.stamp, a.sequence) < std::tie(b.stamp, b.sequence);
    });
    QStringList paths;
    for (const Found& f : found)
        paths << f.path;
    return paths;
}

QStringList backUp(const std::vector<Source>& sources, const QString& folder, int keep, const QDateTime& now)
{
    makeWritable(folder);
    QStringList written;
    for (const Source& source : sources)
        written << backUpOne(source, folder, now);
    for (const Source& source : sources)
        keepNewest(folder, source.label, keep);
    return written;
}

QString restore(const QString& file, const FbConnection::Params& database, bool replace, const QDateTime& now)
{
    if (!QFileInfo(file).isFile())
        throw AdminError(QStringLiteral("O arquivo de backup %1 não existe.").arg(file));
    const bool onServer = fbbackup::isServerName(database.database);
    if (onServer && replace)
        throw AdminError(QStringLiteral("--replace vale só para arquivos locais. Em um servidor, restaure com outro "
                                        "nome e aponte o alias do databases.conf para ele."));
    if (!onServer && QFileInfo::exists(database.database)) {
        if (!replace)
            throw AdminError(QStringLiteral("Já existe um banco de dados em %1. Nada foi alterado.\n"
                                            "Para substituí-lo, use --replace (o arquivo atual é guardado ao lado).")
                                 .arg(database.database));
        return replaceLocal(file, database, now);
    }
    if (!onServer)
        QDir().mkpath(QFileInfo(database.database).absolutePath());
    restoreChecked(file, database);
    return {};
}

} // namespace backups
