#include "QtPrinting.h"

#include "PrintChoicesPanel.h"
#include "PrintDialogTabs.h"
#include "QtPrinterJob.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QVBoxLayout>

namespace printing {

QtPrinting::QtPrinting() = default;
QtPrinting::~QtPrinting() = default;

QPrinter& QtPrinting::qprinter() {
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *m_printer;
}

namespace {

// The paper's width less the margins the printer cannot print on, in millimetres.
double printableWidth(const QPrinter& printer) {
    const QMarginsF area = printableArea(printer);
    return printer.pageLayout().fullRect(QPageLayout::Millimeter).width() - area.left() - area.right();
}

// Where the printer dialog carries no tab, the same choices right after it, in a dialog of their
// own: the place a person expects the next question about the print.
bool askApart(PrintChoicesPanel& panel) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(panel.windowTitle());
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(&panel);
    layout->addWidget(buttons);
    const bool accepted = dialog.exec() == QDialog::Accepted;
    panel.setParent(nullptr); // the caller's, not the dialog's
    return accepted;
}

} // namespace

bool QtPrinting::choosePrinter(host::PrintChoices& choices, double naturalMm) {
    QPrinter& printer = qprinter();
    PrintChoicesPanel panel(choices, naturalMm, printableWidth(printer));
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    const bool tabs = host::printDialogCarriesTabs();
    if (tabs)
        dialog.setOptionTabs({&panel});
    const bool accepted = dialog.exec() == QDialog::Accepted && (tabs || askApart(panel));
    if (tabs)
        panel.setParent(nullptr); // the dialog must not delete it
    if (!accepted)
        return false;
    choices = panel.choices(printableWidth(printer));
    return true;
}

host::Printer& QtPrinting::printer() {
    if (!m_job)
        m_job = std::make_unique<QtPrinterJob>(qprinter());
    return *m_job;
}

} // namespace printing
