// Printer dialog and printer job of the real host.
#include "QtHost.h"
#include "QtPrinterJob.h"

#include <QPrinter>

namespace host {

QPrinter& QtHost::qprinter() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void QtHost::showPrinter(CommonDialog&) {
    throw Failure(QStringLiteral("Impression non disponible."));
}

Printer& QtHost::printer() {
    if (!m_printerJob)
        m_printerJob = std::make_unique<QtPrinterJob>(qprinter());
    return *m_printerJob;
}

QtPrinterJob::QtPrinterJob(QPrinter& printer) : m_printer(printer) {}
void QtPrinterJob::printEmptyLine() { throw Failure(QStringLiteral("Impression non disponible.")); }
void QtPrinterJob::setScaleMode(int) {}
void QtPrinterJob::paintPicture(const QImage&, double, double) {}
void QtPrinterJob::endDoc() {}
void QtPrinterJob::killDoc() {}

} // namespace host
