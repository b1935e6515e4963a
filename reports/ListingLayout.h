#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportProject.h"
#include "reports/ReportRows.h"

#include <QDateTime>
#include <QStringList>

// A listing: on every page the title, the store's CNPJ and the column titles, then the rows, and
// at the foot the date printed and "Página N de M". A cell too long for its column goes on over
// as many lines as it needs: nothing is cut. Rows that share the group field (the expiry date)
// stand under a heading with their count at the end, and a page that goes on with a group repeats
// its heading ("(cont.)"). A group of one row needs no heading when a column shows the group
// field: its row says it. The listing ends with its total.
namespace reports {

struct ListingHeader {
    QString title;     // the report's title with its {FIELD}s filled
    QString storeCnpj; // 14 digits, shown 00.000.000/0000-00
    QDateTime printedAt;
    ReportRow fields; // the fields of the title (the period), also for the total
};

class ListingLayout : public ReportLayout {
public:
    ListingLayout(Report report, ReportRows rows, ListingHeader header);

    QString title() const override { return header_.title; }
    QPageLayout pageLayout() const override;
    int pageCount() const override { return int(pages_.size()); }
    void paintPage(QPainter& painter, int index) const override;

private:
    enum class LineKind { Heading, ContinuedHeading, Row, GroupTotal, GrandTotal };
    struct Line {
        LineKind kind = LineKind::Row;
        std::size_t row = 0; // a listing row, or the first row of its group
        int count = 0;       // the rows a total counts
        int height = 1;      // in text lines
    };
    struct Group {
        std::size_t first = 0;
        std::size_t size = 0;
        bool headed = false;
    };

    double lineHeight() const;
    double bodyTop() const;
    double bodyBottom() const;
    int linesPerPage() const;
    std::vector<Group> groups() const;
    bool showsGroupField() const;
    void wrapCells();
    void paginate();
    QString headingText(const Line& line) const;
    QString totalText(const Line& line) const;
    void paintHeader(QPainter& painter) const;
    void paintFooter(QPainter& painter, int index) const;
    void paintLine(QPainter& painter, const Line& line, double top) const;

    Report report_;
    ReportRows rows_;
    ListingHeader header_;
    std::vector<std::vector<QStringList>> cells_; // per row, per column: the lines of the cell
    std::vector<std::vector<Line>> pages_;
};

// "11.222.333/0001-81"; any other text as it stands.
QString formattedCnpj(const QString& digits);

// `text` broken into lines no wider than `width` centimetres in `font`: at blanks where it can, and
// inside a word longer than the line. Nothing of the text is left out.
QStringList wrappedLines(const QString& text, const QFont& font, double width);

} // namespace reports
