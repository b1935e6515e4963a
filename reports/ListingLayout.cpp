#include "reports/ListingLayout.h"

#include "data/AsciiCase.h"
#include "data/Formats.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QRegularExpression>

namespace reports {

namespace {

constexpr double kPointsPerCm = 72.0 / 2.54;
constexpr double kCmPerInch = 2.54;
constexpr double kLineSpacing = 1.45; // line height as a multiple of the font size
constexpr double kTitleScale = 1.5;   // title font against the body font
constexpr int kHeaderLines = 5;       // title (one and a half), CNPJ, blank, column titles
constexpr int kFooterLines = 2;
constexpr double kCellPadding = 0.1; // cm between columns
constexpr double kMeasuringDpi = 1200;
// A text painted on another device than the one it was measured on may come out a little wider.
constexpr double kWidthAllowance = 1.03;

QFont bodyFont(double points, bool bold = false, bool italic = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
    font.setHintingPreference(QFont::PreferNoHinting); // the same widths on every device
    return font;
}

QFont columnFont(const ListingPage& page, const ListingColumn& column)
{
    return bodyFont(page.pointSize, column.bold);
}

// Texts are measured as at 1200 dpi, the resolution of the PDF files and of the printer.
const QPaintDevice* measuringDevice()
{
    static const QImage image = [] {
        QImage device(1, 1, QImage::Format_Mono);
        const int dotsPerMetre = qRound(kMeasuringDpi / kCmPerInch * 100);
        device.setDotsPerMeterX(dotsPerMetre);
        device.setDotsPerMeterY(dotsPerMetre);
        return device;
    }();
    return &image;
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

QStringList wrappedLines(const QString& text, const QFont& font, double width)
{
    const QFontMetricsF metrics(font, measuringDevice());
    const double room = width / kCmPerInch * kMeasuringDpi;
    auto fits = [&](const QString& s) { return metrics.horizontalAdvance(s) * kWidthAllowance <= room; };
    QStringList lines;
    QString line;
    for (const QString& word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString joined = line.isEmpty() ? word : line + QLatin1Char(' ') + word;
        if (fits(joined)) {
            line = joined;
            continue;
        }
        if (!line.isEmpty())
            lines << line;
        line = word;
        while (!fits(line)) { // a word longer than the line is broken where the line ends
            qsizetype n = 1;
            while (n < line.size() && fits(line.left(n + 1)))
                ++n;
            lines << line.left(n);
            line = line.mid(n);
        }
    }
    if (!line.isEmpty() || lines.isEmpty())
        lines << line;
    return lines;
}

ListingLayout::ListingLayout(Report report, ReportRows rows, ListingHeader header)
    : report_(std::move(report)), rows_(std::move(rows)), header_(std::move(header))
{
    wrapCells();
    paginate();
}

// The paper as the layout gives it; wider than high is the sheet turned (A4 landscape).
QPageLayout ListingLayout::pageLayout() const
{
    const double width = report_.page.width * 10;
    const double height = report_.page.height * 10;
    const QPageSize size(QSizeF(std::min(width, height), std::max(width, height)), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    return QPageLayout(size, width > height ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
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

int ListingLayout::linesPerPage() const
{
    return std::max(2, int((bodyBottom() - bodyTop()) / lineHeight() + 1e-9));
}

bool ListingLayout::showsGroupField() const
{
    const QString groupField = ascii::upper(report_.groupField);
    return std::any_of(report_.columns.begin(), report_.columns.end(),
                       [&](const ListingColumn& c) { return ascii::upper(c.field) == groupField; });
}

// Runs of rows with the same group field. A run of one row goes without a heading when a column
// shows the group field.
std::vector<ListingLayout::Group> ListingLayout::groups() const
{
    const QString field = ascii::upper(report_.groupField);
    std::vector<Group> result;
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (i == 0 || (!field.isEmpty() && rows_[i].value(field) != rows_[i - 1].value(field)))
            result.push_back({i, 0, false});
        ++result.back().size;
    }
    const bool rowsShowTheirGroup = showsGroupField();
    for (Group& group : result)
        group.headed = !field.isEmpty() && (group.size > 1 || !rowsShowTheirGroup);
    return result;
}

void ListingLayout::wrapCells()
{
    cells_.clear();
    cells_.reserve(rows_.size());
    for (const ReportRow& row : rows_) {
        std::vector<QStringList> cells;
        for (const ListingColumn& column : report_.columns)
            cells.push_back(wrappedLines(row.value(ascii::upper(column.field)), columnFont(report_.page, column),
                                         column.width - kCellPadding));
        cells_.push_back(std::move(cells));
    }
}

// Lines go onto a page while they fit. A group heading is never left alone at a page's foot, and a
// page that goes on with a group starts with its heading again.
void ListingLayout::paginate()
{
    const int room = linesPerPage();
    int used = 0;
    pages_.assign(1, {});
    auto newPage = [&] {
        pages_.emplace_back();
        used = 0;
    };
    auto place = [&](const Line& line) {
        pages_.back().push_back(line);
        used += line.height;
    };
    auto fits = [&](int height) { return pages_.back().empty() || used + height <= room; };
    for (const Group& group : groups()) {
        const Line continued{LineKind::ContinuedHeading, group.first};
        for (std::size_t i = group.first; i < group.first + group.size; ++i) {
            int height = 1;
            for (const QStringList& cell : cells_[i])
                height = std::max(height, int(cell.size()));
            const Line row{LineKind::Row, i, 0, height};
            if (group.headed && i == group.first) {
                if (!fits(1 + row.height))
                    newPage();
                place({LineKind::Heading, group.first});
            } else if (!fits(row.height)) {
                newPage();
                if (group.headed)
                    place(continued);
            }
            place(row);
        }
        if (group.size > 1 && !report_.groupTotal.isEmpty()) {
            if (!fits(1)) {
                newPage();
                place(continued);
            }
            place({LineKind::GroupTotal, group.first, int(group.size)});
        }
    }
    if (!report_.grandTotal.isEmpty()) {
        if (!fits(1))
            newPage();
        place({LineKind::GrandTotal, 0, int(rows_.size())});
    }
}

QString ListingLayout::headingText(const Line& line) const
{
    const QString text = report_.groupCaption + rows_.at(line.row).value(ascii::upper(report_.groupField));
    return line.kind == LineKind::ContinuedHeading ? text + QStringLiteral(" (cont.)") : text;
}

// A total's {TOTAL} is the count of its rows; a group's total also takes the fields of its first
// row, the listing's the fields of the title.
QString ListingLayout::totalText(const Line& line) const
{
    const bool group = line.kind == LineKind::GroupTotal;
    ReportRow fields = group ? rows_.at(line.row) : header_.fields;
    fields.insert(QStringLiteral("TOTAL"), QString::number(line.count));
    return fillFields(group ? report_.groupTotal : report_.grandTotal, fields);
}

void ListingLayout::paintPage(QPainter& painter, int index) const
{
    painter.setPen(Qt::black);
    paintHeader(painter);
    double top = bodyTop();
    for (const Line& line : pages_.at(std::size_t(index))) {
        paintLine(painter, line, top);
        top += line.height * lineHeight();
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
    const double width = report_.page.width - 2 * left;
    const double h = lineHeight();
    switch (line.kind) {
    case LineKind::Heading:
    case LineKind::ContinuedHeading:
        painter.setFont(bodyFont(report_.page.pointSize, true));
        painter.drawText(cm.rect(left, top, width, h), Qt::AlignLeft | Qt::AlignVCenter, headingText(line));
        return;
    case LineKind::GroupTotal:
    case LineKind::GrandTotal:
        painter.setFont(bodyFont(report_.page.pointSize, line.kind == LineKind::GrandTotal, true));
        painter.drawText(cm.rect(left, top, width, h), Qt::AlignLeft | Qt::AlignVCenter, totalText(line));
        return;
    case LineKind::Row:
        break;
    }
    double x = left;
    for (std::size_t c = 0; c < report_.columns.size(); ++c) {
        const ListingColumn& column = report_.columns[c];
        painter.setFont(columnFont(report_.page, column));
        const QStringList& cell = cells_.at(line.row).at(c);
        for (qsizetype i = 0; i < cell.size(); ++i)
            painter.drawText(cm.rect(x, top + double(i) * h, column.width - kCellPadding, h), alignmentOf(column.align),
                             cell.at(i));
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
