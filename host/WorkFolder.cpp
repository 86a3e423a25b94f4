#include "WorkFolder.h"

#include <QDir>

namespace host {

WorkFolderChoice chooseWorkFolder(const WorkFolderFacts& facts) {
    if (!facts.packageLibraryFolder && facts.appFolderWritable)
        return {facts.appFolder, false};
    if (facts.dataHome.isEmpty())
        return {};
    return {QDir::cleanPath(facts.dataHome + QLatin1Char('/') + facts.dataFolderName), true};
}

QString xdgDataHome(const QString& home, const QString& xdgDataHomeVariable) {
    // Not QDir::isAbsolutePath: "C:/x" is no absolute path here.
    if (xdgDataHomeVariable.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(xdgDataHomeVariable);
    if (home.startsWith(QLatin1Char('/')))
        return QDir::cleanPath(home + QStringLiteral("/.local/share"));
    return {};
}

} // namespace host
