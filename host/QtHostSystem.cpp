// Programs, links and the registry of the real host.
#include "PlatformRegistry.h"
#include "QtHost.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace host {

void QtHost::startProgram(const QString& path) {
    const QString failed =
        QStringLiteral("Impossible de lancer le programme « %1 ».").arg(QDir::toNativeSeparators(path));
    if (path.isEmpty())
        throw Failure(QStringLiteral("Impossible de lancer le programme."),
                      QStringLiteral("Aucun programme n'est indiqué."));
    // The system would cut the path at the zero and start whatever the part before it names.
    if (path.contains(QChar(u'\0')))
        throw Failure(failed, QStringLiteral("Le chemin contient un caractère nul."));
    // The path alone and no arguments: nothing splits it at blanks or hands it to a shell.
    QProcess process;
    process.setProgram(path);
    process.setArguments({});
    if (!process.startDetached())
        throw Failure(failed, process.errorString());
}

void QtHost::openLink(const QString& link) {
    QDesktopServices::openUrl(QUrl(link, QUrl::StrictMode));
}

Registry& QtHost::registry() {
    if (!m_registry)
        m_registry = std::make_unique<PlatformRegistry>();
    return *m_registry;
}

} // namespace host
