#include "SpoolerAnswer.h"

#include <cups/cups.h>

namespace host {

std::optional<QString> spoolerRefusal() {
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return QString::fromUtf8(cupsLastErrorString());
    return std::nullopt;
}

} // namespace host
