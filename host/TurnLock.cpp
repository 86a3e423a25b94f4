#include "TurnLock.h"

#include "NativePlatform.h"
#include "PlainFailure.h"
#include "SystemCause.h"

#include <chrono>

namespace host {

TurnLock::~TurnLock() {
    platform::releaseLock(m_lockPath, m_handle);
}

std::unique_ptr<TurnLock> takeTurnBeside(const std::string& path, const std::function<void()>& whileWaiting) {
    const std::size_t slash = path.find_last_of(platform::shownPath("/") == "/" ? "/" : "/\\");
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string lockPath = folder + "." + path.substr(folder.size()) + ".lock";
    const std::string shown = platform::shownPath(path);
    // The other copy holds it for milliseconds; ten seconds means it hangs. Meanwhile the
    // window is kept alive by whileWaiting.
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        using Outcome = platform::LockAttempt::Outcome;
        const platform::LockAttempt attempt = platform::tryLock(lockPath);
        switch (attempt.outcome) {
        case Outcome::Taken:
            return std::make_unique<TurnLock>(lockPath, attempt.handle);
        case Outcome::Folder:
        case Outcome::Special:
            // Anything but a lock file at that name would pass for a lock another copy holds.
            throw PlainFailure("Le fichier de travail « " + shown + " » ne peut pas être verrouillé.",
                               std::string(attempt.outcome == Outcome::Folder ? "Un dossier" : "Un fichier spécial") +
                                   " porte le nom de son fichier de verrou « " + platform::shownPath(lockPath) + " ».");
        case Outcome::Failed:
            throw PlainFailure("Le fichier de travail « " + shown + " » ne peut pas être créé.",
                               folderCause(platform::absoluteClean(folder.empty() ? "." : folder)));
        case Outcome::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() - start > std::chrono::seconds(10))
            throw PlainFailure("Le fichier de travail « " + shown + " » est occupé.",
                               "Une autre copie de Lumo-RAZazu l'utilise.");
        if (whileWaiting)
            whileWaiting();
        platform::sleepMilliseconds(10);
    }
}

} // namespace host
