#include "NativePlatform.h"

#include <cerrno>
#include <chrono>
#include <thread>

#include <dlfcn.h>
#include <malloc.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace host::platform {

std::string programFolder() {
    std::string path(4096, '\0');
    const ssize_t size = ::readlink("/proc/self/exe", path.data(), path.size());
    path.resize(size > 0 ? std::size_t(size) : 0);
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : slash == 0 ? std::string("/") : path.substr(0, slash);
}

std::string libraryFile(const std::string& baseName) {
    return "lib" + baseName + ".so";
}

std::vector<std::string> libraryFoldersOf(const std::string& appFolder) {
    // Beside the program first (a build folder runs as it is), then the package's own folder.
    return {appFolder, absoluteClean(appFolder + "/../lib/lumo-razazu")};
}

std::string absoluteClean(const std::string& path) {
    std::string full = path;
    if (full.empty() || full[0] != '/') {
        char here[4096];
        full = std::string(::getcwd(here, sizeof here) ? here : "") + "/" + full;
    }
    std::vector<std::string> names;
    for (std::size_t start = 0; start <= full.size();) {
        std::size_t end = full.find('/', start);
        if (end == std::string::npos)
            end = full.size();
        const std::string name = full.substr(start, end - start);
        if (name == "..") {
            if (!names.empty())
                names.pop_back();
        } else if (!name.empty() && name != ".") {
            names.push_back(name);
        }
        start = end + 1;
    }
    std::string clean;
    for (const std::string& name : names)
        clean += "/" + name;
    return clean.empty() ? "/" : clean;
}

std::string shownPath(const std::string& path) {
    return path;
}

bool fileExists(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

int folderErrorOf(const std::string& folder) {
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return ENOENT;
    struct statvfs fs {};
    if (::statvfs(folder.c_str(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return EROFS;
        if (fs.f_bavail == 0 || (fs.f_files > 0 && fs.f_favail == 0))
            return ENOSPC;
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0)
        return errno;
    return 0;
}

void* loadLibrary(const std::string& path) {
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* librarySymbol(void* library, const char* name) {
    return ::dlsym(library, name);
}

// Standard output and error are the caller's already.
void useParentConsole() {}

void keepFreedMemory() {
    mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
}

// An flock on a hidden file beside the target. Whoever held it unlinks it before letting go, so
// a lock taken on a file no longer at its name is another attempt's, not ours.
LockAttempt tryLock(const std::string& lockPath) {
    LockAttempt attempt;
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
    if (fd < 0) {
        attempt.error = errno;
        attempt.outcome = errno == EISDIR ? LockAttempt::Outcome::Folder : LockAttempt::Outcome::Failed;
        return attempt;
    }
    struct stat held {};
    if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
        ::close(fd);
        attempt.outcome = S_ISDIR(held.st_mode) ? LockAttempt::Outcome::Folder : LockAttempt::Outcome::Special;
        return attempt;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        attempt.error = errno;
        ::close(fd);
        attempt.outcome = attempt.error == EWOULDBLOCK ? LockAttempt::Outcome::Busy : LockAttempt::Outcome::Failed;
        return attempt;
    }
    struct stat named {};
    if (::stat(lockPath.c_str(), &named) != 0 || named.st_ino != held.st_ino || named.st_dev != held.st_dev) {
        ::close(fd); // the holder let go meanwhile: try the new file
        attempt.outcome = LockAttempt::Outcome::Busy;
        return attempt;
    }
    attempt.outcome = LockAttempt::Outcome::Taken;
    attempt.handle = fd;
    return attempt;
}

void releaseLock(const std::string& lockPath, long long handle) {
    ::unlink(lockPath.c_str());
    ::close(int(handle));
}

void sleepMilliseconds(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

} // namespace host::platform
