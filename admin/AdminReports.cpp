#include "admin/AdminReports.h"

#include "admin/AdminCommands.h"
#include "data/DbError.h"
#include "data/Formats.h"
#include "platform/ProductFolder.h"
#include "purchase/DataModule.h"
#include "purchase/SessionState.h"
#include "reports/ReportData.h"
#include "reports/ReportError.h"
#include "reports/ReportModule.h"
#include "reports/ReportOutput.h"

#include <QFileInfo>
#include <QHash>
#include <QScopeGuard>

namespace admin {

namespace {

class ReportUsageError : public std::runtime_error {
public:
    explicit ReportUsageError(const QString& message) : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

QHash<QString, QString> options(const QStringList& args, const QStringList& known)
{
    QHash<QString, QString> values;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& name = args.at(i);
        if (!known.contains(name))
            throw ReportUsageError(QStringLiteral("Opção desconhecida: %1").arg(name));
        if (i + 1 >= args.size())
            throw ReportUsageError(QStringLiteral("Falta o valor da opção %1.").arg(name));
        values.insert(name, args.at(++i));
    }
    return values;
}

QString requiredOption(const QHash<QString, QString>& values, const QString& name)
{
    const QString value = values.value(name).trimmed();
    if (value.isEmpty())
        throw ReportUsageError(QStringLiteral("Falta a opção %1.").arg(name));
    return value;
}

QDate dateOption(const QHash<QString, QString>& values, const QString& name)
{
    const std::optional<QDate> date = formats::parseDate(requiredOption(values, name));
    if (!date)
        throw ReportUsageError(QStringLiteral("A data de %1 deve ser dd/mm/aaaa.").arg(name));
    return *date;
}

FbConnection::Params paramsOf(const QString& database)
{
    if (!QFileInfo::exists(database))
        throw ReportError(
            QStringLiteral("O banco de dados %1 não existe. Crie-o antes com \"korvanis-admin init\".").arg(database));
    return {database, FbConnection::defaultUser(), FbConnection::defaultPassword()};
}

// The data module and the report module of the product folder, as the window has them after a
// login at the workstation (its store's CNPJ heads the listing).
struct ReportSession {
    explicit ReportSession(const QString& workstation)
        : dm(paramsOf(productfolder::sharedDatabase()), paramsOf(productfolder::workstationDatabase()), session),
          rm(dm, session)
    {
        const QString sql = workstation.isEmpty()
                                ? QStringLiteral("select first 1 ESTACAO, CNPJ from ESTACOES order by ESTACAO")
                                : QStringLiteral("select ESTACAO, CNPJ from ESTACOES where ESTACAO = ?");
        const Values row = dm.SQLConnection1.executeRow(sql, workstation.isEmpty() ? Values{} : Values{workstation});
        if (row.empty() && !workstation.isEmpty())
            throw ReportError(QStringLiteral("A estação %1 não está cadastrada.").arg(workstation));
        if (!row.empty()) {
            session.WorkstationCode = isNull(row.at(0)) ? QString() : std::get<QString>(row.at(0)).trimmed();
            session.StoreCnpj = isNull(row.at(1)) ? QString() : std::get<QString>(row.at(1)).trimmed();
        }
    }

