// Prints where QPrinter puts the printable area of a printer, as the tool's printer sees it:
// "left top paperWidth paperHeight" in millimetres. The real-window print test measures the
// printed page against it.   Usage: print_margins [PRINTER]   (default: the default printer)
#include <QGuiApplication>
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
    // Qt places the printable area on whole points: take it in device pixels, as drawn.
    const QRectF paint = printer.pageRect(QPrinter::DevicePixel);
    const double mmPerPixel = 25.4 / printer.resolution();
    const QRectF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter);
    QTextStream(stdout) << QString::asprintf("%.4f %.4f %.4f %.4f\n", paint.left() * mmPerPixel,
                                             paint.top() * mmPerPixel, paper.width(),
                                             paper.height());
    return 0;
}
