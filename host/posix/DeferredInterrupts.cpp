// Interrupts blocked, not ignored: one that comes meanwhile is delivered when the mask returns.
#include "DeferredInterrupts.h"

#include <csignal>

namespace host {

struct DeferredInterrupts::Saved {
    sigset_t mask;
};

DeferredInterrupts::DeferredInterrupts() : m_saved(std::make_unique<Saved>()) {
    sigset_t interrupts;
    sigemptyset(&interrupts);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT})
        sigaddset(&interrupts, signal);
    sigprocmask(SIG_BLOCK, &interrupts, &m_saved->mask);
}

DeferredInterrupts::~DeferredInterrupts() {
    sigprocmask(SIG_SETMASK, &m_saved->mask, nullptr);
}

} // namespace host
