#pragma once
// The real host's printer dialog and printer, in a module of their own (LumoPrinting) that the
// tool loads at the first print: a start that prints nothing loads no printing support.
#include "Host.h"

namespace host {

class PrinterSupport {
public:
    virtual ~PrinterSupport() = default;
    // The printer dialog, modal over the active window; false when cancelled.
    virtual bool choosePrinter(PrintChoices& choices, double naturalMm) = 0;
    virtual Printer& printer() = 0;
};

// The module's one entry point: a new PrinterSupport, owned by the caller.
using CreatePrinterSupport = PrinterSupport* (*)();
inline constexpr char createPrinterSupportEntry[] = "lumoCreatePrinterSupport";

} // namespace host
