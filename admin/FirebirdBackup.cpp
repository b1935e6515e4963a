#include "admin/FirebirdBackup.h"

#include "admin/AdminError.h"
#include "data/DbError.h"

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>

#include <firebird/Interface.h>
#include <ibase.h>

using namespace Firebird;

namespace fbbackup {

namespace {

IMaster* master()
{
    static IMaster* m = fb_get_master_interface();
    return m;
}

DbError errorOf(const FbException& e)
{
    char text[4096];
    master()->getUtilInterface()->formatStatus(text, sizeof text, e.getStatus());
    return DbError(QString::fromLocal8Bit(text).trimmed(), int(isc_sqlcode(e.getStatus()->getErrors())));
}

// Owns what one service call sequence needs and releases it on every path.
class ServiceCall {
public:
    ServiceCall() : status_(master()->getStatus()) {}
    ~ServiceCall()
    {
        if (start_)
            start_->dispose();
        if (attach_)
            attach_->dispose();
        if (service_) {
            try {
                service_->detach(&status_);
            } catch (const FbException&) {
                service_->release();
            }
        }
        status_.dispose();
    }
    ServiceCall(const ServiceCall&) = delete;
    ServiceCall& operator=(const ServiceCall&) = delete;

    // Starts the action on the embedded engine's service manager and waits until it ends; the
    // service's own failure comes back from the last query.
    // Returns what the service wrote (gbak's messages, errors included).
    QByteArray run(const QString& user, const QString& password, unsigned char action,
                   const std::vector<std::pair<unsigned char, QByteArray>>& strings, unsigned options)
    {
        IUtil* util = master()->getUtilInterface();
        attach_ = util->getXpbBuilder(&status_, IXpbBuilder::SPB_ATTACH, nullptr, 0);
        attach_->insertString(&status_, isc_spb_user_name, user.toUtf8().constData());
        if (!password.isEmpty())
            attach_->insertString(&status_, isc_spb_password, password.toUtf8().constData());
        IProvider* provider = master()->getDispatcher();
        try {
            service_ = provider->attachServiceManager(&status_, "service_mgr", attach_->getBufferLength(&status_),
                                                      attach_->getBuffer(&status_));
        } catch (...) {
            provider->release();
            throw;
        }
        provider->release();

        start_ = util->getXpbBuilder(&status_, IXpbBuilder::SPB_START, nullptr, 0);
        start_->insertTag(&status_, action);
        for (const auto& [tag, value] : strings)
            start_->insertString(&status_, tag, value.constData());
        start_->insertInt(&status_, isc_spb_options, int(options));
        service_->start(&status_, start_->getBufferLength(&status_), start_->getBuffer(&status_));
        return outputUntilDone();
    }

private:
    // Reads the service's output (only errors: it runs quietly) until its end. A query waits at most a
    // second for output and may come back with none yet ("not ready"); only an empty answer that
    // ends the information block means the service has ended.
    QByteArray outputUntilDone()
    {
        QByteArray output;
        const unsigned char wait[] = {isc_info_svc_timeout, 4, 0, 1, 0, 0, 0};
        const unsigned char request[] = {isc_info_svc_to_eof};
        std::vector<unsigned char> buffer(std::size_t{32} * 1024); // the length travels as 16 bits
        for (;;) {
            service_->query(&status_, sizeof wait, wait, sizeof request, request, unsigned(buffer.size()),
                            buffer.data());
            if (buffer[0] != isc_info_svc_to_eof)
                return output;
            const int length = int(isc_portable_integer(buffer.data() + 1, 2));
            output.append(reinterpret_cast<const char*>(buffer.data() + 3), length);
            if (length == 0 && buffer[3] == isc_info_end)
                return output;
        }
    }

    ThrowStatusWrapper status_;
    IXpbBuilder* attach_ = nullptr;
    IXpbBuilder* start_ = nullptr;
    IService* service_ = nullptr;
};

// The service hands its parameters to gbak in the order given, as gbak's command line: the source
// first (the database for a backup, the backup file for a restore), then the destination.
void runService(const FbConnection::Params& database, unsigned char action, const QString& file, unsigned options)
{
    const std::pair<unsigned char, QByteArray> databaseName{isc_spb_dbname, QFile::encodeName(database.database)};
    const std::pair<unsigned char, QByteArray> backupFile{isc_spb_bkp_file, QFile::encodeName(file)};
    QByteArray output;
    try {
        ServiceCall call;
        output = call.run(database.user, database.password, action,
                          action == isc_action_svc_backup ? std::vector{databaseName, backupFile}
                                                          : std::vector{backupFile, databaseName},
                          options);
    } catch (const FbException& e) {
        throw errorOf(e);
    }
    // A quiet gbak writes nothing but its errors.
    const QString text = QString::fromLocal8Bit(output).trimmed();
    if (text.contains(QLatin1String("ERROR"), Qt::CaseInsensitive))
        throw DbError(text, DbError::kCannotOpen);
}

// Runs the gbak tool with the administrator's credentials in its environment (never on its
// command line, where every user of the machine could read the password).
void runGbak(const FbConnection::Params& database, const QStringList& arguments)
{
    const QString gbak = QStandardPaths::findExecutable(QStringLiteral("gbak"));
    if (gbak.isEmpty())
        throw AdminError(QStringLiteral("O programa gbak não foi encontrado; instale o pacote firebird3.0-utils."));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ISC_USER"), database.user);
    environment.insert(QStringLiteral("ISC_PASSWORD"), database.password);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(gbak, arguments);
    if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString output = QString::fromLocal8Bit(process.readAll()).trimmed();
        throw AdminError(QStringLiteral("O gbak falhou:\n%1").arg(output.isEmpty() ? process.errorString() : output));
    }
}

} // namespace

bool isServerName(const QString& name)
{
    static const QRegularExpression server(QStringLiteral("^[A-Za-z0-9_.\\-]{2,}(/[0-9A-Za-z_]+)?:"));
    return server.match(name).hasMatch();
}

void backupDatabase(const FbConnection::Params& database, const QString& file)
{
    if (isServerName(database.database))
        runGbak(database, {QStringLiteral("-b"), database.database, file});
    else
        runService(database, isc_action_svc_backup, file, 0);
}

void restoreDatabase(const QString& file, const FbConnection::Params& database)
{
    if (isServerName(database.database))
        runGbak(database, {QStringLiteral("-c"), file, database.database});
    else
        runService(database, isc_action_svc_restore, file, isc_spb_res_create);
}

} // namespace fbbackup
