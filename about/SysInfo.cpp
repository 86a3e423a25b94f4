#include "SysInfo.h"

#include <algorithm>
#include <array>
#include <exception>

namespace about {

namespace {

// Data as text: the last byte is dropped when it is the terminating zero.
QByteArray dataBytes(const std::array<unsigned char, keyValueBufferSize>& buffer, std::uint32_t count) {
    const auto n = static_cast<qsizetype>(std::min(count, keyValueBufferSize));
    if (n == 0)
        return {};
    const auto* bytes = reinterpret_cast<const char*>(buffer.data());
    return QByteArray(bytes, bytes[n - 1] == 0 ? n - 1 : n);
}

} // namespace

bool GetKeyValue(host::Registry& registry, host::HKEY KeyRoot, const QString& KeyName,
                 const QString& SubKeyRef, QString& KeyVal) {
    bool result = false;
    host::HKEY key = 0;
    if (registry.RegOpenKeyExA(KeyRoot, KeyName.toLocal8Bit(), 0, sysInfoRights, &key) !=
        host::ERROR_SUCCESS) {
        KeyVal.clear();
    } else {
        std::array<unsigned char, keyValueBufferSize> buffer{};
        std::uint32_t count = keyValueBufferSize;
        std::uint32_t type = host::REG_NONE;
        if (registry.RegQueryValueExA(key, SubKeyRef.toLocal8Bit(), &type, buffer.data(), &count) !=
            host::ERROR_SUCCESS) {
            KeyVal.clear();
        } else {
            const QByteArray data = dataBytes(buffer, count);
            if (type == host::REG_SZ) {
                KeyVal = QString::fromLocal8Bit(data);
            } else if (type == host::REG_DWORD) {
                // Stored least significant byte first; the text reads most significant first.
                QString digits;
                for (auto i = data.size(); i-- > 0;)
                    digits += QStringLiteral("%1")
                                  .arg(static_cast<unsigned char>(data[i]), 2, 16, QChar(u'0'))
                                  .toUpper();
                KeyVal = QStringLiteral("&h") + digits;
            }
            result = true;
        }
    }
    registry.RegCloseKey(key);
    return result;
}

void StartSysInfo(host::Host& host) {
    try {
        QString path;
        if (!GetKeyValue(host.registry(), host::HKEY_LOCAL_MACHINE, sysInfoKey, sysInfoValue, path)) {
            if (!GetKeyValue(host.registry(), host::HKEY_LOCAL_MACHINE, sysInfoFolderKey, sysInfoFolderValue,
                             path))
                throw host::Failure(sysInfoMissing);
            // Plain concatenation: a folder ending in the separator gets a second one.
            if (host.dir(path + sysInfoProgram).isEmpty())
                throw host::Failure(sysInfoMissing);
            path += sysInfoProgram;
        }
        host.startProgram(path);
        return;
    } catch (const std::exception&) {
        // Whatever failed, the person learns only that the tool was not found.
    }
    host.messageBox(sysInfoMissing, host::vbOKOnly, QString());
}

} // namespace about
