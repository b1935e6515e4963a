#include "reports/ui/QtReportOutput.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressDialog>
#include <QTimer>

using namespace reports;

namespace {

constexpr int kPagesWithoutProgress = 3;

} // namespace

void QtReportOutput::makeDefault()
{
    ReportOutput::setDefault([]() -> std::unique_ptr<ReportOutput> { return std::make_unique<QtReportOutput>(); });
    ReportOutput::install(nullptr);
}

void paintOnPrinter(const ReportLayout& report, QPrinter& printer)
{
    printer.setFullPage(true);
    printer.setDocName(report.title());
    PrintRange range;
    if (printer.printRange() == QPrinter::PageRange) {
        range.firstPage = printer.fromPage();
        range.lastPage = printer.toPage();
    }
    if (!printer.supportsMultipleCopies()) {
        range.copies = printer.copyCount();
        range.collate = printer.collateCopies();
    }
    std::unique_ptr<QProgressDialog> progress;
    if (report.pageCount() > kPagesWithoutProgress) {
        progress = std::make_unique<QProgressDialog>(QString(), QString(), 0, report.pageCount(),
                                                     QApplication::activeWindow());
        progress->setWindowTitle(QStringLiteral("Situação do relatório"));
        progress->setMinimumDuration(0);
        progress->setWindowModality(Qt::WindowModal);
    }
    printReport(
        report, printer,
        [&progress](int page) {
            if (!progress)
                return;
            progress->setLabelText(generatingPageText(page));
            progress->setValue(page);
        },
        range);
}

void QtReportOutput::run(const ReportLayout& report)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(report.title());
    QPrintPreviewDialog preview(&printer, QApplication::activeWindow());
    preview.setObjectName(QStringLiteral("VisualizacaoRelatorio"));
    preview.setWindowTitle(QStringLiteral("Visualização do relatório: %1").arg(report.title()));
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview,
                     [&report](QPrinter* target) { paintOnPrinter(report, *target); });
    // At 100 % once the dialog stands: when it first shows, it fits the page to the width.
    if (auto* view = preview.findChild<QPrintPreviewWidget*>())
        QTimer::singleShot(0, view, [view] {
            view->setZoomMode(QPrintPreviewWidget::CustomZoom);
            view->setZoomFactor(1.0);
        });
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
}
