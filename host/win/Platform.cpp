#include "Platform.h"

#include "Win32Errno.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace host::platform {

namespace {
std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}
} // namespace

QString libraryFileName(const QString& baseName) {
    return baseName + QStringLiteral(".dll");
}

QStringList libraryFolders(const QString& appFolder) {
    return {appFolder};
}

// The installer leaves its uninstaller beside the program; a copied or built folder has none.
bool installedAt(const QString& appFolder) {
    return QFileInfo(QDir(appFolder).filePath(QStringLiteral("Uninstall.exe"))).isFile();
}

QString userDataHome() {
    // %LOCALAPPDATA%, whatever the application's name and organisation say.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString workFolderName() {
    return QStringLiteral("Lumo-RAZazu");
}

int removePath(const QString& path) {
    const std::wstring name = native(path);
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    // A junction is a folder link: removed as a folder, its target untouched.
    const bool folderLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                            (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
    const BOOL done = folderLink ? ::RemoveDirectoryW(name.c_str()) : ::DeleteFileW(name.c_str());
    return done ? 0 : lumo::errnoFromWin32(::GetLastError());
}

QByteArray pathBytes(const QString& path) {
    return path.toUtf8();
}

// As the file system matches them: temp.bmp is Temp.bmp.
bool namesMatchCase() {
    return false;
}

// The system's own dialog, as every Windows program shows it.
bool nativeFileDialogs() {
    return true;
}

} // namespace host::platform
