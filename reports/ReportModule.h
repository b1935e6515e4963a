#pragma once

#include "reports/ReportDatasets.h"
#include "reports/ReportLayout.h"
#include "reports/ReportProject.h"

#include <QDateTime>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class CachedDataset;

struct SessionState;

// The report module `RM`: the report project (rptNFiscal.xml in the product folder), the data
// connections that give the reports their rows, and the report system that takes a report that
// runs to its output (`ReportOutput`: preview and printer in the program, a PDF file elsewhere).
class TRM : public QObject {
    Q_OBJECT

public:
    TRM(ReportDatasets dm, const SessionState& session, QObject* parent = nullptr);
    ~TRM() override;

    // Data connections, by the names the project file uses.
    CachedDataset& rvdsVencimentos;
    CachedDataset& rvdsPeriodo;
    CachedDataset& rvdsRotulos;

    // The project file: rpt/rptNFiscal.xml in the product folder.
    static QString projectFile();

    // `rvpj1`: closing the project makes the next run read the file afresh.
    void closeProject();
    bool isProjectOpen() const { return project_.has_value(); }
    // Opens the project when needed (a default that an earlier version wrote and nobody changed is
    // first replaced by today's), lays the named report out over the rows of its data connections
    // as they stand (the lots of a listing past their expiry at the print date marked), and runs it
    // on the report system. A missing or malformed file,
    // or an unknown report, throws ReportError naming the file.
    void executeReport(const QString& reportName);
    // The same report laid out, without running it.
    std::unique_ptr<reports::ReportLayout> layoutReport(const QString& reportName);

    // The time printed on the listing; the clock's by default.
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

private:
    const reports::ReportProject& project();
    CachedDataset& connection(const QString& name, const QString& reportName);

    const SessionState& session_;
    std::optional<reports::ReportProject> project_;
};
