#include "Platform.h"

#include "NativePlatform.h"
#include "WorkFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#include <unistd.h>

namespace host::platform {

QString libraryFileName(const QString& baseName) {
    return QString::fromStdString(libraryFile(baseName.toStdString()));
}

QStringList libraryFolders(const QString& appFolder) {
    QStringList folders;
    for (const std::string& folder : libraryFoldersOf(pathBytes(appFolder).toStdString()))
        folders << QFile::decodeName(QByteArray::fromStdString(folder));
    return folders;
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

QByteArray pathBytes(const QString& path) {
    return QFile::encodeName(path);
}

bool namesMatchCase() {
    return true;
}

// Qt's own: the same on every desktop, French through the translator, scriptable.
bool nativeFileDialogs() {
    return false;
}

} // namespace host::platform
