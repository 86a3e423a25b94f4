#include "QtPrinterJob.h"

#include "ModulePainting.h"
#include "SpoolerAnswer.h"

#include <QDir>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QScopeGuard>

namespace printing {

using host::Failure;

namespace {

// A picture pixel is 1/96 inch, as on a screen at 100 %.
constexpr double pictureDpi = 96.0;

QString printerLabel(const QPrinter& printer) {
    if (!printer.outputFileName().isEmpty())
        return QDir::toNativeSeparators(printer.outputFileName());
    return printer.printerName();
}

// A queue that refuses the job is reported instead of passing for a printed page.
void checkTheSpoolerTookIt(const QPrinter& printer, const QString& label) {
    if (printer.outputFormat() != QPrinter::NativeFormat || !printer.outputFileName().isEmpty())
        return; // a file: Qt wrote it itself and said so
    if (const auto refusal = host::spoolerRefusal())
        throw Failure(QStringLiteral("Le travail n'a pas été accepté par « %1 » : %2").arg(label, *refusal));
}

} // namespace

QMarginsF printableArea(const QPrinter& printer) {
    QPageLayout layout = printer.pageLayout();
    if (printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty()) {
        // Qt reads a queue's description once per QPrinter: a new one reads it as it stands now,
        // for the session printer's paper.
        QPrinter current(QPrinter::HighResolution);
        current.setPrinterName(printer.printerName());
        if (current.outputFormat() == QPrinter::NativeFormat && current.printerName() == printer.printerName()) {
            current.setPageOrientation(layout.orientation());
            current.setPageSize(layout.pageSize());
            layout = current.pageLayout();
        }
    }
    layout.setUnits(QPageLayout::Millimeter);
    return layout.minimumMargins();
}

QPointF centredCorner(QSizeF paperMm, const QMarginsF& areaMm, double sideMm) {
    return QPointF((paperMm.width() - sideMm) / 2 - areaMm.left(), (paperMm.height() - sideMm) / 2 - areaMm.top());
}

QtPrinterJob::QtPrinterJob(QPrinter& printer) : m_printer(printer) {}

void QtPrinterJob::open() {
    if (m_open)
        return;
    if (!m_printer.isValid())
        throw Failure(QStringLiteral("L'imprimante « %1 » n'est pas disponible.").arg(printerLabel(m_printer)));
    m_open = true;
}

void QtPrinterJob::drop() {
    m_open = false;
    m_page.clear();
}

void QtPrinterJob::startPage() {
    open();
}

void QtPrinterJob::drawPicture(const QImage& picture, const host::Placement& placement) {
    if (picture.isNull())
        throw Failure(QStringLiteral("Il n'y a aucune image à imprimer."));
    open();
    const double side = placement.choices.sideMm > 0 ? placement.choices.sideMm : picture.width() * 25.4 / pictureDpi;
    m_page.push_back({picture, placement.topLeft, side, placement.choices.centred});
}

void QtPrinterJob::addCodePage(const QImage& picture, QPointF topLeftMm, double sideMm, const QColor& ink,
                               const QColor& paper) {
    if (picture.isNull())
        throw Failure(QStringLiteral("Il n'y a aucune image à imprimer."));
    open();
    m_page.push_back({picture, topLeftMm, sideMm, false, ink, paper, !m_page.empty()});
}

void QtPrinterJob::finish() {
    if (!m_open)
        return; // nothing was output: no page
    std::vector<Placed> page = std::move(m_page);
    drop(); // whatever happens below, the next job starts empty
    const QString label = printerLabel(m_printer);
    // The origin is the printable area the printer declares, not Qt's page margins (10 points by
    // default, whatever the printer): paint from the paper corner, offset by that area (exact, where
    // Qt rounds margins to whole points). The session's printer gets its mode back.
    const QMarginsF area = printableArea(m_printer);
    const QPointF origin = QPointF(area.left(), area.top()) * m_printer.resolution() / 25.4;
    const bool fullPage = m_printer.fullPage();
    m_printer.setFullPage(true);
    const auto restoreMode = qScopeGuard([&] { m_printer.setFullPage(fullPage); });
    QPainter painter; // ends before the mode is restored
    if (!painter.begin(&m_printer))
        throw Failure(QStringLiteral("L'impression n'a pas pu commencer sur « %1 ».").arg(label));
    painter.translate(origin);
    const QSizeF paper = m_printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    for (const Placed& placed : page) {
        if (placed.newPage)
            m_printer.newPage(); // a failure leaves the printer in its error state, read below
        drawModules(painter, placed.picture,
                    placed.centred ? centredCorner(paper, area, placed.sideMm) : placed.topLeftMm, placed.sideMm,
                    placed.ink, placed.paper);
    }
    if (!painter.end() || m_printer.printerState() == QPrinter::Error)
        throw Failure(QStringLiteral("L'impression sur « %1 » n'a pas pu se terminer.").arg(label));
    checkTheSpoolerTookIt(m_printer, label);
}

// Nothing has reached the QPrinter before finish, so dropping the page drops the job.
void QtPrinterJob::abort() {
    drop();
}

} // namespace printing
