#pragma once

#include "reports/ReportOutput.h"

// The program's report system: the preview window, maximised at 100 %, from which the clerk prints
// through the print dialog (copies, collation, duplex, printer set-up, a printer or a PDF file).
// While pages are generated, a long report shows "Gerando página N".
class QtReportOutput : public reports::ReportOutput {
public:
    void run(const reports::ReportLayout& report) override;

    // Makes the preview what the program shows from now on, and after every `install(nullptr)`.
    static void makeDefault();
};

class QPrinter;
// Paints the report on the printer as its print dialog set it up: page range, and the copies the
// printer cannot make itself. Shows the progress of reports longer than a few pages.
void paintOnPrinter(const reports::ReportLayout& report, QPrinter& printer);
