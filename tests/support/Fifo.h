#pragma once
// Files that are no regular file, made where the system has them (one file each in posix/, win/).
#include <QString>

namespace testsupport {

// Makes a FIFO at path; false where the system has none or the call failed.
bool makeFifo(const QString& path);

} // namespace testsupport
