#pragma once
// What differs between systems, for code that loads no Qt library (the command line): paths are
// UTF-8 on Windows and the system's bytes elsewhere, with '/' between names.
#include <string>
#include <vector>

namespace host::platform {

// The running program's folder, absolute.
std::string programFolder();
// The file a library's base name gives: libQRCodeLib.so, QRCodeLib.dll.
std::string libraryFile(const std::string& baseName);
// Where the program's libraries are looked for, in order, and only there: never the current
// folder, PATH or the system's library path.
std::vector<std::string> libraryFoldersOf(const std::string& appFolder);
// The path made absolute against the working folder, its "." and ".." resolved by name.
std::string absoluteClean(const std::string& path);
// The path as the system writes it (backslashes on Windows).
std::string shownPath(const std::string& path);
bool fileExists(const std::string& path);
// Why nothing can be created in this folder, as an errno value (0 when no cause is seen).
int folderErrorOf(const std::string& folder);

// A library loaded by absolute path, never unloaded; null when it cannot be loaded.
void* loadLibrary(const std::string& path);
void* librarySymbol(void* library, const char* name);

// Where the command line's messages go: a window program started from a console writes there.
void useParentConsole();
// Memory freed stays the process's for the next code of a run, rather than going back to the
// system and faulting in again (a batch makes the same few buffers for each line).
void keepFreedMemory();

// One attempt at the lock file at lockPath, made if absent.
struct LockAttempt {
    enum class Outcome { Taken, Busy, Folder, Special, Failed };
    Outcome outcome = Outcome::Failed;
    int error = 0;   // Failed: an errno value
    long long handle = -1; // Taken: what releaseLock lets go
};
LockAttempt tryLock(const std::string& lockPath);
// Lets go, leaving nothing at lockPath.
void releaseLock(const std::string& lockPath, long long handle);
void sleepMilliseconds(int milliseconds);

} // namespace host::platform
