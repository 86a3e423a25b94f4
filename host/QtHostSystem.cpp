// Programs, links and the registry of the real host.
#include "PlatformRegistry.h"
#include "QtHost.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QUrl>

namespace host {

namespace {
// The shell's own results: above 32 is success.
constexpr int shellOk = 42;
constexpr int shellNoAssociation = 31; // SE_ERR_NOASSOC
} // namespace

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

int QtHost::shellExecute(QWidget*, const QString& operation, const QString& file,
                         const std::optional<QString>&, const std::optional<QString>& directory, int) {
    if (!operation.isEmpty() && operation.compare(QStringLiteral("open"), Qt::CaseInsensitive) != 0)
        return shellNoAssociation;
    // Links go to the desktop's handler as they are; a plain path is a document relative to the folder.
    QUrl url(file, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().size() < 2) {
        const QString base = directory.value_or(QString());
        url = QUrl::fromLocalFile(
            QFileInfo(base.isEmpty() ? QDir::current() : QDir(base), file).absoluteFilePath());
    }
    return QDesktopServices::openUrl(url) ? shellOk : shellNoAssociation;
}

Registry& QtHost::registry() {
    if (!m_registry)
        m_registry = std::make_unique<PlatformRegistry>();
    return *m_registry;
}

} // namespace host
