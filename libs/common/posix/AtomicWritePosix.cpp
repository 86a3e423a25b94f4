// Complete-or-absent writes on POSIX: an anonymous file linked in, or a hidden name renamed over.
#include "AtomicWrite.h"
#include "AtomicWriteNames.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

namespace {

using detail::folderOf;
using detail::nameOf;

std::string hiddenBeside(const std::string& path) {
    return detail::hiddenBeside(path, "/");
}

// The path a link chain ends at, the last link's target even when nothing is there yet.
int followLinks(std::string& path) {
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return 0; // a missing folder is reported by the write itself
        char target[PATH_MAX];
        const ssize_t size = ::readlink(path.c_str(), target, sizeof target);
        if (size < 0)
            return errno;
        if (size == sizeof target)
            return ENAMETOOLONG;
        std::string next(target, static_cast<std::size_t>(size));
        path = next.front() == '/' ? next : folderOf(path) + '/' + next;
    }
    return ELOOP;
}

// Renaming over a file ignores its permissions; a picture its owner made read-only (root's too)
// must stay as it is, as it would for a program writing into it. Nor is a FIFO or a device
// replaced by a picture nobody reads: the person named it for what it is.
int mayReplace(const std::string& path, struct stat& old, bool& exists) {
    exists = ::lstat(path.c_str(), &old) == 0;
    if (!exists || S_ISLNK(old.st_mode))
        return 0; // nothing there, or a link to replace
    if (S_ISDIR(old.st_mode))
        return EISDIR;
    if (!S_ISREG(old.st_mode))
        return kNotRegularFile;
    if ((old.st_mode & 0222) == 0)
        return EACCES;
    return ::access(path.c_str(), W_OK) == 0 ? 0 : errno;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(written));
    }
    return true;
}

// The bytes on disk, with the replaced file's permissions. Returns 0 or errno.
int fill(int fd, std::span<const std::uint8_t> bytes, const struct stat& old, bool replacing, Flush flush) {
    if (replacing && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        return errno;
    // Nothing flushed is published whose blocks are still only in memory. The folder itself is
    // not synced: after a crash the old name may come back, but never a half-written picture.
    if (!writeAll(fd, bytes) || ((flush == Flush::Always || replacing) && ::fsync(fd) != 0))
        return errno;
    return 0;
}

// Anonymous file, linked in when complete. -1: this file system has none, use a name.
int writeAnonymous(const std::string& path, std::span<const std::uint8_t> bytes, const struct stat& old,
                   bool exists, Flush flush) {
    const int fd = ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? -1 : errno;
    int error = fill(fd, bytes, old, exists, flush);
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    std::string hidden;
    if (error == 0) {
        // A new name is linked in directly; an existing one is replaced through a rename.
        hidden = exists ? hiddenBeside(path) : path;
        if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, hidden.c_str(), AT_SYMLINK_FOLLOW) != 0) {
            error = errno;
            if (error == ENOENT && ::access("/proc/self/fd", X_OK) != 0)
                error = -1; // no /proc to link from: use a name
            hidden.clear();
        }
    }
    ::close(fd);
    if (error == 0 && exists && std::rename(hidden.c_str(), path.c_str()) != 0) {
        error = errno;
        ::unlink(hidden.c_str());
    }
    return error;
}

int writeNamed(const std::string& path, std::span<const std::uint8_t> bytes, const struct stat& old,
               bool exists, Flush flush) {
    std::string hidden;
    int fd = -1;
    for (int tries = 0; tries < 100 && fd < 0; ++tries) {
        hidden = hiddenBeside(path);
        // Not mkstemp: its files are private (0600).
        fd = ::open(hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
        if (fd < 0 && errno != EEXIST)
            return errno;
    }
    if (fd < 0)
        return EEXIST;
    int error = fill(fd, bytes, old, exists, flush);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(hidden.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(hidden.c_str());
    return error;
}

} // namespace

int writeAtomically(const char* path, std::span<const std::uint8_t> bytes, Links links, Flush flush) noexcept {
    try {
        std::string target = path;
        if (target.empty())
            return ENOENT;
        if (links == Links::WriteThrough)
            if (const int error = followLinks(target))
                return error;
        struct stat old {};
        bool exists = false;
        if (const int error = mayReplace(target, old, exists))
            return error;
        // Before the write: the parts killed writes left take room on a disk that may be full.
        removeLeftovers(folderOf(target).c_str(), nameOf(target).c_str());
        const int error = writeAnonymous(target, bytes, old, exists, flush);
        return error >= 0 ? error : writeNamed(target, bytes, old, exists, flush);
    } catch (...) { // only std::bad_alloc from the names
        return ENOMEM;
    }
}

void removeLeftovers(const char* folder, const char* forName) noexcept {
    DIR* dir = ::opendir(folder);
    if (!dir)
        return;
    const int fd = ::dirfd(dir);
    const uid_t me = ::geteuid();
    const time_t minuteAgo = ::time(nullptr) - 60;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isLeftoverName(entry->d_name, forName))
            continue;
        struct stat st {};
        if (::fstatat(fd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
            st.st_uid == me && st.st_mtime < minuteAgo)
            ::unlinkat(fd, entry->d_name, 0);
    }
    ::closedir(dir);
}

