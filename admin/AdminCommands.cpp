#include "admin/AdminCommands.h"

#include "admin/AdminError.h"
#include "admin/AdminReports.h"
#include "admin/Backups.h"
#include "admin/DemoData.h"
#include "admin/FirebirdBackup.h"
#include "admin/Generator.h"
#include "admin/ModuleUser.h"
#include "admin/NfeBatch.h"
#include "admin/Users.h"
#include "admin/Workstations.h"
#include "data/AsciiCase.h"
#include "data/DbError.h"
#include "data/Formats.h"
#include "db/Schema.h"
#include "nfe/SupplierCodes.h"
#include "platform/ProductFolder.h"
#include "platform/TextFiles.h"
#include "purchase/ConnectionConfig.h"
#include "shell/AccessRights.h"
#include "shell/BackupStatus.h"
#include "shell/Credential.h"
#include "shell/LogonUser.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>

#include <memory>
#include <optional>

namespace admin {

namespace {

// A refusal caused by the command line itself.
class UsageError : public AdminError {
public:
    using AdminError::AdminError;
};

// The databases a command creates: the shared one, and the workstation one for the product folder.
struct Target {
    FbConnection::Params shared;
    std::optional<FbConnection::Params> workstation;
};

FbConnection::Params paramsFor(const QString& database)
{
    return {database, FbConnection::defaultUser(), FbConnection::defaultPassword()};
}

// "host:path" and "host/port:path" name a database on a server; anything else is a local file.
bool isServerName(const QString& name)
{
    return fbbackup::isServerName(name);
}

QString localName(const QString& name)
{
    return isServerName(name) ? name : QFileInfo(name).absoluteFilePath();
}

Target productFolderTarget()
{
    productfolder::useOwnLockFolderIfNeeded();
    return {paramsFor(productfolder::sharedDatabase()), paramsFor(productfolder::workstationDatabase())};
}

Target namedTarget(const QString& database)
{
    if (database.trimmed().isEmpty())
        throw UsageError(QStringLiteral("O nome do banco de dados não foi informado."));
    if (!isServerName(database))
        productfolder::useOwnLockFolderIfNeeded();
    return {paramsFor(localName(database)), std::nullopt};
}

void refuseExisting(const FbConnection::Params& params)
{
    if (!isServerName(params.database) && QFileInfo::exists(params.database))
        throw AdminError(QStringLiteral("Já existe um banco de dados em %1. Nada foi alterado.").arg(params.database));
}

void dropQuietly(const FbConnection::Params& params)
{
    try {
        FbConnection(params).dropDatabase();
    } catch (const DbError&) {
    }
}

void createFresh(const Target& target)
{
    refuseExisting(target.shared);
    if (target.workstation) {
        refuseExisting(*target.workstation);
        QDir().mkpath(QFileInfo(target.shared.database).absolutePath());
        QDir().mkpath(QFileInfo(target.workstation->database).absolutePath());
    }
    try {
        schema::createSharedDatabase(target.shared);
    } catch (const DbError& e) {
        throw AdminError(
            QStringLiteral("Não foi possível criar o banco de dados %1:\n%2").arg(target.shared.database, e.message()));
    }
    if (target.workstation) {
        try {
            schema::createWorkstationDatabase(*target.workstation);
        } catch (const DbError& e) {
            dropQuietly(target.shared);
            throw AdminError(QStringLiteral("Não foi possível criar o banco de dados %1:\n%2")
                                 .arg(target.workstation->database, e.message()));
        }
    }
}

// Creates the databases and fills them; when filling fails, nothing is left behind. The shared
// database is filled without forced writes, which makes a bulk load several times faster, and
// gets them back once it is complete.
template <typename Fill> void createAndFill(const Target& target, Fill fill)
{
    createFresh(target);
    try {
        FbConnection::setForcedWrites(target.shared, false);
        {
            FbConnection shared(target.shared);
            std::unique_ptr<FbConnection> workstation;
            if (target.workstation)
                workstation = std::make_unique<FbConnection>(*target.workstation);
            fill(shared, workstation.get());
        }
        FbConnection::setForcedWrites(target.shared, true);
    } catch (...) {
        dropQuietly(target.shared);
        if (target.workstation)
            dropQuietly(*target.workstation);
        throw;
    }
}

void printLogins(const std::vector<reference::Login>& logins, QTextStream& out)
{
    for (const reference::Login& login : logins)
        out << QStringLiteral("Usuário: %1  Senha: %2\n").arg(login.name, login.password);
    for (const reference::Login& login : logins)
        out << QStringLiteral("  %1: estação %2, %3\n")
                   .arg(login.name, login.workstation,
                        login.financial ? QStringLiteral("acesso ao módulo e acesso financeiro")
                                        : QStringLiteral("acesso ao módulo"));
}

// ---- Arguments -----------------------------------------------------------------------------------

// Options of the form "--name value" and flags of the form "--name"; anything else is positional.
struct Arguments {
    QStringList positional;
    QHash<QString, QString> options;
    QSet<QString> flags;
};

Arguments parse(const QStringList& args, const QSet<QString>& valueOptions, const QSet<QString>& flagOptions)
{
    Arguments parsed;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (!arg.startsWith(QLatin1String("--"))) {
            parsed.positional << arg;
        } else if (flagOptions.contains(arg)) {
            parsed.flags.insert(arg);
        } else if (valueOptions.contains(arg)) {
            if (i + 1 >= args.size())
                throw UsageError(QStringLiteral("Falta o valor da opção %1.").arg(arg));
            parsed.options.insert(arg, args.at(++i));
        } else {
            throw UsageError(QStringLiteral("Opção desconhecida: %1").arg(arg));
        }
    }
    return parsed;
}

void expectPositional(const Arguments& parsed, qsizetype count, const QString& command)
{
    if (parsed.positional.size() != count)
        throw UsageError(QStringLiteral("Número de argumentos incorreto para o comando %1.").arg(command));
}

int integerOption(const Arguments& parsed, const QString& name, int fallback, int low, int high)
{
    const auto it = parsed.options.constFind(name);
    if (it == parsed.options.constEnd())
        return fallback;
    bool ok = false;
    const int value = it->toInt(&ok);
    if (!ok || value < low || value > high)
        throw UsageError(
            QStringLiteral("O valor de %1 deve ser um número inteiro de %2 a %3.").arg(name).arg(low).arg(high));
    return value;
}

std::optional<QString> databaseOption(const Arguments& parsed)
{
    const auto it = parsed.options.constFind(QStringLiteral("--database"));
    if (it == parsed.options.constEnd())
        return std::nullopt;
    return *it;
}

// The shared database named by --database, or the product folder's, opened; it must exist already.
FbConnection::Params existingShared(const Arguments& parsed)
{
    const std::optional<QString> database = databaseOption(parsed);
    const Target target = database ? namedTarget(*database) : productFolderTarget();
    if (!isServerName(target.shared.database) && !QFileInfo::exists(target.shared.database))
        throw AdminError(QStringLiteral("O banco de dados %1 não existe. Crie-o antes com \"korvanis-admin init\".")
                             .arg(target.shared.database));
    try {
        FbConnection(target.shared).open();
    } catch (const DbError& e) {
        throw AdminError(
            QStringLiteral("Não foi possível abrir o banco de dados %1:\n%2").arg(target.shared.database, e.message()));
    }
    return target.shared;
}

// ---- Commands ------------------------------------------------------------------------------------

int init(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--database")}, {});
    expectPositional(parsed, 0, QStringLiteral("init"));
    const std::optional<QString> database = databaseOption(parsed);
    const Target target = database ? namedTarget(*database) : productFolderTarget();
    createFresh(target);
    out << QStringLiteral("Banco de dados compartilhado criado: %1\n").arg(target.shared.database);
    if (target.workstation)
        out << QStringLiteral("Banco de dados da estação criado: %1\n").arg(target.workstation->database);
    if (!database)
        writeDefaultReportProject(out);
    return kSuccess;
}

int demo(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {}, {});
    expectPositional(parsed, 0, QStringLiteral("demo"));
    const Target target = productFolderTarget();
    std::vector<reference::Login> logins;
    createAndFill(target, [&](FbConnection& shared, FbConnection* workstation) {
        logins = demo::fill(shared, *workstation, GetLogonUserName(), QDate::currentDate());
    });
    out << QStringLiteral("Farmácia de demonstração criada em %1\n").arg(productfolder::path());
    writeDefaultReportProject(out);
    printLogins(logins, out);
    return kSuccess;
}

