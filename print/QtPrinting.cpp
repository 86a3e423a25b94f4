#include "QtPrinting.h"

#include "QtPrinterJob.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace printing {

QtPrinting::QtPrinting() = default;
QtPrinting::~QtPrinting() = default;

QPrinter& QtPrinting::qprinter() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

bool QtPrinting::choosePrinter() {
    QPrintDialog dialog(&qprinter(), QApplication::activeWindow());
    return dialog.exec() == QDialog::Accepted;
}

host::Printer& QtPrinting::printer() {
    if (!m_job)
        m_job = std::make_unique<QtPrinterJob>(qprinter());
    return *m_job;
}

} // namespace printing
