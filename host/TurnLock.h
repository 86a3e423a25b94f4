#pragma once
// Copies of the tool writing the same file take turns through a lock file beside it, with no Qt
// type, so the command line and the window's host take the very same lock.
#include <functional>
#include <memory>
#include <string>

namespace host {

// Held while it lives; nothing is left beside the file once it is let go.
class TurnLock {
public:
    TurnLock(std::string lockPath, long long handle) : m_lockPath(std::move(lockPath)), m_handle(handle) {}
    ~TurnLock();
    TurnLock(const TurnLock&) = delete;
    TurnLock& operator=(const TurnLock&) = delete;

private:
    std::string m_lockPath;
    long long m_handle;
};

// Takes the hidden lock ".NAME.lock" beside path. Waits ten seconds at most for the other copy,
// calling whileWaiting between tries, then throws PlainFailure; throws at once when no lock can
// be made in the folder, naming the cause, or when something other than a file has its name.
std::unique_ptr<TurnLock> takeTurnBeside(const std::string& path, const std::function<void()>& whileWaiting = {});

} // namespace host
