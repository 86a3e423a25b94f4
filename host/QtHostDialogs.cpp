// Save dialog and input box of the real host.
#include "QtHost.h"

namespace host {

void QtHost::showSave(CommonDialog&) {
    throw Failure(QStringLiteral("Enregistrement non disponible."));
}

QString QtHost::inputBox(const QString&, const QString&, const QString&) {
    return {};
}

} // namespace host
