#include "SpoolerAnswer.h"

#include <cups/cups.h>

namespace host {

namespace {

// The spooler answers in the language of the process's locale, English under C: its refusals
// are said here in French, by their status.
QString frenchReason(ipp_status_t status) {
    switch (status) {
    case IPP_STATUS_ERROR_NOT_ACCEPTING_JOBS:
    case IPP_STATUS_ERROR_PRINTER_IS_DEACTIVATED:
        return QStringLiteral("la file d'attente n'accepte pas de travaux.");
    case IPP_STATUS_ERROR_NOT_FOUND:
    case IPP_STATUS_ERROR_GONE:
        return QStringLiteral("la file d'attente n'existe plus.");
    case IPP_STATUS_ERROR_FORBIDDEN:
    case IPP_STATUS_ERROR_NOT_AUTHENTICATED:
    case IPP_STATUS_ERROR_NOT_AUTHORIZED:
    case IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED:
        return QStringLiteral("l'impression sur cette file d'attente n'est pas permise.");
    case IPP_STATUS_ERROR_SERVICE_UNAVAILABLE:
    case IPP_STATUS_ERROR_BUSY:
    case IPP_STATUS_ERROR_TEMPORARY:
    case IPP_STATUS_ERROR_TIMEOUT:
        return QStringLiteral("le service d'impression ne répond pas.");
    case IPP_STATUS_ERROR_TOO_MANY_JOBS:
    case IPP_STATUS_ERROR_TOO_MANY_DOCUMENTS:
        return QStringLiteral("trop de travaux attendent déjà.");
    case IPP_STATUS_ERROR_REQUEST_ENTITY:
        return QStringLiteral("le travail est trop volumineux.");
    case IPP_STATUS_ERROR_DEVICE:
        return QStringLiteral("l'imprimante est en erreur.");
    default:
        return QStringLiteral("le service d'impression l'a refusé.");
    }
}

} // namespace

std::optional<QString> spoolerRefusal() {
    if (cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE)
        return frenchReason(cupsLastError());
    return std::nullopt;
}

} // namespace host
