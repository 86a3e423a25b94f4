#include "Fifo.h"

#include <QFile>
#include <sys/stat.h>

namespace testsupport {

bool makeFifo(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0644) == 0;
}

} // namespace testsupport
