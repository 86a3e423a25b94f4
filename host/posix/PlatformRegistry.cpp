#include "PlatformRegistry.h"

namespace host {

long PlatformRegistry::RegOpenKeyExA(HKEY, const QByteArray&, std::uint32_t, std::uint32_t, HKEY*) {
    return ERROR_FILE_NOT_FOUND;
}
long PlatformRegistry::RegQueryValueExA(HKEY, const QByteArray&, std::uint32_t*, unsigned char*, std::uint32_t*) {
    return ERROR_FILE_NOT_FOUND;
}
long PlatformRegistry::RegCloseKey(HKEY) { return ERROR_SUCCESS; }

} // namespace host
