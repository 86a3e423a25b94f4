#pragma once
// What differs between the systems the host runs on, one file per system (posix/, win/).
#include <QString>
#include <QStringList>

namespace host::platform {

// The file a library's base name gives: libQRCodeLib.so, QRCodeLib.dll.
QString libraryFileName(const QString& baseName);
// Where the program's libraries are looked for, in order, and only there: never the current
// folder, PATH or the system's library path.
QStringList libraryFolders(const QString& appFolder);
// An installed copy's folder belongs to the system: working files go to the user's folder.
bool installedAt(const QString& appFolder);
// The user's data folder ($XDG_DATA_HOME, %LOCALAPPDATA%; empty when unknown) and the tool's
// folder in it, where an installed copy keeps its working files.
QString userDataHome();
QString workFolderName();
// Deletes the file, or the link itself; 0 or an errno value.
int removePath(const QString& path);
// The path as the native functions take it (NativePlatform.h): UTF-8 on Windows, else the system's bytes.
QByteArray pathBytes(const QString& path);

// Whether file names match with case when a pattern is looked up (POSIX) or without (Windows).
bool namesMatchCase();
// Whether the save dialog is the system's own (Windows) or Qt's, the same on every desktop.
bool nativeFileDialogs();

} // namespace host::platform
