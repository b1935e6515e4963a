#include "reports/ListingLayout.h"

#include "data/AsciiCase.h"
#include "data/Formats.h"

#include <QFontMetricsF>
#include <QPageSize>
#include <QPainter>
#include <QRegularExpression>

namespace reports {

namespace {

constexpr double kPointsPerCm = 72.0 / 2.54;
constexpr double kLineSpacing = 1.45; // line height as a multiple of the font size
constexpr double kTitleScale = 1.5;   // title font against the body font
constexpr int kHeaderLines = 5;       // title (one and a half), CNPJ, blank, column titles
constexpr int kFooterLines = 2;
constexpr double kCellPadding = 0.1; // cm between columns

QFont bodyFont(double points, bool bold = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

Qt::Alignment alignmentOf(ListingColumn::Align align)
{
    switch (align) {
    case ListingColumn::Align::Right:
        return Qt::AlignRight | Qt::AlignVCenter;
    case ListingColumn::Align::Centre:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    case ListingColumn::Align::Left:
        break;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

} // namespace

QString formattedCnpj(const QString& digits)
{
    static const QRegularExpression fourteenDigits(QStringLiteral("^[0-9]{14}$"));
    if (!fourteenDigits.match(digits).hasMatch())
        return digits;
    return QStringLiteral("%1.%2.%3/%4-%5")
        .arg(digits.mid(0, 2), digits.mid(2, 3), digits.mid(5, 3), digits.mid(8, 4), digits.mid(12, 2));
}

ListingLayout::ListingLayout(Report report, ReportRows rows, ListingHeader header)
    : report_(std::move(report)), rows_(std::move(rows)), header_(std::move(header))
{
    paginate();
}

QPageLayout ListingLayout::pageLayout() const
{
    const QPageSize size(QSizeF(report_.page.width * 10, report_.page.height * 10), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    return QPageLayout(size, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

double ListingLayout::lineHeight() const
{
    return report_.page.pointSize * kLineSpacing / kPointsPerCm;
}

double ListingLayout::bodyTop() const
{
    return report_.page.margin + kHeaderLines * lineHeight();
}

double ListingLayout::bodyBottom() const
{
    return report_.page.height - report_.page.margin - kFooterLines * lineHeight();
}

// Lines go onto a page while they fit; a group heading is never left alone at a page's foot.
void ListingLayout::paginate()
{
    const int perPage = std::max(2, int((bodyBottom() - bodyTop()) / lineHeight()));
    const QString groupField = ascii::upper(report_.groupField);
    std::vector<Line> lines;
    QString lastGroup;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (!groupField.isEmpty() && (i == 0 || rows_[i].value(groupField) != lastGroup)) {
            lastGroup = rows_[i].value(groupField);
            lines.push_back({true, i});
        }
        lines.push_back({false, i});
    }
    pages_.clear();
    pages_.emplace_back();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool headingAtFoot = lines[i].group && int(pages_.back().size()) == perPage - 1;
        if (int(pages_.back().size()) == perPage || headingAtFoot)
            pages_.emplace_back();
        pages_.back().push_back(lines[i]);
    }
}

void ListingLayout::paintPage(QPainter& painter, int index) const
{
    painter.setPen(Qt::black);
    paintHeader(painter);
    double top = bodyTop();
    for (const Line& line : pages_.at(std::size_t(index))) {
        paintLine(painter, line, top);
        top += lineHeight();
    }
    paintFooter(painter, index);
}

void ListingLayout::paintHeader(QPainter& painter) const
{
    const Centimetres cm(painter);
    const double left = report_.page.margin;
    const double width = report_.page.width - 2 * report_.page.margin;
    const double h = lineHeight();
    painter.setFont(bodyFont(report_.page.pointSize * kTitleScale, true));
    painter.drawText(cm.rect(left, left, width, h * kTitleScale), Qt::AlignLeft | Qt::AlignVCenter, header_.title);
    painter.setFont(bodyFont(report_.page.pointSize));
    painter.drawText(cm.rect(left, left + 1.5 * h, width, h), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("CNPJ da loja: %1").arg(formattedCnpj(header_.storeCnpj)));
    painter.setFont(bodyFont(report_.page.pointSize, true));
    double x = left;
    const double titlesTop = bodyTop() - h;
    for (const ListingColumn& column : report_.columns) {
        painter.drawText(cm.rect(x, titlesTop, column.width - kCellPadding, h), alignmentOf(column.align),
                         column.title);
        x += column.width;
    }
    painter.drawLine(QPointF(cm.x(left), cm.y(bodyTop())), QPointF(cm.x(left + width), cm.y(bodyTop())));
}

void ListingLayout::paintLine(QPainter& painter, const Line& line, double top) const
{
    const Centimetres cm(painter);
    const double left = report_.page.margin;
    const double h = lineHeight();
    const ReportRow& row = rows_.at(line.row);
    if (line.group) {
        painter.setFont(bodyFont(report_.page.pointSize, true));
        painter.drawText(cm.rect(left, top, report_.page.width - 2 * left, h), Qt::AlignLeft | Qt::AlignVCenter,
                         report_.groupCaption + row.value(ascii::upper(report_.groupField)));
        return;
    }
    const QFont font = bodyFont(report_.page.pointSize);
    painter.setFont(font);
    const QFontMetricsF metrics(font, painter.device());
    double x = left;
    for (const ListingColumn& column : report_.columns) {
        const QRectF cell = cm.rect(x, top, column.width - kCellPadding, h);
        const QString text = metrics.elidedText(row.value(ascii::upper(column.field)), Qt::ElideRight, cell.width());
        painter.drawText(cell, alignmentOf(column.align), text);
        x += column.width;
    }
}

void ListingLayout::paintFooter(QPainter& painter, int index) const
{
    const Centimetres cm(painter);
    const double left = report_.page.margin;
    const double width = report_.page.width - 2 * left;
    const double h = lineHeight();
    const double top = report_.page.height - left - h;
    painter.setFont(bodyFont(report_.page.pointSize));
    painter.drawLine(QPointF(cm.x(left), cm.y(top - 0.2 * h)), QPointF(cm.x(left + width), cm.y(top - 0.2 * h)));
    painter.drawText(cm.rect(left, top, width, h), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Impresso em %1").arg(formats::dateTimeText(header_.printedAt)));
    painter.drawText(cm.rect(left, top, width, h), Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Página %1 de %2").arg(index + 1).arg(pageCount()));
}

} // namespace reports
