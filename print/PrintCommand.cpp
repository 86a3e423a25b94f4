#include "PrintCommand.h"

#include <QWidget>
#include <exception>

namespace printing {

void printPicture(host::Host& host, const QImage& picture, QWidget& window, host::PrintChoices& choices) {
    try {
        if (!host.choosePrinter(choices, picture.width() * 25.4 / 96.0))
            return;
    } catch (const std::exception&) {
        return; // a failing dialog: nothing printed, nothing said
    }
    try {
        window.setCursor(Qt::WaitCursor);
        host::Printer& printer = host.printer();
        printer.startPage();
        printer.drawPicture(picture, host::Placement(QPointF(1.0, 1.0), choices));
        printer.finish();
        window.unsetCursor();
    } catch (const std::exception&) {
        // A failing message box must neither leave the job open (the next print would carry its
        // page) nor the hourglass on: both still happen, then the failure goes on to the report.
        std::exception_ptr failure;
        try {
            host.showMessage(QStringLiteral("Erreur sur l'imprimante"), host::MessageKind::Critical,
                             QStringLiteral("Erreur"));
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        try {
            host.printer().abort();
        } catch (const std::exception&) {
            if (!failure)
                failure = std::current_exception();
        }
        window.unsetCursor();
        if (failure)
            std::rethrow_exception(failure);
    }
}

} // namespace printing