int user(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--database")}, {QStringLiteral("--financial")});
    if (parsed.positional.value(0) != QLatin1String("add"))
        throw UsageError(QStringLiteral("Uso: korvanis-admin user add NOME SENHA [--financial]"));
    expectPositional(parsed, 3, QStringLiteral("user add"));
    const QString name = parsed.positional.at(1);
    const QString password = parsed.positional.at(2);
    const bool financial = parsed.flags.contains(QStringLiteral("--financial"));
    users::validate(name, password);

    FbConnection shared(existingShared(parsed));
    users::add(shared, name, password, financial);
    out << QStringLiteral("Usuário %1 incluído%2.\n")
               .arg(ascii::upper(name), financial ? QStringLiteral(" com acesso financeiro") : QString());
    if (!users::hasWorkstation(shared, name))
        out << QStringLiteral("Atenção: nenhuma estação (tabela ESTACOES) está associada a este usuário; "
                              "sem ela o login não se completa.\n");
    return kSuccess;
}

int workstation(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--database"), QStringLiteral("--cnpj")}, {});
    if (parsed.positional.value(0) != QLatin1String("add"))
        throw UsageError(
            QStringLiteral("Uso: korvanis-admin workstation add CODIGO USUARIO [--cnpj CNPJ] [--database NOME]"));
    expectPositional(parsed, 3, QStringLiteral("workstation add"));
    const QString code = parsed.positional.at(1);
    const QString name = parsed.positional.at(2);
    FbConnection shared(existingShared(parsed));
    QString cnpj = parsed.options.value(QStringLiteral("--cnpj"));
    if (cnpj.isEmpty())
        cnpj = workstations::firstStoreCnpj(shared);
    if (cnpj.isEmpty())
        throw AdminError(QStringLiteral("Nenhuma estação cadastrada tem o CNPJ da loja: informe-o com --cnpj."));
    workstations::add(shared, code, name, cnpj);
    out << QStringLiteral("Estação %1 incluída para o usuário %2 (loja %3).\n")
               .arg(code, ascii::upper(name.trimmed()), PunctuatedCnpj(workstations::checkedCnpj(cnpj)));
    return kSuccess;
}

