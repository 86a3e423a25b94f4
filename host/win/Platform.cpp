#include "Platform.h"

#include "Win32Errno.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <cerrno>
#include <cstdio>

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

int folderError(const QString& folder) {
    if (!QDir(folder).exists())
        return ENOENT;
    const std::wstring name = native(QDir(folder).absolutePath());
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (::GetVolumePathNameW(name.c_str(), volume, MAX_PATH) &&
        ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
        (flags & FILE_READ_ONLY_VOLUME))
        return EROFS;
    ULARGE_INTEGER available{};
    if (::GetDiskFreeSpaceExW(name.c_str(), &available, nullptr, nullptr) && available.QuadPart == 0)
        return ENOSPC;
    // The rights are in the folder's access list: only a real file tells.
    const std::wstring probe = name + L"\\.lumo-probe";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS ? 0 : lumo::errnoFromWin32(error);
    }
    ::CloseHandle(file);
    return 0;
}

// As the file system matches them: temp.bmp is Temp.bmp.
bool namesMatchCase() {
    return false;
}

// A window program has no console: one started from a console window writes to it, unless its
// output was redirected (then the handles are set already).
void useParentConsole() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE)
        return;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
}

// The system's own dialog, as every Windows program shows it.
bool nativeFileDialogs() {
    return true;
}

} // namespace host::platform
