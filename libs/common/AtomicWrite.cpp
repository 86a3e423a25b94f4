#include "AtomicWrite.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lumo {

namespace {

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

// Not mkstemp: its files are private (0600); a picture gets the permissions the umask gives any
// new file.
int createBeside(const std::string& path, std::string& tempPath) {
    for (int tries = 0; tries < 100; ++tries) {
        tempPath = path + uniqueSuffix();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
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

// Renaming over a file ignores its permissions; a picture its owner made read-only (root's too)
// must stay as it is, as it would for a program writing into it. A link is followed to judge
// but never written through: the rename replaces the link itself.
bool mayReplace(const char* path) {
    struct stat st {};
    if (::stat(path, &st) != 0 || !S_ISREG(st.st_mode))
        return true; // nothing there, or something the rename itself refuses
    return (st.st_mode & 0222) != 0 && ::access(path, W_OK) == 0;
}

} // namespace

bool writeAtomically(const char* path, std::span<const std::uint8_t> bytes) noexcept {
    try {
        if (!mayReplace(path))
            return false;
        std::string tempPath;
        const int fd = createBeside(path, tempPath);
        if (fd < 0)
            return false;
        // A replaced picture keeps its permissions, as a person expects when saving over it.
        struct stat old {};
        bool ok = ::stat(path, &old) != 0 || !S_ISREG(old.st_mode) || ::fchmod(fd, old.st_mode & 07777) == 0;
        // The rename must not publish a file whose blocks are still only in memory. The folder
        // itself is not synced: after a crash the old name may come back, but never a
        // half-written picture.
        ok = ok && writeAll(fd, bytes) && ::fsync(fd) == 0;
        ok = ::close(fd) == 0 && ok;
        ok = ok && std::rename(tempPath.c_str(), path) == 0;
        if (!ok)
            ::unlink(tempPath.c_str());
        return ok;
    } catch (...) { // only std::bad_alloc from the name
        return false;
    }
}

} // namespace lumo
