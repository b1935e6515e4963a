#include "reports/LabelSheetLayout.h"

#include "data/AsciiCase.h"
#include "reports/Barcode.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>

namespace reports {

namespace {

constexpr double kInnerPadding = 0.1; // cm kept free at the label's right edge

QPageLayout paperOf(double widthCm, double heightCm)
{
    const QPageSize size(QSizeF(widthCm * 10, heightCm * 10), QPageSize::Millimeter, QString(), QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

} // namespace

LabelSheetLayout::LabelSheetLayout(Report report, ReportRows rows) : report_(std::move(report)), rows_(std::move(rows))
{
}

QPageLayout LabelSheetLayout::pageLayout() const
{
    return paperOf(report_.sheet.pageWidth, report_.sheet.pageHeight);
}

int LabelSheetLayout::pageCount() const
{
    const int perPage = report_.sheet.labelsPerPage();
    return (int(rows_.size()) + perPage - 1) / perPage;
}

QRectF LabelSheetLayout::labelBox(int slot) const
{
    const LabelSheet& s = report_.sheet;
    const int column = slot % s.columns;
    const int row = slot / s.columns;
    return {s.leftMargin + column * (s.labelWidth + s.horizontalGap),
            s.topMargin + row * (s.labelHeight + s.verticalGap), s.labelWidth, s.labelHeight};
}

void LabelSheetLayout::paintPage(QPainter& painter, int index) const
{
    const int perPage = report_.sheet.labelsPerPage();
    const std::size_t first = std::size_t(index) * std::size_t(perPage);
    for (std::size_t i = first; i < rows_.size() && i < first + std::size_t(perPage); ++i)
        paintLabel(painter, labelBox(int(i - first)), rows_[i]);
}

void LabelSheetLayout::paintLabel(QPainter& painter, const QRectF& box, const ReportRow& row) const
{
    const Centimetres cm(painter);
    painter.setPen(Qt::black);
    for (const LabelText& t : report_.texts) {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSizeF(t.pointSize);
        font.setBold(t.bold);
        painter.setFont(font);
        const QFontMetricsF metrics(font, painter.device());
        const double width = cm.x(box.width() - t.x - kInnerPadding);
        if (width <= 0)
            continue;
        const QString text = metrics.elidedText(fillFields(t.text, row), Qt::ElideRight, width);
        painter.drawText(QPointF(cm.x(box.left() + t.x), cm.y(box.top() + t.y) + metrics.ascent()), text);
    }
    for (const LabelBarcode& b : report_.barcodes)
        drawCode128(painter, cm.rect(box.left() + b.x, box.top() + b.y, b.width, b.height),
                    row.value(ascii::upper(b.field)));
}

} // namespace reports
