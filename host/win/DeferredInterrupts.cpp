// A console's Ctrl-C ends the process without unwinding either way; nothing to defer here.
#include "DeferredInterrupts.h"

namespace host {

struct DeferredInterrupts::Saved {};

DeferredInterrupts::DeferredInterrupts() = default;
DeferredInterrupts::~DeferredInterrupts() = default;

} // namespace host
