#include "Fifo.h"

namespace testsupport {

// Windows' file systems have no FIFOs: pipes live apart, under \\.\pipe\.
bool makeFifo(const QString&) {
    return false;
}

} // namespace testsupport
