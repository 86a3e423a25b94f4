// The entry point of the printing module, loaded by the real host at the first print.
#include "QtPrinting.h"

#include <QtGlobal>

extern "C" Q_DECL_EXPORT host::PrinterSupport* lumoCreatePrinterSupport() {
    try {
        return new printing::QtPrinting;
    } catch (...) {
        return nullptr;
    }
}
