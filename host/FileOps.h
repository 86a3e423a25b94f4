#pragma once
// File operations of the host that need no window: shared by the real host and the tests' fake.
#include <QImage>
#include <QString>
#include <memory>

namespace host {

// Reads BMP or JPEG; an empty path gives the empty picture. Throws Failure when unreadable.
QImage readPicture(const QString& path);
// Writes a 24-bit BMP beside the target and renames it over: complete or absent. Throws Failure.
void writeBmpFile(const QImage& picture, const QString& path);
// Name of the first ordinary file matching the pattern (wildcards allowed); hidden files and
// folders do not count. Empty when none.
QString firstOrdinaryFile(const QString& pattern);
// Throws Failure when the file cannot be deleted.
void removeFile(const QString& path);

// Held while it lives: a lock file beside a working file, so that copies of the tool sharing a
// working folder take turns between writing the file and reading it back.
class FileLock {
public:
    virtual ~FileLock() = default;
};
// Waits a few seconds at most for the other copy, then throws Failure.
std::unique_ptr<FileLock> lockBeside(const QString& path);

} // namespace host
