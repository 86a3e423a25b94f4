#pragma once
// A read view of the system registry with the three calls the system-information launcher makes.
// Status codes are the registry's own: 0 for success, anything else a failure.
#include <QByteArray>
#include <cstdint>

namespace host {

using KeyHandle = std::uintptr_t;
inline constexpr KeyHandle HKEY_LOCAL_MACHINE = 0x80000002u;
inline constexpr long ERROR_SUCCESS = 0;
inline constexpr long ERROR_FILE_NOT_FOUND = 2;
inline constexpr long ERROR_ACCESS_DENIED = 5;
inline constexpr long ERROR_INVALID_HANDLE = 6;
inline constexpr long ERROR_INVALID_PARAMETER = 87;
inline constexpr long ERROR_MORE_DATA = 234;
inline constexpr std::uint32_t REG_NONE = 0;
inline constexpr std::uint32_t REG_SZ = 1;
inline constexpr std::uint32_t REG_EXPAND_SZ = 2;
inline constexpr std::uint32_t REG_BINARY = 3;
inline constexpr std::uint32_t REG_DWORD = 4;

// Access rights of a key.
inline constexpr std::uint32_t READ_CONTROL = 0x20000;
inline constexpr std::uint32_t KEY_QUERY_VALUE = 0x1;
inline constexpr std::uint32_t KEY_SET_VALUE = 0x2;
inline constexpr std::uint32_t KEY_CREATE_SUB_KEY = 0x4;
inline constexpr std::uint32_t KEY_ENUMERATE_SUB_KEYS = 0x8;
inline constexpr std::uint32_t KEY_NOTIFY = 0x10;
inline constexpr std::uint32_t KEY_CREATE_LINK = 0x20;
inline constexpr std::uint32_t KEY_READ =
    READ_CONTROL | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;

class Registry {
public:
    virtual ~Registry() = default;
    virtual long openKey(KeyHandle root, const QByteArray& subKey, std::uint32_t options,
                               std::uint32_t samDesired, KeyHandle* result) = 0;
    // data is count bytes long on entry; count receives the data's size. Data that does not fit gives
    // ERROR_MORE_DATA with the size needed in count; a null data asks for the size alone.
    virtual long queryValue(KeyHandle key, const QByteArray& valueName, std::uint32_t* type,
                                  unsigned char* data, std::uint32_t* count) = 0;
    virtual long closeKey(KeyHandle key) = 0;
};

} // namespace host