StagedWrites::~StagedWrites() {
    for (const File& file : m_files) {
        ::close(file.fd);
        if (!file.hidden.empty())
            ::unlink(file.hidden.c_str());
    }
}

int StagedWrites::stage(const char* path, std::span<const std::uint8_t> bytes, Links links) noexcept {
    try {
        File file;
        file.path = path;
        if (file.path.empty())
            return ENOENT;
        if (links == Links::WriteThrough)
            if (const int error = followLinks(file.path))
                return error;
        struct stat old {};
        if (const int error = mayReplace(file.path, old, file.exists))
            return error;
        const std::string folder = folderOf(file.path);
        if (std::find(m_sweptFolders.begin(), m_sweptFolders.end(), folder) == m_sweptFolders.end()) {
            removeLeftovers(folder.c_str());
            m_sweptFolders.push_back(folder);
        }
        file.fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
        if (file.fd < 0) {
            if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
                return errno;
            for (int tries = 0; tries < 100 && file.fd < 0; ++tries) {
                file.hidden = hiddenBeside(file.path);
                file.fd = ::open(file.hidden.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
                if (file.fd < 0 && errno != EEXIST)
                    return errno;
            }
            if (file.fd < 0)
                return EEXIST;
        }
        const bool replacing = file.exists && S_ISREG(old.st_mode);
        if ((replacing && ::fchmod(file.fd, old.st_mode & 07777) != 0) || !writeAll(file.fd, bytes)) {
            const int error = errno;
            ::close(file.fd);
            if (!file.hidden.empty())
                ::unlink(file.hidden.c_str());
            return error;
        }
        m_files.push_back(std::move(file));
        return 0;
    } catch (...) {
        return ENOMEM;
    }
}

std::vector<int> StagedWrites::publish() noexcept {
    std::vector<File> files;
    files.swap(m_files);
    std::vector<int> errors(files.size(), 0);
    // One flush for each file system the files are on; not a part is named before.
    std::vector<dev_t> flushed;
    int flushError = 0;
    const bool flush = m_flush == Flush::Always ||
                       std::any_of(files.begin(), files.end(), [](const File& file) { return file.exists; });
    for (std::size_t i = 0; flush && i < files.size(); ++i) {
        const File& file = files[i];
        struct stat st {};
        if (::fstat(file.fd, &st) != 0) {
            flushError = errno;
            break;
        }
        if (std::find(flushed.begin(), flushed.end(), st.st_dev) != flushed.end())
            continue;
        if (::syncfs(file.fd) != 0) {
            flushError = errno;
            break;
        }
        flushed.push_back(st.st_dev);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const File& file = files[i];
        int& error = errors[i];
        error = flushError;
        if (error == 0 && file.hidden.empty()) {
            const std::string self = "/proc/self/fd/" + std::to_string(file.fd);
            const std::string name = file.exists ? hiddenBeside(file.path) : file.path;
            if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0)
                error = errno;
            else if (file.exists && std::rename(name.c_str(), file.path.c_str()) != 0) {
                error = errno;
                ::unlink(name.c_str());
            }
        } else if (error == 0 && std::rename(file.hidden.c_str(), file.path.c_str()) != 0) {
            error = errno;
        }
        if (error != 0 && !file.hidden.empty())
            ::unlink(file.hidden.c_str());
        ::close(file.fd);
    }
    return errors;
}

} // namespace lumo
