#pragma once
// The real host's printer: one QPrinter for the whole session, so that the dialog offers the last
// choices again, and the job that draws on it.
#include "PrinterSupport.h"

#include <memory>

class QPrinter;

namespace printing {

class QtPrinterJob;

class QtPrinting final : public host::PrinterSupport {
public:
    QtPrinting();
    ~QtPrinting() override;
    bool choosePrinter(host::PrintChoices& choices, double naturalMm) override;
    host::Printer& printer() override;

private:
    QPrinter& qprinter();
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QtPrinterJob> m_job;
};

} // namespace printing
