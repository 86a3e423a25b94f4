// The registry where there is none: a read-only view holding one key, the one that names the
// system-information program. Its value PATH is the first such program found on PATH, looked up
// when the key is opened; every other key is missing.
//
// Rights: the view has no write calls at all, so an open asking for write bits (the launcher asks
// 0x2003F) is granted; the handle can only ever be queried.
#include "PlatformRegistry.h"

#include <QStandardPaths>
#include <QString>
#include <cstring>
#include <map>

namespace host {

namespace {

const QByteArray sysInfoKey = QByteArrayLiteral("software\\microsoft\\shared tools\\msinfo");
const QByteArray sysInfoValue = QByteArrayLiteral("path");

// Desktop system-information tools, the most complete first.
const char* const sysInfoPrograms[] = {
    "hardinfo", "kinfocenter", "gnome-system-monitor", "mate-system-monitor", "xfce4-taskmanager", "lxtask"};

QString findSysInfoProgram() {
    for (const char* name : sysInfoPrograms) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace

struct PlatformRegistry::State {
    std::map<KeyHandle, QByteArray> open; // handle -> the PATH value with its terminating zero
    KeyHandle next = 0x100;
};

PlatformRegistry::PlatformRegistry() : m_state(std::make_unique<State>()) {}
PlatformRegistry::~PlatformRegistry() = default;

long PlatformRegistry::openKey(KeyHandle root, const QByteArray& subKey, std::uint32_t, std::uint32_t,
                                     KeyHandle* result) {
    if (!result)
        return ERROR_INVALID_PARAMETER;
    // Registry names ignore case.
    if (root != HKEY_LOCAL_MACHINE || subKey.toLower() != sysInfoKey)
        return ERROR_FILE_NOT_FOUND;
    const QString program = findSysInfoProgram();
    if (program.isEmpty())
        return ERROR_FILE_NOT_FOUND;
    QByteArray value = program.toLocal8Bit();
    value.append('\0');
    *result = m_state->next++;
    m_state->open[*result] = value;
    return ERROR_SUCCESS;
}

long PlatformRegistry::queryValue(KeyHandle key, const QByteArray& valueName, std::uint32_t* type,
                                        unsigned char* data, std::uint32_t* count) {
    const auto open = m_state->open.find(key);
    if (open == m_state->open.end())
        return ERROR_INVALID_HANDLE;
    if (data && !count)
        return ERROR_INVALID_PARAMETER;
    if (valueName.toLower() != sysInfoValue)
        return ERROR_FILE_NOT_FOUND;
    const QByteArray& value = open->second;
    const auto size = static_cast<std::uint32_t>(value.size());
    if (type)
        *type = REG_SZ;
    if (!count)
        return ERROR_SUCCESS;
    if (data && size > *count) {
        *count = size;
        return ERROR_MORE_DATA;
    }
    if (data)
        std::memcpy(data, value.constData(), size);
    *count = size;
    return ERROR_SUCCESS;
}

long PlatformRegistry::closeKey(KeyHandle key) {
    return m_state->open.erase(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace host