// The database user of the workstations, on the server the settings file names: created (or given
// a new password) by the server's administrator, with the module's rights in both databases.
int dbuser(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--server")}, {});
    if (parsed.positional.value(0) != QLatin1String("add"))
        throw UsageError(QStringLiteral("Uso: korvanis-admin dbuser add NOME SENHA --server ENDERECO"));
    expectPositional(parsed, 3, QStringLiteral("dbuser add"));
    const QString name = parsed.positional.at(1);
    const QString password = parsed.positional.at(2);
    const QString server = parsed.options.value(QStringLiteral("--server")).trimmed();
    if (server.isEmpty())
        throw UsageError(QStringLiteral("Informe o servidor com --server, como no KORVANIS.INI (ex.: 192.168.0.10)."));
    moduleuser::validate(name, password);

    const ConnectionConfig config = ComposeConnections(server, QString(), QString(), QString());
    FbConnection shared(config.shared);
    FbConnection workstation(config.workstation);
    for (FbConnection* connection : {&shared, &workstation}) {
        try {
            connection->open();
        } catch (const DbError& e) {
            throw AdminError(QStringLiteral("Não foi possível abrir o banco de dados %1:\n%2")
                                 .arg(connection->params().database, e.message()));
        }
    }
    moduleuser::createOrAlter(shared, name, password);
    moduleuser::grantModuleRights(shared, QStringLiteral("shared.sql"), moduleuser::sharedDatabaseRights(),
                                  moduleuser::sharedDatabaseProcedures(), name);
    moduleuser::grantModuleRights(workstation, QStringLiteral("workstation.sql"),
                                  moduleuser::workstationDatabaseRights(), {}, name);
    const QString user = ascii::upper(name);
    out << QStringLiteral("Usuário %1 do banco de dados pronto no servidor %2, com o que o módulo de compras usa de\n"
                          "  %3\n  %4\n")
               .arg(user, server, config.shared.database, config.workstation.database);
    out << QStringLiteral("Nas estações: ISC_USER=%1 e ISC_PASSWORD com esta senha.\n").arg(user);
    return kSuccess;
}

