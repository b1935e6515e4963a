#pragma once

#include "reports/ReportLayout.h"

#include <QStringList>

#include <memory>

// Where a report that runs goes: the program shows the preview window (from which the clerk
// prints, with the print dialog's copies, collation, duplex and printer or PDF file), the
// command line writes a PDF file, and tests a `RecordingReportOutput`. Until something is
// installed, a report is only logged.
namespace reports {

class ReportOutput {
public:
    virtual ~ReportOutput() = default;
    virtual void run(const ReportLayout& report) = 0;

    static ReportOutput& current();
    // Takes ownership; nullptr restores the default (see `setDefault`).
    static void install(std::unique_ptr<ReportOutput> output);
    using Factory = std::unique_ptr<ReportOutput> (*)();
    static void setDefault(Factory factory);
};

// Writes every report run to one PDF file, telling each page to `progress`.
class PdfOutput : public ReportOutput {
public:
    explicit PdfOutput(QString fileName, PageProgress progress = {})
        : fileName_(std::move(fileName)), progress_(std::move(progress))
    {
    }
    void run(const ReportLayout& report) override { writePdf(report, fileName_, progress_); }

private:
    QString fileName_;
    PageProgress progress_;
};

// For tests: keeps the title and page count of every report run and, when `pdfFile` is set,
// writes the last one there.
class RecordingReportOutput : public ReportOutput {
public:
    void run(const ReportLayout& report) override
    {
        titles << report.title();
        pageCounts << report.pageCount();
        if (!pdfFile.isEmpty())
            writePdf(report, pdfFile);
    }

    QStringList titles;
    QList<int> pageCounts;
    QString pdfFile;
};

// While it lives, reports go to a recorder; the default output comes back when it goes.
class ScopedReportRecorder {
public:
    ScopedReportRecorder()
    {
        auto recorder = std::make_unique<RecordingReportOutput>();
        recorder_ = recorder.get();
        ReportOutput::install(std::move(recorder));
    }
    ~ScopedReportRecorder() { ReportOutput::install(nullptr); }
    ScopedReportRecorder(const ScopedReportRecorder&) = delete;
    ScopedReportRecorder& operator=(const ScopedReportRecorder&) = delete;

    RecordingReportOutput& recorder() const { return *recorder_; }

private:
    RecordingReportOutput* recorder_;
};

} // namespace reports
