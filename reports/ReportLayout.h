#pragma once

#include <QPageLayout>
#include <QString>

#include <functional>

class QPagedPaintDevice;
class QPainter;

// A report laid out in pages, ready to paint on a printer, a PDF file or the preview. Positions
// are in centimetres from the paper's top left corner.
namespace reports {

class ReportLayout {
public:
    virtual ~ReportLayout() = default;

    virtual QString title() const = 0;
    // The paper, without margins: the layout places everything itself.
    virtual QPageLayout pageLayout() const = 0;
    virtual int pageCount() const = 0;
    // Paints page `index` (0-based) with the painter's origin at the paper's corner.
    virtual void paintPage(QPainter& painter, int index) const = 0;
};

// Told the page (1-based) about to be painted, for "Gerando página N".
using PageProgress = std::function<void(int page)>;

// The status text of a page being generated.
QString generatingPageText(int page);

struct PrintRange {
    int firstPage = 1; // 1-based, inclusive
    int lastPage = 0;  // 0: to the end
    int copies = 1;    // copies made here, for devices that cannot make them themselves
    bool collate = true;
};

// Paints the pages of `report` onto `device` (its page layout set from the report's). An empty
// report still gives one blank page, as a printed job must have one.
void printReport(const ReportLayout& report, QPagedPaintDevice& device, const PageProgress& progress = {},
                 const PrintRange& range = {});

// Writes the report to a PDF file; throws ReportError when the file cannot be written.
void writePdf(const ReportLayout& report, const QString& fileName, const PageProgress& progress = {});

// Centimetres to the device's pixels.
class Centimetres {
public:
    explicit Centimetres(const QPainter& painter);
    double x(double cm) const { return cm * dotsX_; }
    double y(double cm) const { return cm * dotsY_; }
    QRectF rect(double left, double top, double width, double height) const;

private:
    double dotsX_;
    double dotsY_;
};

} // namespace reports
