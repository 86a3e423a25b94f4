// Printer dialog and printer job of the real host.
#include "QtHost.h"
#include "QtPrinterJob.h"

#include <QApplication>
#include <QPrintDialog>
#include <QPrinter>

namespace host {

// One printer for the whole session, so the dialog offers the last choices again.
QPrinter& QtHost::qprinter() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

void QtHost::showPrinter(CommonDialog& dialog) {
    QPrintDialog printDialog(&qprinter(), QApplication::activeWindow());
    if (printDialog.exec() == QDialog::Accepted)
        return;
    if (dialog.CancelError)
        throw Cancelled();
}

Printer& QtHost::printer() {
    if (!m_printerJob)
        m_printerJob = std::make_unique<QtPrinterJob>(qprinter());
    return *m_printerJob;
}

} // namespace host
