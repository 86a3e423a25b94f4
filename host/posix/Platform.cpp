#include "Platform.h"

#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include <sys/statvfs.h>
#include <unistd.h>

namespace host::platform {

QString libraryFileName(const QString& baseName) {
    return QStringLiteral("lib%1.so").arg(baseName);
}

QStringList libraryFolders(const QString& appFolder) {
    // Beside the program first (a build folder runs as it is), then the package's own folder.
    return {appFolder, QDir::cleanPath(appFolder + QStringLiteral("/../lib/lumo-razazu"))};
}

bool installedAt(const QString& appFolder) {
    return QFileInfo(libraryFolders(appFolder).constLast()).isDir();
}

QString userDataHome() {
    return xdgDataHome(qEnvironmentVariable("HOME"), qEnvironmentVariable("XDG_DATA_HOME"));
}

QString workFolderName() {
    return QStringLiteral("lumo-razazu");
}

int removePath(const QString& path) {
    return ::unlink(QFile::encodeName(path).constData()) == 0 ? 0 : errno;
}

int folderError(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir(folder).exists())
        return ENOENT;
    struct statvfs fs {};
    if (::statvfs(path.constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return EROFS;
        if (fs.f_bavail == 0 || (fs.f_files > 0 && fs.f_favail == 0))
            return ENOSPC;
    }
    if (::access(path.constData(), W_OK | X_OK) != 0)
        return errno;
    return 0;
}

bool namesMatchCase() {
    return true;
}

// Standard output and error are the caller's already.
void useParentConsole() {}

// Qt's own: the same on every desktop, French through the translator, scriptable.
bool nativeFileDialogs() {
    return false;
}

} // namespace host::platform
