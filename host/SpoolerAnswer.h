#pragma once
// The print spooler's answer to the last job handed to it from this thread. Qt hands a page to
// the spooler as its painter ends and drops the answer; the printer job reads it back here.
#include <QString>
#include <optional>

namespace host {

// The spooler's reason, in French, when it refused that job (a queue not accepting jobs, removed, its
// scheduler gone); nothing when it took it, or where the platform reports a refusal itself.
std::optional<QString> spoolerRefusal();

} // namespace host