    SessionState session;
    TDM dm;
    TRM rm;
};

// The invoice's date and the supplier as stored, found by number and supplier name (letter case
// not counting); with several invoices of that number and supplier, `date` chooses.
struct Invoice {
    QDate date;
    QString supplier;
};

Invoice findInvoice(FbConnection& db, const QString& number, const QString& supplier, const std::optional<QDate>& date)
{
    std::vector<Invoice> found;
    auto cursor = db.openCursor(QStringLiteral("select DATA, FORNECEDOR from NFISCAL where NOTAFISCAL = ? and "
                                               "upper(FORNECEDOR) = upper(?) and GRUPDESP = 'SUP' order by DATA"),
                                {number, supplier});
    while (cursor->fetch()) {
        const Invoice invoice{std::get<QDate>(cursor->value(0)), cursor->text(1)};
        if (!date || *date == invoice.date)
            found.push_back(invoice);
    }
    if (found.empty())
        throw ReportError(
            QStringLiteral("Não há nota fiscal %1 do fornecedor %2%3.")
                .arg(number, supplier, date ? QStringLiteral(" em %1").arg(formats::shortDate(*date)) : QString()));
    if (found.size() > 1)
        throw ReportUsageError(QStringLiteral("Há %1 notas fiscais %2 do fornecedor %3; escolha uma com --date.")
                                   .arg(found.size())
                                   .arg(number, supplier));
    return found.front();
}

// The report goes to the PDF file, telling each page generated.
void outputTo(const QString& pdf, QTextStream& err)
{
    reports::ReportOutput::install(std::make_unique<reports::PdfOutput>(pdf, [&err](int page) {
        err << reports::generatingPageText(page) << '\n';
        err.flush();
    }));
}

int etiquetas(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto values =
        options(args, {QStringLiteral("--invoice"), QStringLiteral("--supplier"), QStringLiteral("--date"),
                       QStringLiteral("--pdf"), QStringLiteral("--workstation")});
    const QString number = requiredOption(values, QStringLiteral("--invoice"));
    const QString supplier = requiredOption(values, QStringLiteral("--supplier"));
    const QString pdf = requiredOption(values, QStringLiteral("--pdf"));
    std::optional<QDate> date;
    if (values.contains(QStringLiteral("--date")))
        date = dateOption(values, QStringLiteral("--date"));
    productfolder::useOwnLockFolderIfNeeded();
    ReportSession s(values.value(QStringLiteral("--workstation")).trimmed());
    const Invoice invoice = findInvoice(s.dm.SQLConnection1, number, supplier, date);
    reports::PrepareRotulos(s.dm, invoice.date, number, invoice.supplier);
    const int labels = s.dm.qryRotulos.recordCount();
    outputTo(pdf, err);
    s.rm.closeProject();
    s.rm.executeReport(reports::kRotulos);
    out << QStringLiteral("Etiquetas da nota fiscal %1 de %2 (%3): %4 etiqueta(s) em %5\n")
               .arg(number, invoice.supplier, formats::shortDate(invoice.date))
               .arg(labels)
               .arg(pdf);
    return kSuccess;
}

int vencimentos(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto values = options(args, {QStringLiteral("--from"), QStringLiteral("--to"), QStringLiteral("--pdf"),
                                       QStringLiteral("--workstation")});
    const QDate from = dateOption(values, QStringLiteral("--from"));
    const QDate to = dateOption(values, QStringLiteral("--to"));
    const QString pdf = requiredOption(values, QStringLiteral("--pdf"));
    productfolder::useOwnLockFolderIfNeeded();
    ReportSession s(values.value(QStringLiteral("--workstation")).trimmed());
    // As in the window: the period is stored on the workstation, then the listing runs over it.
    reports::OpenPeriodo(s.dm);
    s.dm.Periodo.setDate(QStringLiteral("DATAINICIAL"), from);
    s.dm.Periodo.setDate(QStringLiteral("DATAFINAL"), to);
    reports::Calcula_Vencimentos_SQL(s.dm);
    const int rows = s.dm.qryVencimentos.recordCount();
    outputTo(pdf, err);
    s.rm.closeProject();
    s.rm.executeReport(reports::kVencimentos);
    out << QStringLiteral("Vencimentos de %1 a %2: %3 item(ns) em %4\n")
               .arg(formats::shortDate(from), formats::shortDate(to))
               .arg(rows)
               .arg(pdf);
    return kSuccess;
}

} // namespace

int report(const QStringList& args, QTextStream& out, QTextStream& err)
{
    const auto restoreOutput = qScopeGuard([] { reports::ReportOutput::install(nullptr); });
    try {
        const QString which = args.value(0);
        if (which == QLatin1String("etiquetas"))
            return etiquetas(args.mid(1), out, err);
        if (which == QLatin1String("vencimentos"))
            return vencimentos(args.mid(1), out, err);
        throw ReportUsageError(QStringLiteral("Relatório desconhecido: %1 (use etiquetas ou vencimentos).").arg(which));
    } catch (const ReportUsageError& e) {
        err << e.message() << '\n' << reportUsage();
        return kBadArguments;
    } catch (const ReportError& e) {
        err << e.message() << '\n';
        return kFailure;
    }
}

void writeDefaultReportProject(QTextStream& out)
{
    const QString file = productfolder::reportProject();
    if (reports::writeDefaultProject(file))
        out << QStringLiteral("Arquivo de relatórios criado: %1\n").arg(file);
}

QString reportUsage()
{
    return QStringLiteral(
        "Relatórios em PDF (na pasta do produto):\n"
        "  report etiquetas --invoice N --supplier NOME [--date dd/mm/aaaa] --pdf ARQUIVO [--workstation NN]\n"
        "                                     grava em PDF as etiquetas dos itens da nota fiscal\n"
        "  report vencimentos --from dd/mm/aaaa --to dd/mm/aaaa --pdf ARQUIVO [--workstation NN]\n"
        "                                     grava o período na estação e a listagem de vencimentos em PDF\n");
}

} // namespace admin
