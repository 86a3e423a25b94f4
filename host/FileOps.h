#pragma once
// File operations of the host that need no window: shared by the real host and the tests' fake.
#include "AtomicWrite.h"

#include <QImage>
#include <QString>
#include <functional>
#include <memory>

namespace host {

// Reads BMP or JPEG; an empty path gives the empty picture. Throws Failure when unreadable.
QImage readPicture(const QString& path);
// The lossless files the tool writes itself.
enum class PictureFormat { Bmp, Png };
// Writes a 24-bit BMP or a PNG, complete or absent (lumo::writeAtomically). Throws Failure with
// the system's reason.
void writePictureFile(const QImage& picture, const QString& path, PictureFormat format, lumo::Links links);
// The same for bytes already made, at a path given as the system's bytes, so a name that is not
// UTF-8 is written under that very name.
void writeBytesFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links);
// Name of the first ordinary file matching the pattern (wildcards allowed); hidden files and
// folders do not count. Empty when none.
QString firstOrdinaryFile(const QString& pattern);
// Anything at the path, a dangling link included.
bool pathTaken(const QString& path);
// Throws Failure when the file cannot be deleted. A link is deleted, not what it points at.
void removeFile(const QString& path);
// Makes the folder and any missing parent readable by its owner alone, whatever the umask, and
// the folder itself private if it was not. Throws Failure naming the cause.
void makePrivateFolder(const QString& folder);
// Deletes the parts writes left in the folder when their process was killed (see
// lumo::removeLeftovers).
void removeLeftovers(const QString& folder);

// Held while it lives: a lock file beside a working file, so that copies of the tool sharing a
// working folder take turns between writing the file and reading it back.
class FileLock {
public:
    virtual ~FileLock() = default;
};
// Waits ten seconds at most for the other copy, calling whileWaiting between tries, then throws
// Failure. Throws Failure at once when no lock can be made in the folder, naming the cause.
std::unique_ptr<FileLock> lockBeside(const QString& path, const std::function<void()>& whileWaiting = {});

} // namespace host
