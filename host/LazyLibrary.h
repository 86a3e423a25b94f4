#pragma once
// An outside library bound by base name at its first use: the tool starts and runs without it,
// and only the command that needs it fails.
#include <QLibrary>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <string>

namespace host {

class LazyLibrary {
public:
    // baseName without prefix or suffix ("QRCodeLib"); the folders are searched in order, and
    // nowhere else: no search by bare name, which a planted file could answer.
    LazyLibrary(QString baseName, QStringList folders);
    // Address of the entry point, looked up once. Throws Failure naming what is missing.
    QFunctionPointer entry(const char* name);

private:
    void load();
    QString m_baseName;
    QStringList m_folders;
    std::unique_ptr<QLibrary> m_library;
    std::map<std::string, QFunctionPointer> m_entries;
};

} // namespace host
