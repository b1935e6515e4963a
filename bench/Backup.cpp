#include "Backup.h"

#include "Measure.h"

#include "admin/Backups.h"
#include "admin/FirebirdBackup.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {

double plainGbak(const FbConnection::Params& shared, const QString& file)
{
    const QString gbak = QStandardPaths::findExecutable(QStringLiteral("gbak"));
    return bench::millis([&] {
        QProcess process;
        process.start(gbak, {QStringLiteral("-b"), shared.database, file});
        process.waitForFinished(-1);
        if (process.exitCode() != 0)
            bench::note(QStringLiteral("   gbak falhou: %1").arg(QString::fromLocal8Bit(process.readAll())));
    });
}

} // namespace

void measureBackup(const FbConnection::Params& shared)
{
    bench::note(QStringLiteral("\n-- Backup of the shared database (best of 2, runs alternated)"));
    if (QStandardPaths::findExecutable(QStringLiteral("gbak")).isEmpty()) {
        bench::note(QStringLiteral("   gbak not found (firebird3.0-utils): skipped"));
        return;
    }
    QTemporaryDir scratch(QFileInfo(shared.database).absoluteDir().filePath(QStringLiteral("bench-backup-XXXXXX")));
    double gbak = 1e300;
    double service = 1e300;
    double command = 1e300;
    for (int run = 0; run < 2; ++run) {
        const QString folder = scratch.filePath(QString::number(run));
        QDir().mkpath(folder);
        gbak = std::min(gbak, plainGbak(shared, QDir(folder).filePath(QStringLiteral("gbak.fbk"))));
        service = std::min(service, bench::millis([&] {
                               fbbackup::backupDatabase(shared, QDir(folder).filePath(QStringLiteral("servico.fbk")));
                           }));
        command =
            std::min(command, bench::millis([&] {
                         backups::backUp({{QStringLiteral("dados"), shared}}, folder, 1, QDateTime::currentDateTime());
                     }));
    }
    bench::report("backup alone (service manager, in this process)", service, gbak, "ms", "ratio <= 1.2");
    bench::report("korvanis-admin backup, with its restore check", command, gbak, "ms", "-");
    bench::note(
        QStringLiteral("   backup file: %1 MB")
            .arg(double(QFileInfo(scratch.filePath(QStringLiteral("0/gbak.fbk"))).size()) / 1048576.0, 0, 'f', 1));
}