int encode(const QStringList& args, QTextStream& out)
{
    if (args.size() != 1)
        throw UsageError(QStringLiteral("Uso: korvanis-admin encode TEXTO"));
    out << EncodeCredential(args.front()) << '\n';
    return kSuccess;
}

int generate(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed =
        parse(args,
              {QStringLiteral("--invoices"), QStringLiteral("--items-per-invoice"), QStringLiteral("--products"),
               QStringLiteral("--suppliers"), QStringLiteral("--scale"), QStringLiteral("--database")},
              {});
    expectPositional(parsed, 0, QStringLiteral("generate"));
    generator::Options options;
    // --scale N: N times the reference pharmacy's invoices (and items), on the same catalogue.
    const int scale = integerOption(parsed, QStringLiteral("--scale"), 1, 1, 100);
    options.invoices = integerOption(parsed, QStringLiteral("--invoices"), options.invoices * scale, 0, 10000000);
    options.itemsPerInvoice =
        integerOption(parsed, QStringLiteral("--items-per-invoice"), options.itemsPerInvoice, 0, 1000);
    options.products =
        integerOption(parsed, QStringLiteral("--products"), options.products, 1, generator::kMaxProducts);
    options.suppliers =
        integerOption(parsed, QStringLiteral("--suppliers"), options.suppliers, 1, generator::kMaxSuppliers);

    const std::optional<QString> database = databaseOption(parsed);
    const Target target = database ? namedTarget(*database) : productFolderTarget();
    QElapsedTimer clock;
    clock.start();
    std::vector<reference::Login> logins;
    createAndFill(target, [&](FbConnection& shared, FbConnection* workstation) {
        logins = generator::generate(shared, workstation, GetLogonUserName(), options, QDate::currentDate(),
                                     [&](const QString& line) {
                                         err << line << '\n';
                                         err.flush();
                                     });
    });
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    out << QStringLiteral("Banco de dados gerado em %1 s: %2 notas fiscais, %3 itens, %4 produtos, %5 fornecedores.\n")
               .arg(brazil.toString(double(clock.elapsed()) / 1000.0, 'f', 1), brazil.toString(options.invoices),
                    brazil.toString(qint64(options.invoices) * options.itemsPerInvoice),
                    brazil.toString(options.products), brazil.toString(options.suppliers));
    out << QStringLiteral("Banco de dados compartilhado: %1\n").arg(target.shared.database);
    printLogins(logins, out);
    return kSuccess;
}

// Adds to an existing shared database the indexes of the schema it lacks.
int indexes(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--database")}, {});
    expectPositional(parsed, 0, QStringLiteral("indexes"));
    FbConnection shared(existingShared(parsed));
    const QStringList created = schema::createMissingIndexes(shared);
    schema::updateIndexStatistics(shared);
    const QStringList access = schema::createMissingAccess(shared, QStringLiteral("shared-access.sql"));
    if (!access.isEmpty())
        out << QStringLiteral("Objetos de acesso criados em %1: %2\n")
                   .arg(shared.params().database, access.join(QStringLiteral(", ")));
    if (created.isEmpty())
        out << QStringLiteral("O banco de dados %1 já tem todos os índices.\n").arg(shared.params().database);
    else
        out << QStringLiteral("Índices criados em %1: %2\n")
                   .arg(shared.params().database, created.join(QStringLiteral(", ")));
    return kSuccess;
}

