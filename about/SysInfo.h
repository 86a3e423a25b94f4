#pragma once
// The system-information launcher of the About dialog.
#include "Host.h"

#include <QString>

namespace about {

// The two places the tool's location is kept, in the order they are tried.
inline const QString sysInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
inline const QString sysInfoValue = QStringLiteral("PATH");
inline const QString sysInfoFolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
inline const QString sysInfoFolderValue = QStringLiteral("MSINFO");
inline const QString sysInfoProgram = QStringLiteral("/MSINFO32.EXE");
inline const QString sysInfoMissing = QStringLiteral("Information Systeme introuvable !");

// Rights asked when a key is opened: READ_CONTROL and the six key rights, not KEY_ALL_ACCESS.
inline constexpr std::uint32_t sysInfoRights = 0x2003F;
// Bytes read from a value; longer data counts as missing.
inline constexpr std::uint32_t keyValueBufferSize = 1024;

// Reads one registry value as text into value: REG_SZ as it is, REG_DWORD as "&h" and hexadecimal
// digits, other types leave value unchanged. False, with value empty, when the key cannot be opened
// with sysInfoRights or the value cannot be read.
bool readKeyValue(host::Registry& registry, host::KeyHandle root, const QString& keyName,
                 const QString& valueName, QString& value);

// Starts the system-information tool, or says it cannot be found. Lets no failure out.
void startSystemInformation(host::Host& host);

} // namespace about
