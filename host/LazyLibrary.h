#pragma once
// An outside library bound by base name at its first use: the tool starts and runs without it,
// and only the command that needs it fails. NativeLibrary with Qt's types and failures.
#include "NativeLibrary.h"

#include <QString>
#include <QStringList>

namespace host {

class LazyLibrary {
public:
    // baseName without prefix or suffix ("QRCodeLib"); the folders are searched in order, and
    // nowhere else: no search by bare name, which a planted file could answer.
    LazyLibrary(const QString& baseName, const QStringList& folders);
    // Address of the entry point, looked up once. Throws Failure naming what is missing.
    QFunctionPointer entry(const char* name);

private:
    NativeLibrary m_library;
};

} // namespace host
