// The Windows registry through advapi32, bound by name at the first call and reused afterwards, so
// the tool links nothing of it. Read only ever: the launcher opens, queries and closes.
#include "PlatformRegistry.h"

// After our own header: <windows.h> defines ERROR_SUCCESS, REG_SZ, ... as macros, so below this
// point only the Windows spellings are used.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace host {

namespace {

using OpenFn = LONG(WINAPI*)(::HKEY, LPCSTR, DWORD, REGSAM, ::HKEY*);
using QueryFn = LONG(WINAPI*)(::HKEY, LPCSTR, LPDWORD, LPDWORD, LPBYTE, LPDWORD);
using CloseFn = LONG(WINAPI*)(::HKEY);

struct Advapi {
    OpenFn open = nullptr;
    QueryFn query = nullptr;
    CloseFn close = nullptr;
};

template <class Fn> Fn entry(HMODULE module, const char* name) {
    if (!module)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

const Advapi& advapi() {
    static const Advapi bound = [] {
        const HMODULE module = ::LoadLibraryW(L"advapi32.dll");
        return Advapi{entry<OpenFn>(module, "RegOpenKeyExA"), entry<QueryFn>(module, "RegQueryValueExA"),
                      entry<CloseFn>(module, "RegCloseKey")};
    }();
    return bound;
}

// Root handles are 32-bit values (0x80000002 for the local machine); on 64-bit Windows the system
// spells them sign-extended.
::HKEY toNative(host::KeyHandle key) {
    if (key >= 0x80000000u && key <= 0x800000FFu)
        return reinterpret_cast<::HKEY>(static_cast<INT_PTR>(static_cast<LONG>(static_cast<DWORD>(key))));
    return reinterpret_cast<::HKEY>(key);
}

} // namespace

struct PlatformRegistry::State {};

PlatformRegistry::PlatformRegistry() = default;
PlatformRegistry::~PlatformRegistry() = default;

long PlatformRegistry::openKey(host::KeyHandle root, const QByteArray& subKey, std::uint32_t options,
                                     std::uint32_t samDesired, host::KeyHandle* result) {
    const auto open = advapi().open;
    if (!open)
        return ERROR_PROC_NOT_FOUND;
    if (!result)
        return ERROR_INVALID_PARAMETER;
    ::HKEY key = nullptr;
    const LONG status = open(toNative(root), subKey.constData(), options, samDesired, &key);
    *result = status == ERROR_SUCCESS ? reinterpret_cast<host::KeyHandle>(key) : 0;
    return status;
}

long PlatformRegistry::queryValue(host::KeyHandle key, const QByteArray& valueName, std::uint32_t* type,
                                        unsigned char* data, std::uint32_t* count) {
    const auto query = advapi().query;
    if (!query)
        return ERROR_PROC_NOT_FOUND;
    DWORD nativeType = 0;
    DWORD nativeCount = count ? *count : 0;
    const LONG status = query(toNative(key), valueName.constData(), nullptr, &nativeType, data,
                              count ? &nativeCount : nullptr);
    if (type)
        *type = nativeType;
    if (count)
        *count = nativeCount;
    return status;
}

long PlatformRegistry::closeKey(host::KeyHandle key) {
    const auto close = advapi().close;
    if (!close)
        return ERROR_PROC_NOT_FOUND;
    return close(toNative(key));
}

} // namespace host