// Imports NF-e files into the shared database as the window's import does.
int importNfe(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed =
        parse(args, {QStringLiteral("--receipt"), QStringLiteral("--database"), QStringLiteral("--inbox")},
              {QStringLiteral("--accept-unsigned")});
    const bool inbox = parsed.options.contains(QStringLiteral("--inbox"));
    if (parsed.positional.isEmpty() && !inbox)
        throw UsageError(
            QStringLiteral("Informe os arquivos XML das NF-e a importar, ou a pasta de entrada (--inbox)."));
    if (!parsed.positional.isEmpty() && inbox)
        throw UsageError(QStringLiteral("Informe os arquivos XML ou a pasta de entrada (--inbox), não os dois."));
    NfeBatchOptions options;
    options.receipt = QDate::currentDate();
    if (parsed.options.contains(QStringLiteral("--receipt"))) {
        const std::optional<QDate> receipt = formats::parseDate(parsed.options.value(QStringLiteral("--receipt")));
        if (!receipt)
            throw UsageError(QStringLiteral("A data de recebimento (--receipt) deve ser dd/mm/aaaa."));
        options.receipt = *receipt;
    }
    options.acceptUnsigned = parsed.flags.contains(QStringLiteral("--accept-unsigned"));
    const std::optional<QString> database = databaseOption(parsed);
    const Target target = database ? namedTarget(*database) : productFolderTarget();
    if (!isServerName(target.shared.database) && !QFileInfo::exists(target.shared.database))
        throw AdminError(QStringLiteral("O banco de dados %1 não existe. Crie-o antes com \"korvanis-admin init\".")
                             .arg(target.shared.database));
    options.shared = target.shared;
    // The import writes only to the shared database.
    options.workstation = target.workstation.value_or(target.shared);
    if (inbox)
        return ImportNfeInbox(options, parsed.options.value(QStringLiteral("--inbox")), out, err);
    return ImportNfeFiles(options, parsed.positional, out, err);
}

// What the NF-e import remembers of the suppliers' own product codes: listed, or one forgotten.
int supplierCodes(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--database"), QStringLiteral("--cnpj")}, {});
    const QString action = parsed.positional.value(0);
    FbConnection shared(existingShared(parsed));
    schema::createMissingAccess(shared, QStringLiteral("shared-access.sql"));
    if (action == QLatin1String("list")) {
        expectPositional(parsed, 1, QStringLiteral("supplier-codes list"));
        const QString typed = parsed.options.value(QStringLiteral("--cnpj"));
        const QString cnpj = typed.isEmpty() ? QString() : workstations::checkedCnpj(typed);
        const std::vector<SupplierCode> codes = suppliercodes::List(shared, cnpj);
        if (codes.empty())
            out << QStringLiteral("Nenhum código de fornecedor guardado.\n");
        for (const SupplierCode& c : codes)
            out << QStringLiteral("%1\t%2\t%3\t%4\t1 %5 = %6 %7\n")
                       .arg(c.cnpj, c.cProd, c.codigo, c.componente, c.uCom, c.fator.toString(), c.unidade);
        return kSuccess;
    }
    if (action == QLatin1String("remove")) {
        expectPositional(parsed, 3, QStringLiteral("supplier-codes remove"));
        const QString cnpj = workstations::checkedCnpj(parsed.positional.at(1));
        if (!suppliercodes::Remove(shared, cnpj, parsed.positional.at(2)))
            throw AdminError(QStringLiteral("O código %1 do fornecedor de CNPJ %2 não está guardado.")
                                 .arg(parsed.positional.at(2), cnpj));
        out << QStringLiteral("Código %1 do fornecedor de CNPJ %2 esquecido.\n").arg(parsed.positional.at(2), cnpj);
        return kSuccess;
    }
    throw UsageError(QStringLiteral("Use \"supplier-codes list\" ou \"supplier-codes remove CNPJ CODIGO\"."));
}

// ---- Backups ------------------------------------------------------------------------------------

void refuseMissing(const FbConnection::Params& params)
{
    if (!isServerName(params.database) && !QFileInfo::exists(params.database))
        throw AdminError(QStringLiteral("O banco de dados %1 não existe. Crie-o antes com \"korvanis-admin init\".")
                             .arg(params.database));
}

// The databases a backup copies: the one --database names, the two of the server --server names,
// or the product folder's two.
std::vector<backups::Source> backupSources(const Arguments& parsed)
{
    const std::optional<QString> database = databaseOption(parsed);
    const QString server = parsed.options.value(QStringLiteral("--server")).trimmed();
    if (database && parsed.options.contains(QStringLiteral("--server")))
        throw UsageError(QStringLiteral("Use --database ou --server, não os dois."));
    if (database) {
        const Target target = namedTarget(*database);
        refuseMissing(target.shared);
        return {{backups::labelOf(*database), target.shared}};
    }
    if (parsed.options.contains(QStringLiteral("--server"))) {
        if (server.isEmpty())
            throw UsageError(
                QStringLiteral("Informe o servidor com --server, como no KORVANIS.INI (ex.: 192.168.0.10)."));
        const ConnectionConfig config = ComposeConnections(server, QString(), QString(), QString());
        return {{QStringLiteral("dados"), config.shared}, {QStringLiteral("interfac"), config.workstation}};
    }
    const Target target = productFolderTarget();
    refuseMissing(target.shared);
    refuseMissing(*target.workstation);
    return {{QStringLiteral("dados"), target.shared}, {QStringLiteral("interfac"), *target.workstation}};
}

