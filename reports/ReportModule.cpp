#include "reports/ReportModule.h"

#include "data/CachedDataset.h"
#include "platform/ProductFolder.h"
#include "purchase/SessionState.h"
#include "reports/LabelSheetLayout.h"
#include "reports/ListingLayout.h"
#include "reports/ReportData.h"
#include "reports/ReportError.h"
#include "reports/ReportOutput.h"
#include "reports/ReportRows.h"

using namespace reports;

TRM::TRM(ReportDatasets dm, const SessionState& session, QObject* parent)
    : QObject(parent), rvdsVencimentos(dm.qryVencimentos), rvdsPeriodo(dm.Periodo), rvdsRotulos(dm.qryRotulos),
      session_(session)
{
    setObjectName(QStringLiteral("RM"));
}

TRM::~TRM() = default;

QString TRM::projectFile()
{
    return productfolder::reportProject();
}

void TRM::closeProject()
{
    project_.reset();
}

const ReportProject& TRM::project()
{
    if (!project_) {
        renewFormerDefaultProject(projectFile()); // an untouched default of an earlier version gives way
        project_ = ReportProject::load(projectFile());
    }
    return *project_;
}

CachedDataset& TRM::connection(const QString& name, const QString& reportName)
{
    if (name == QLatin1String("rvdsVencimentos"))
        return rvdsVencimentos;
    if (name == QLatin1String("rvdsPeriodo"))
        return rvdsPeriodo;
    if (name == QLatin1String("rvdsRotulos"))
        return rvdsRotulos;
    throw ReportError(QStringLiteral("O relatório %1 do arquivo %2 usa a conexão de dados %3, que não existe.")
                          .arg(reportName, project().fileName(), name));
}

std::unique_ptr<ReportLayout> TRM::layoutReport(const QString& reportName)
{
    const Report& report = project().report(reportName);
    ReportRows rows = readRows(connection(report.dataConnection, reportName));
    if (report.kind == Report::Kind::Labels)
        return std::make_unique<LabelSheetLayout>(report, std::move(rows));
    ReportRow titleFields;
    if (!report.periodConnection.isEmpty()) {
        const ReportRows period = readRows(connection(report.periodConnection, reportName));
        if (!period.empty())
            titleFields = period.front();
    }
    ListingHeader header{fillFields(report.title, titleFields), session_.StoreCnpj, clock(), titleFields};
    markExpiredLots(rows, header.printedAt.date());
    return std::make_unique<ListingLayout>(report, std::move(rows), std::move(header));
}

void TRM::executeReport(const QString& reportName)
{
    const std::unique_ptr<ReportLayout> layout = layoutReport(reportName);
    ReportOutput::current().run(*layout);
}
