#include "reports/ui/QtReportOutput.h"

#include <QApplication>
#include <QComboBox>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>

using namespace reports;

namespace {

constexpr int kPagesWithoutProgress = 3;

// Zoom at 100 % through the dialog's own zoom box, so that its fit buttons are released too.
void zoomToActualSize(QPrintPreviewDialog& preview)
{
    for (auto* zoom : preview.findChildren<QComboBox*>()) {
        const int actualSize = zoom->findText(QStringLiteral("100%"));
        if (actualSize >= 0) {
            zoom->setCurrentIndex(actualSize);
            return;
        }
    }
}

// Maximised; the whole screen also where no window manager maximises it.
void showAtFullSize(QPrintPreviewDialog& preview)
{
    zoomToActualSize(preview);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        preview.setGeometry(screen->availableGeometry());
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
}

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
    showAtFullSize(preview);
    preview.exec();
}
