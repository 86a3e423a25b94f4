#pragma once
#include "Host.h"

#include <QColor>
#include <QImage>
#include <QMarginsF>
#include <QPointF>
#include <QSizeF>
#include <vector>

class QPrinter;

namespace printing {

// The printable area the printer declares at this moment, for its chosen paper: its minimum
// margins in millimetres (from the PPD for a CUPS queue; none for a file).
QMarginsF printableArea(const QPrinter& printer);

// The top-left corner, from the printable area's, of a square of this side centred on the paper.
QPointF centredCorner(QSizeF paperMm, const QMarginsF& areaMm, double sideMm);

// Printer operations on the QPrinter that the printer dialog set up.
//
// The page is composed here and handed to the QPrinter whole by finish: Qt's PDF and CUPS print
// engines cannot abort (QPrinter::abort() returns false and ending the painter sends the job), so
// a job that reached the QPrinter could no longer be dropped by abort.
class QtPrinterJob final : public host::Printer {
public:
    explicit QtPrinterJob(QPrinter& printer);


    void startPage() override;
    void drawPicture(const QImage& picture, const host::Placement& placement) override;
    void finish() override;
    void abort() override;

    // A page of its own for one code, for printing without a window: its dark modules in ink on a
    // square of paper colour, sideMm wide, topLeftMm from the printable area's corner.
    void addCodePage(const QImage& picture, QPointF topLeftMm, double sideMm, const QColor& ink, const QColor& paper);

    // True between the first output and finish or abort.
    bool isOpen() const { return m_open; }

private:
    struct Placed {
        QImage picture;
        QPointF topLeftMm; // from the top-left corner of the printable area
        double sideMm;
        bool centred; // on the paper, whatever topLeftMm
        QColor ink = Qt::black;
        QColor paper = Qt::transparent;
        bool newPage = false; // after what was drawn before
    };
    void open();
    void drop();

    QPrinter& m_printer;
    bool m_open = false;
    std::vector<Placed> m_page;
};

} // namespace printing
