#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportProject.h"
#include "reports/ReportRows.h"

// Labels: one per row, placed across then down the sheet, as many to a page as the sheet holds.
namespace reports {

class LabelSheetLayout : public ReportLayout {
public:
    LabelSheetLayout(Report report, ReportRows rows);

    QString title() const override { return report_.title; }
    QPageLayout pageLayout() const override;
    int pageCount() const override;
    void paintPage(QPainter& painter, int index) const override;

    // Where label `slot` (0-based on its page) stands, in centimetres from the paper's corner.
    QRectF labelBox(int slot) const;

private:
    void paintLabel(QPainter& painter, const QRectF& box, const ReportRow& row) const;

    Report report_;
    ReportRows rows_;
};

} // namespace reports
