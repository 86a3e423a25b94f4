// Complete-or-absent writes on Windows: a temporary beside the target, written through to the disk,
// then moved over the target in one step.
#include "AtomicWrite.h"
#include "AtomicWriteNames.h"
#include "Win32Errno.h"

#include <cerrno>
#include <string>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace lumo {

int errnoFromWin32(unsigned long error) noexcept {
    switch (error) {
    case ERROR_SUCCESS:
        return 0;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_CANNOT_MAKE:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
        return ENOENT;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return EBUSY;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_NOT_SAME_DEVICE:
        return EXDEV;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_CANT_RESOLVE_FILENAME:
        return ELOOP;
    default:
        return EIO;
    }
}

std::wstring widen(const char* utf8) {
    const int size = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (size <= 1)
        return {};
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, wide.data(), size);
    wide.pop_back();
    return wide;
}

namespace {

std::string narrow(const std::wstring& wide) {
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1)
        return {};
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.c_str(), -1, text.data(), size, nullptr, nullptr);
    text.pop_back();
    return text;
}

int lastErrno() {
    return errnoFromWin32(::GetLastError());
}

// The file a link or junction chain ends at, when that file exists; the path itself otherwise.
std::wstring finalPath(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return path;
    std::wstring target(32768, L'\0');
    const DWORD size = ::GetFinalPathNameByHandleW(file, target.data(), static_cast<DWORD>(target.size()),
                                                   FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    ::CloseHandle(file);
    if (size == 0 || size >= target.size())
        return path;
    target.resize(size);
    return target;
}

// The move says "access denied" for a file another program holds open: Windows when that program
// shares no deletion, Wine whatever it shares. A file that cannot be opened with no sharing at all
// is open elsewhere.
bool inUse(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return ::GetLastError() == ERROR_SHARING_VIOLATION;
    ::CloseHandle(file);
    return false;
}

bool deleteOnClose(HANDLE file, bool remove) {
    FILE_DISPOSITION_INFO disposition{};
    disposition.DeleteFile = remove ? TRUE : FALSE;
    return ::SetFileInformationByHandle(file, FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

int writeAll(HANDLE file, std::span<const std::uint8_t> bytes, bool flush) {
    while (!bytes.empty()) {
        const DWORD chunk = bytes.size() > 0x10000000u ? 0x10000000u : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr))
            return lastErrno();
        bytes = bytes.subspan(written);
    }
    // Nothing flushed is published whose blocks are still only in memory.
    return !flush || ::FlushFileBuffers(file) ? 0 : lastErrno();
}

// One write to a fresh temporary and its move over target. vanished: the temporary was gone when
// it was to be moved.
int writeThenMove(const std::wstring& target, const std::string& narrowTarget, std::span<const std::uint8_t> bytes,
                  bool replacesJunction, bool flush, bool& vanished) {
    const DWORD through = flush ? FILE_FLAG_WRITE_THROUGH : 0;
    // Before the write: the parts killed writes left take room on a disk that may be full.
    removeLeftovers(detail::folderOf(narrowTarget, "\\/").c_str(), detail::nameOf(narrowTarget, "\\/").c_str());
    std::wstring hidden;
    HANDLE file = INVALID_HANDLE_VALUE;
    for (int tries = 0; tries < 100 && file == INVALID_HANDLE_VALUE; ++tries) {
        hidden = widen(detail::hiddenBeside(narrowTarget, "\\/").c_str());
        file = ::CreateFileW(hidden.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | through, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS)
            return lastErrno();
    }
    if (file == INVALID_HANDLE_VALUE)
        return EEXIST;
    // Until its bytes are complete the temporary goes with its handle: a process killed while
    // it writes leaves nothing beside the target.
    int error = deleteOnClose(file, true) ? 0 : lastErrno();
    if (error == 0)
        error = writeAll(file, bytes, flush);
    if (error == 0 && !deleteOnClose(file, false))
        error = lastErrno();
    if (!::CloseHandle(file) && error == 0)
        error = lastErrno();
    // A junction (a folder link) cannot be moved over: it goes first. A file link is simply
    // replaced by the move, never followed.
    if (error == 0 && replacesJunction && !::RemoveDirectoryW(target.c_str()) &&
        ::GetLastError() != ERROR_FILE_NOT_FOUND)
        error = lastErrno();
    if (error == 0 &&
        !::MoveFileExW(hidden.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | (flush ? MOVEFILE_WRITE_THROUGH : 0))) {
        const DWORD moveError = ::GetLastError();
        vanished = moveError == ERROR_FILE_NOT_FOUND && ::GetFileAttributesW(hidden.c_str()) == INVALID_FILE_ATTRIBUTES;
        error = moveError == ERROR_ACCESS_DENIED && inUse(target) ? EBUSY : errnoFromWin32(moveError);
    }
    // Gone after a move, except where a move over a file open elsewhere copies it (Wine).
    ::DeleteFileW(hidden.c_str());
    return error;
}

// A leftover nobody holds open is a killed write's: a writer holds its temporary open, shared with
// nobody, from its creation until its bytes are complete, and only its move leaves it closed for
// a moment (a writer whose temporary vanished then writes again). Opening it for deletion with
// no sharing fails while anyone holds it.
void removeIfUnheld(const std::wstring& path) {
    const HANDLE file = ::CreateFileW(path.c_str(), DELETE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    deleteOnClose(file, true);
    ::CloseHandle(file);
}

} // namespace

int writeAtomically(const char* path, std::span<const std::uint8_t> bytes, Links links, Flush flushing) noexcept {
    try {
        std::wstring target = widen(path);
        if (target.empty())
            return ENOENT;
        DWORD attributes = ::GetFileAttributesW(target.c_str());
        const bool isLink = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (isLink && links == Links::WriteThrough) {
            target = finalPath(target);
            attributes = ::GetFileAttributesW(target.c_str());
        }
        const bool replacesLink =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (attributes != INVALID_FILE_ATTRIBUTES && !replacesLink) {
            if (attributes & FILE_ATTRIBUTE_DIRECTORY)
                return EISDIR;
            // A read-only picture stays as it is, as it would for a program writing into it.
            if (attributes & FILE_ATTRIBUTE_READONLY)
                return EACCES;
        }

        const bool flush = flushing == Flush::Always || attributes != INVALID_FILE_ATTRIBUTES;
        // The temporary's name, in the target's folder so that the move is a rename.
        const std::string narrowTarget = narrow(target);
        int error = 0;
        // A temporary that vanished before its move was taken for a killed write's by another
        // writer's sweep (removeLeftovers): the bytes are written again.
        for (int attempt = 0; attempt < 3; ++attempt) {
            bool vanished = false;
            error = writeThenMove(target, narrowTarget, bytes, replacesLink && (attributes & FILE_ATTRIBUTE_DIRECTORY),
                                  flush, vanished);
            if (!vanished)
                break;
        }
        return error;
    } catch (...) { // only std::bad_alloc from the names
        return ENOMEM;
    }
}

void removeLeftovers(const char* folder, const char* forName) noexcept {
    try {
        const std::wstring pattern = widen(folder) + L"\\.lumo-*";
        WIN32_FIND_DATAW found{};
        const HANDLE search = ::FindFirstFileW(pattern.c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return;
        do {
            const std::string name = narrow(found.cFileName);
            if (!(found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) &&
                isLeftoverName(name.c_str(), forName))
                removeIfUnheld(widen(folder) + L"\\" + found.cFileName);
        } while (::FindNextFileW(search, &found));
        ::FindClose(search);
    } catch (...) { // only std::bad_alloc from the names: nothing removed
    }
}

// Windows has no anonymous files to link in later: each staged file keeps its bytes and is
// written through the ordinary complete-or-absent writer when published.
StagedWrites::~StagedWrites() = default;

int StagedWrites::stage(const char* path, std::span<const std::uint8_t> bytes, Links links) noexcept {
    try {
        File file;
        file.path = path;
        if (file.path.empty())
            return ENOENT;
        file.bytes.assign(bytes.begin(), bytes.end());
        file.links = links;
        m_files.push_back(std::move(file));
        return 0;
    } catch (...) {
        return ENOMEM;
    }
}

std::vector<int> StagedWrites::publish() noexcept {
    std::vector<File> files;
    files.swap(m_files);
    std::vector<int> errors;
    errors.reserve(files.size());
    for (const File& file : files)
        errors.push_back(writeAtomically(file.path.c_str(), file.bytes, file.links, m_flush));
    return errors;
}

} // namespace lumo
