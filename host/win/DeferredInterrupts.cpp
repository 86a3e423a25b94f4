// Ctrl-C, Ctrl-Break and a closed console come to a handler on a thread of their own, and the
// system's default one ends the process wherever its main thread is: half-way through a write.
// While a write is in progress the handler waits for it to end, then ends the process itself,
// as a blocked signal is delivered once the mask returns.
#include "DeferredInterrupts.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace host {

namespace {

SRWLOCK g_lock = SRWLOCK_INIT;
CONDITION_VARIABLE g_done = CONDITION_VARIABLE_INIT;
int g_writes = 0; // deferred sections in progress

BOOL WINAPI onInterrupt(DWORD) {
    ::AcquireSRWLockExclusive(&g_lock);
    while (g_writes > 0)
        ::SleepConditionVariableSRW(&g_done, &g_lock, INFINITE, 0);
    // Still holding the lock: no write begins before the process ends.
    ::ExitProcess(STATUS_CONTROL_C_EXIT);
}

} // namespace

struct DeferredInterrupts::Saved {};

DeferredInterrupts::DeferredInterrupts() {
    static const bool installed = ::SetConsoleCtrlHandler(onInterrupt, TRUE) != 0;
    (void)installed;
    ::AcquireSRWLockExclusive(&g_lock);
    ++g_writes;
    ::ReleaseSRWLockExclusive(&g_lock);
}

DeferredInterrupts::~DeferredInterrupts() {
    ::AcquireSRWLockExclusive(&g_lock);
    if (--g_writes == 0)
        ::WakeAllConditionVariable(&g_done);
    ::ReleaseSRWLockExclusive(&g_lock);
}

} // namespace host
