#pragma once
// While one lives, an interrupt (Ctrl-C, TERM, HUP, QUIT) waits for it to end, so a run stopped
// while it holds a lock or writes a file leaves neither a lock nor a part behind: the stop takes
// effect as soon as the writing is over.
#include <memory>

namespace host {

class DeferredInterrupts {
public:
    DeferredInterrupts();
    ~DeferredInterrupts();
    DeferredInterrupts(const DeferredInterrupts&) = delete;
    DeferredInterrupts& operator=(const DeferredInterrupts&) = delete;

private:
    struct Saved;
    std::unique_ptr<Saved> m_saved;
};

} // namespace host
