#include "reports/ReportLayout.h"

#include "reports/ReportError.h"

#include <QFile>
#include <QPainter>
#include <QPdfWriter>

namespace reports {

namespace {

constexpr double kCentimetresPerInch = 2.54;

// The pages in the order they are printed: each copy whole when collated, else each page repeated.
std::vector<int> pageSequence(int pageCount, const PrintRange& range)
{
    const int first = std::max(1, range.firstPage);
    const int last = range.lastPage > 0 ? std::min(range.lastPage, pageCount) : pageCount;
    const int copies = std::max(1, range.copies);
    std::vector<int> pages;
    if (range.collate) {
        for (int c = 0; c < copies; ++c)
            for (int p = first; p <= last; ++p)
                pages.push_back(p - 1);
    } else {
        for (int p = first; p <= last; ++p)
            for (int c = 0; c < copies; ++c)
                pages.push_back(p - 1);
    }
    return pages;
}

} // namespace

QString generatingPageText(int page)
{
    return QStringLiteral("Gerando página %1").arg(page);
}

Centimetres::Centimetres(const QPainter& painter)
    : dotsX_(painter.device()->logicalDpiX() / kCentimetresPerInch),
      dotsY_(painter.device()->logicalDpiY() / kCentimetresPerInch)
{
}

QRectF Centimetres::rect(double left, double top, double width, double height) const
{
    return {x(left), y(top), x(width), y(height)};
}

void printReport(const ReportLayout& report, QPagedPaintDevice& device, const PageProgress& progress,
                 const PrintRange& range)
{
    device.setPageLayout(report.pageLayout());
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("Não foi possível iniciar a impressão do relatório %1.").arg(report.title()));
    const std::vector<int> pages = pageSequence(report.pageCount(), range);
    for (std::size_t i = 0; i < pages.size(); ++i) {
        if (i > 0)
            device.newPage();
        if (progress)
            progress(pages[i] + 1);
        painter.save();
        report.paintPage(painter, pages[i]);
        painter.restore();
    }
    painter.end();
}

void writePdf(const ReportLayout& report, const QString& fileName, const PageProgress& progress)
{
    {
        QFile probe(fileName);
        if (!probe.open(QIODevice::WriteOnly))
            throw ReportError(
                QStringLiteral("Não foi possível gravar o arquivo %1: %2").arg(fileName, probe.errorString()));
    }
    QPdfWriter writer(fileName);
    writer.setTitle(report.title());
    writer.setCreator(QStringLiteral("Korvanis Compras"));
    printReport(report, writer, progress);
}

} // namespace reports
