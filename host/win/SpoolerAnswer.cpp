#include "SpoolerAnswer.h"

namespace host {

// Windows' print engine fails the painter itself when the spooler refuses a job.
std::optional<QString> spoolerRefusal() {
    return std::nullopt;
}

} // namespace host
