#pragma once
// A read view of the system registry with the three calls the system-information launcher makes.
// Status codes are the registry's own: 0 for success, anything else a failure.
#include <QByteArray>
#include <cstdint>

namespace host {

using HKEY = std::uintptr_t;
inline constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_DWORD = 4;

class Registry {
public:
    virtual ~Registry() = default;
    virtual long RegOpenKeyExA(HKEY root, const QByteArray& subKey, std::uint32_t options, std::uint32_t samDesired,
                               HKEY* result) = 0;
    // data is count bytes long on entry; count receives the data's size.
    virtual long RegQueryValueExA(HKEY key, const QByteArray& valueName, std::uint32_t* type, unsigned char* data,
                                  std::uint32_t* count) = 0;
    virtual long RegCloseKey(HKEY key) = 0;
};

} // namespace host