void noteFailure(bool recorded, const QString& folder, const QString& error, const QDateTime& when)
{
    if (!recorded)
        return;
    try {
        backupstatus::recordFailure(folder, error, when);
    } catch (const FileError&) {
        // The failure itself is what the administrator reads.
    }
}

int backup(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const Arguments parsed = parse(
        args,
        {QStringLiteral("--to"), QStringLiteral("--keep"), QStringLiteral("--database"), QStringLiteral("--server")},
        {});
    expectPositional(parsed, 0, QStringLiteral("backup"));
    const int keep = integerOption(parsed, QStringLiteral("--keep"), backups::kDefaultKeep, 1, 100000);
    const QString folder =
        QFileInfo(parsed.options.value(QStringLiteral("--to"), backups::defaultFolder())).absoluteFilePath();
    // Only the product folder's own databases are what the window's warning is about.
    const bool recorded =
        !parsed.options.contains(QStringLiteral("--database")) && !parsed.options.contains(QStringLiteral("--server"));
    const QDateTime now = QDateTime::currentDateTime();
    QStringList written;
    try {
        written = backups::backUp(backupSources(parsed), folder, keep, now);
    } catch (const AdminError& e) {
        noteFailure(recorded, folder, e.message(), now);
        throw;
    } catch (const DbError& e) {
        noteFailure(recorded, folder, e.message(), now);
        throw;
    }
    if (recorded) {
        try {
            backupstatus::recordSuccess(folder, now);
        } catch (const FileError& e) {
            err << QStringLiteral("Atenção: %1\n").arg(e.message());
        }
    }
    for (const QString& file : written)
        out << QStringLiteral("Backup feito e conferido: %1\n").arg(file);
    out << QStringLiteral("Ficam na pasta os %1 backups mais recentes de cada banco de dados.\n").arg(keep);
    return kSuccess;
}

int restore(const QStringList& args, QTextStream& out)
{
    const Arguments parsed = parse(args, {QStringLiteral("--to")}, {QStringLiteral("--replace")});
    expectPositional(parsed, 1, QStringLiteral("restore"));
    if (!parsed.options.contains(QStringLiteral("--to")))
        throw UsageError(QStringLiteral("Informe com --to o banco de dados a criar."));
    const FbConnection::Params target = namedTarget(parsed.options.value(QStringLiteral("--to"))).shared;
    const QString file = QFileInfo(parsed.positional.front()).absoluteFilePath();
    const QString kept = backups::restore(file, target, parsed.flags.contains(QStringLiteral("--replace")),
                                          QDateTime::currentDateTime());
    out << QStringLiteral("Backup %1 restaurado em %2.\n").arg(file, target.database);
    if (!kept.isEmpty())
        out << QStringLiteral("O banco de dados anterior foi guardado em %1.\n").arg(kept);
    return kSuccess;
}

} // namespace

