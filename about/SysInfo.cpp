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

bool readKeyValue(host::Registry& registry, host::KeyHandle root, const QString& keyName,
                 const QString& valueName, QString& value) {
    bool result = false;
    host::KeyHandle key = 0;
    if (registry.openKey(root, keyName.toLocal8Bit(), 0, sysInfoRights, &key) !=
        host::ERROR_SUCCESS) {
        value.clear();
    } else {
        std::array<unsigned char, keyValueBufferSize> buffer{};
        std::uint32_t count = keyValueBufferSize;
        std::uint32_t type = host::REG_NONE;
        if (registry.queryValue(key, valueName.toLocal8Bit(), &type, buffer.data(), &count) !=
            host::ERROR_SUCCESS) {
            value.clear();
        } else {
            const QByteArray data = dataBytes(buffer, count);
            if (type == host::REG_SZ) {
                value = QString::fromLocal8Bit(data);
            } else if (type == host::REG_DWORD) {
                // Stored least significant byte first; the text reads most significant first.
                QString digits;
                for (auto i = data.size(); i-- > 0;)
                    digits += QStringLiteral("%1")
                                  .arg(static_cast<unsigned char>(data[i]), 2, 16, QChar(u'0'))
                                  .toUpper();
                value = QStringLiteral("&h") + digits;
            }
            result = true;
        }
    }
    registry.closeKey(key);
    return result;
}

void startSystemInformation(host::Host& host) {
    try {
        QString path;
        if (!readKeyValue(host.registry(), host::HKEY_LOCAL_MACHINE, sysInfoKey, sysInfoValue, path)) {
            if (!readKeyValue(host.registry(), host::HKEY_LOCAL_MACHINE, sysInfoFolderKey, sysInfoFolderValue,
                             path))
                throw host::Failure(sysInfoMissing);
            // Plain concatenation: a folder ending in the separator gets a second one.
            if (host.firstMatchingFile(path + sysInfoProgram).isEmpty())
                throw host::Failure(sysInfoMissing);
            path += sysInfoProgram;
        }
        host.startProgram(path);
        return;
    } catch (const std::exception&) {
        // Whatever failed, the person learns only that the tool was not found.
    }
    host.showMessage(sysInfoMissing, host::MessageKind::Plain, QString());
}

} // namespace about
