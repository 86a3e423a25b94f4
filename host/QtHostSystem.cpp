// Programs, links and the registry of the real host.
#include "PlatformRegistry.h"
#include "QtHost.h"

namespace host {

void QtHost::startProgram(const QString&) {
    throw Failure(QStringLiteral("Lancement non disponible."));
}

int QtHost::shellExecute(QWidget*, const QString&, const QString&, const std::optional<QString>&,
                         const std::optional<QString>&, int) {
    return 0;
}

Registry& QtHost::registry() {
    if (!m_registry)
        m_registry = std::make_unique<PlatformRegistry>();
    return *m_registry;
}

} // namespace host