QString usage()
{
    return QStringLiteral(
               "Uso: korvanis-admin COMANDO [opções]\n"
               "  init [--database NOME]             cria os bancos de dados vazios\n"
               "  demo                               cria os bancos de dados com uma farmácia de demonstração\n"
               "  user add NOME SENHA [--financial]  inclui um usuário no banco de dados compartilhado\n"
               "  workstation add CODIGO USUARIO [--cnpj CNPJ] [--database NOME]\n"
               "                                     inclui a estação (tabela ESTACOES) em que o usuário entra;\n"
               "                                     sem --cnpj, a loja é a da primeira estação cadastrada\n"
               "  dbuser add NOME SENHA --server ENDERECO\n"
               "                                     cria no servidor o usuário do banco de dados das estações,\n"
               "                                     com leitura e gravação nas tabelas do módulo (como SYSDBA)\n"
               "  encode TEXTO                       mostra o TEXTO codificado como nomes e senhas são gravados\n"
               "  generate [--scale N] [--invoices N] [--items-per-invoice N] [--products N] [--suppliers N]\n"
               "           [--database NOME]         cria um banco de dados grande para medir o desempenho;\n"
               "                                     --scale N: N vezes as 50.000 notas fiscais de referência\n"
               "  indexes [--database NOME]          cria os índices que faltam em um banco de dados existente\n"
               "  import-nfe [--receipt dd/mm/aaaa] [--database NOME] [--accept-unsigned] ARQUIVO...\n"
               "                                     importa os arquivos XML de NF-e como a janela de compras;\n"
               "                                     --accept-unsigned aceita arquivos sem protocolo de\n"
               "                                     autorização, sem assinatura digital ou assinados por um\n"
               "                                     certificado que não informa CNPJ\n"
               "  import-nfe --inbox PASTA [--receipt dd/mm/aaaa] [--database NOME] [--accept-unsigned]\n"
               "                                     importa cada .xml novo da PASTA e o move para\n"
               "                                     PASTA/importadas/ ou PASTA/recusadas/ (com um .txt do motivo)\n"
               "  supplier-codes list [--cnpj CNPJ] [--database NOME]\n"
               "                                     lista os códigos de produto dos fornecedores guardados pela\n"
               "                                     importação de NF-e\n"
               "  supplier-codes remove CNPJ CODIGO [--database NOME]\n"
               "                                     esquece o produto guardado para o código do fornecedor\n"
               "  backup [--to PASTA] [--keep N] [--database NOME | --server ENDERECO]\n"
               "                                     faz o backup (formato do gbak) dos dois bancos de dados em\n"
               "                                     PASTA (padrão: backups/ na pasta do produto), confere cada\n"
               "                                     um restaurando-o em um banco temporário e guarda os N mais\n"
               "                                     recentes (padrão: 14)\n"
               "  restore ARQUIVO --to NOME [--replace]\n"
               "                                     restaura um backup em um banco de dados novo; --replace\n"
               "                                     substitui um arquivo existente e guarda o antigo ao lado\n"
               "Os bancos de dados locais ficam na pasta do produto: KORVANIS_DIR, ou ~/.local/share/korvanis.\n"
               "Em um servidor, NOME é host:caminho ou host/porta:caminho; o usuário e a senha vêm de\n"
               "ISC_USER (SYSDBA quando vazio) e ISC_PASSWORD.\n") +
           reportUsage();
}

int run(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    const QString command = arguments.value(0);
    const QStringList args = arguments.mid(1);
    try {
        if (command == QLatin1String("init"))
            return init(args, out);
        if (command == QLatin1String("demo"))
            return demo(args, out);
        if (command == QLatin1String("user"))
            return user(args, out);
        if (command == QLatin1String("workstation"))
            return workstation(args, out);
        if (command == QLatin1String("dbuser"))
            return dbuser(args, out);
        if (command == QLatin1String("encode"))
            return encode(args, out);
        if (command == QLatin1String("generate"))
            return generate(args, out, err);
        if (command == QLatin1String("indexes"))
            return indexes(args, out);
        if (command == QLatin1String("import-nfe"))
            return importNfe(args, out, err);
        if (command == QLatin1String("supplier-codes"))
            return supplierCodes(args, out);
        if (command == QLatin1String("report"))
            return report(args, out, err);
        if (command == QLatin1String("backup"))
            return backup(args, out, err);
        if (command == QLatin1String("restore"))
            return restore(args, out);
        if (command.isEmpty())
            err << QStringLiteral("Nenhum comando informado.\n") << usage();
        else
            err << QStringLiteral("Comando desconhecido: %1\n").arg(command) << usage();
        return kBadArguments;
    } catch (const UsageError& e) {
        err << e.message() << '\n' << usage();
        return kBadArguments;
    } catch (const AdminError& e) {
        err << e.message() << '\n';
    } catch (const DbError& e) {
        err << QStringLiteral("Erro do banco de dados: %1\n").arg(e.message());
    } catch (const std::exception& e) {
        err << QStringLiteral("Erro: %1\n").arg(QString::fromLocal8Bit(e.what()));
    }
    return kFailure;
}

} // namespace admin
