#include "NativePlatform.h"

#include "Win32Errno.h"

#include <cerrno>
#include <cstdio>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace host::platform {

namespace {
std::wstring wide(const std::string& utf8) {
    return lumo::widen(utf8.c_str());
}

std::string narrow(const std::wstring& text) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(std::size_t(size > 0 ? size : 0), '\0');
    if (size > 0)
        ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), utf8.data(), size, nullptr, nullptr);
    return utf8;
}

std::string forwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}
} // namespace

std::string programFolder() {
    std::wstring path(32768, L'\0');
    path.resize(::GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
    const std::string program = forwardSlashes(narrow(path));
    const std::size_t slash = program.rfind('/');
    return slash == std::string::npos ? std::string(".") : program.substr(0, slash);
}

std::string libraryFile(const std::string& baseName) {
    return baseName + ".dll";
}

std::vector<std::string> libraryFoldersOf(const std::string& appFolder) {
    return {appFolder};
}

std::string absoluteClean(const std::string& path) {
    const std::wstring name = wide(path);
    std::wstring full(32768, L'\0');
    const DWORD size = ::GetFullPathNameW(name.c_str(), DWORD(full.size()), full.data(), nullptr);
    if (size == 0 || size >= full.size())
        return forwardSlashes(path);
    full.resize(size);
    return forwardSlashes(narrow(full));
}

std::string shownPath(const std::string& path) {
    std::string shown = path;
    for (char& c : shown)
        if (c == '/')
            c = '\\';
    return shown;
}

bool fileExists(const std::string& path) {
    return ::GetFileAttributesW(wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

int folderErrorOf(const std::string& folder) {
    const std::wstring name = wide(shownPath(absoluteClean(folder)));
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ENOENT;
    wchar_t volume[MAX_PATH + 1] = {};
    DWORD flags = 0;
    if (::GetVolumePathNameW(name.c_str(), volume, MAX_PATH) &&
        ::GetVolumeInformationW(volume, nullptr, 0, nullptr, nullptr, &flags, nullptr, 0) &&
        (flags & FILE_READ_ONLY_VOLUME))
        return EROFS;
    ULARGE_INTEGER available{};
    if (::GetDiskFreeSpaceExW(name.c_str(), &available, nullptr, nullptr) && available.QuadPart == 0)
        return ENOSPC;
    // The rights are in the folder's access list: only a real file tells.
    const std::wstring probe = name + L"\\.lumo-probe";
    const HANDLE file = ::CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                      FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_EXISTS ? 0 : lumo::errnoFromWin32(error);
    }
    ::CloseHandle(file);
    return 0;
}

void* loadLibrary(const std::string& path) {
    // The library's own folder is searched for what it needs, not the current folder.
    return ::LoadLibraryExW(wide(shownPath(path)).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void* librarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

// A window program has no console: one started from a console window writes to it, unless its
// output was redirected (then the handles are set already).
void useParentConsole() {
    const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
    if (error && error != INVALID_HANDLE_VALUE)
        return;
    if (::AttachConsole(ATTACH_PARENT_PROCESS)) {
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
    }
}

// The system's heap keeps what is freed already.
void keepFreedMemory() {}

// The file opened with no sharing is the lock; the system deletes it when its handle closes,
// even when the process is killed.
LockAttempt tryLock(const std::string& lockPath) {
    LockAttempt attempt;
    const std::wstring name = wide(shownPath(lockPath));
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        if (::GetFileType(file) != FILE_TYPE_DISK) {
            ::CloseHandle(file);
            attempt.outcome = LockAttempt::Outcome::Special;
            return attempt;
        }
        attempt.outcome = LockAttempt::Outcome::Taken;
        attempt.handle = reinterpret_cast<long long>(file);
        return attempt;
    }
    const DWORD error = ::GetLastError();
    const DWORD attributes = ::GetFileAttributesW(name.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        attempt.outcome = LockAttempt::Outcome::Folder;
    else if (error == ERROR_SHARING_VIOLATION || (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES))
        attempt.outcome = LockAttempt::Outcome::Busy; // held, or being deleted by its last holder
    else
        attempt.error = lumo::errnoFromWin32(error);
    return attempt;
}

void releaseLock(const std::string&, long long handle) {
    ::CloseHandle(reinterpret_cast<HANDLE>(handle));
}

void sleepMilliseconds(int milliseconds) {
    ::Sleep(DWORD(milliseconds));
}

} // namespace host::platform
