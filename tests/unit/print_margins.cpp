// Prints where a printer's printable area starts, as the printer declares it (its minimum margins,
// from the PPD for a CUPS queue), and its paper: "left top paperWidth paperHeight" in millimetres.
// The real-window print test measures the printed page against it.
//   Usage: print_margins [PRINTER]   (default: the default printer)
#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QTextStream>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QPrinter printer(QPrinter::HighResolution);
    if (argc > 1)
        printer.setPrinterName(QString::fromLocal8Bit(argv[1]));
    if (!printer.isValid() || printer.outputFormat() != QPrinter::NativeFormat ||
        (argc > 1 && printer.printerName() != QString::fromLocal8Bit(argv[1])))
        return 1;
    // Not Qt's pageRect: that follows the page margins, 10 points by default whatever the printer.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF area = layout.minimumMargins();
    const QRectF paper = layout.fullRect();
    QTextStream(stdout) << QString::asprintf("%.4f %.4f %.4f %.4f\n", area.left(), area.top(), paper.width(),
                                             paper.height());
    return 0;
}
