#include "AtomicWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

namespace {

constexpr char kLeftoverPrefix[] = ".lumo-";

std::string folderOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters unlikely to be in use; O_EXCL settles any clash.
std::string uniqueSuffix() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= (static_cast<std::uint64_t>(::getpid()) << 32) ^ (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix = ".";
    for (int i = 0; i < 6; ++i) {
        suffix += kLetters[seed % 36];
        seed /= 36;
    }
    return suffix;
}

std::string hiddenBeside(const std::string& path) {
    return folderOf(path) + '/' + kLeftoverPrefix + nameOf(path) + uniqueSuffix();
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
// must stay as it is, as it would for a program writing into it.
int mayReplace(const std::string& path, struct stat& old, bool& exists) {
    exists = ::lstat(path.c_str(), &old) == 0;
    if (!exists || !S_ISREG(old.st_mode))
        return 0; // nothing there, a link to replace, or something the rename itself refuses
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
int fill(int fd, std::span<const std::uint8_t> bytes, const struct stat& old, bool replacing) {
    if (replacing && S_ISREG(old.st_mode) && ::fchmod(fd, old.st_mode & 07777) != 0)
        return errno;
    // Nothing is published whose blocks are still only in memory. The folder itself is not
    // synced: after a crash the old name may come back, but never a half-written picture.
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0)
        return errno;
    return 0;
}

// Anonymous file, linked in when complete. -1: this file system has none, use a name.
int writeAnonymous(const std::string& path, std::span<const std::uint8_t> bytes, const struct stat& old,
                   bool exists) {
    const int fd = ::open(folderOf(path).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL ? -1 : errno;
    int error = fill(fd, bytes, old, exists);
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
               bool exists) {
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
    int error = fill(fd, bytes, old, exists);
    if (::close(fd) != 0 && error == 0)
        error = errno;
    if (error == 0 && std::rename(hidden.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(hidden.c_str());
    return error;
}

} // namespace

int writeAtomically(const char* path, std::span<const std::uint8_t> bytes, Links links) noexcept {
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
        const int error = writeAnonymous(target, bytes, old, exists);
        return error >= 0 ? error : writeNamed(target, bytes, old, exists);
    } catch (...) { // only std::bad_alloc from the names
        return ENOMEM;
    }
}

bool isLeftoverName(const char* name) noexcept {
    return std::strncmp(name, kLeftoverPrefix, sizeof kLeftoverPrefix - 1) == 0;
}

} // namespace lumo
