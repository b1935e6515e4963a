#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportProject.h"
#include "reports/ReportRows.h"

#include <QDateTime>

// A listing: on every page the title, the store's CNPJ and the column titles, then the rows, a
// heading line wherever the group field changes (the expiry date), and at the foot the date
// printed and "Página N de M".
namespace reports {

struct ListingHeader {
    QString title;     // the report's title with its {FIELD}s filled
    QString storeCnpj; // 14 digits, shown 00.000.000/0000-00
    QDateTime printedAt;
};

class ListingLayout : public ReportLayout {
public:
    ListingLayout(Report report, ReportRows rows, ListingHeader header);

    QString title() const override { return header_.title; }
    QPageLayout pageLayout() const override;
    int pageCount() const override { return int(pages_.size()); }
    void paintPage(QPainter& painter, int index) const override;

private:
    struct Line {
        bool group = false;
        std::size_t row = 0; // a listing row, or the first row of its group
    };

    double lineHeight() const;
    double bodyTop() const;
    double bodyBottom() const;
    void paginate();
    void paintHeader(QPainter& painter) const;
    void paintFooter(QPainter& painter, int index) const;
    void paintLine(QPainter& painter, const Line& line, double top) const;

    Report report_;
    ReportRows rows_;
    ListingHeader header_;
    std::vector<std::vector<Line>> pages_;
};

// "11.222.333/0001-81"; any other text as it stands.
QString formattedCnpj(const QString& digits);

} // namespace reports
