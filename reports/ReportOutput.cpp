#include "reports/ReportOutput.h"

#include <QDebug>

namespace reports {

namespace {

class LoggedOutput : public ReportOutput {
public:
    void run(const ReportLayout& report) override
    {
        qWarning().noquote() << QStringLiteral("Relatório %1: %2 página(s), sem saída instalada.")
                                    .arg(report.title())
                                    .arg(report.pageCount());
    }
};

std::unique_ptr<ReportOutput> loggedOutput()
{
    return std::make_unique<LoggedOutput>();
}

ReportOutput::Factory& defaultFactory()
{
    static ReportOutput::Factory factory = loggedOutput;
    return factory;
}

std::unique_ptr<ReportOutput>& slot()
{
    static std::unique_ptr<ReportOutput> output = defaultFactory()();
    return output;
}

} // namespace

ReportOutput& ReportOutput::current()
{
    return *slot();
}

void ReportOutput::install(std::unique_ptr<ReportOutput> output)
{
    slot() = output ? std::move(output) : defaultFactory()();
}

void ReportOutput::setDefault(Factory factory)
{
    defaultFactory() = factory ? factory : loggedOutput;
}

} // namespace reports
