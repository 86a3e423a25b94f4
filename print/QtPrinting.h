#pragma once
// The real host's printer: one QPrinter for the whole session, so that the dialog offers the last
// choices again, and the job that draws on it.
#include "Host.h"

#include <memory>

class QPrinter;

namespace printing {

class QtPrinterJob;

class QtPrinting {
public:
    QtPrinting();
    ~QtPrinting();
    // The printer dialog, modal over the active window; false when cancelled.
    bool choosePrinter();
    host::Printer& printer();

private:
    QPrinter& qprinter();
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QtPrinterJob> m_job;
};

} // namespace printing
