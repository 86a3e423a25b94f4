#pragma once
// Complete-or-absent file writes, shared by the two libraries and the tool.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace lumo {

// What a write does with a symbolic link standing at its path.
enum class Links {
    Replace,      // working files: the link itself is replaced, whatever it points at
    WriteThrough, // a person's file: the file the link points at is written, the link stays
};

// When the bytes are forced to disk before the file takes its name.
enum class Flush {
    Always,        // a power loss leaves the old file or the whole new one
    WhenReplacing, // only where an earlier file is replaced, so that a power loss never costs it;
                   // a new name is left to the system's own write-back, as other command-line
                   // tools leave theirs (a power loss in the next seconds may leave it short or
                   // empty). A kill or a full disk still leaves it whole or absent.
};

// Returned for a target that exists and is neither a regular file nor a folder (a FIFO, a device,
// a socket): above every errno the system gives (Linux keeps them below 4096).
inline constexpr int kNotRegularFile = 4096;

// Writes bytes to an anonymous file in the target's folder (O_TMPFILE), flushes it to disk (as
// flush says) and links it in place of path, so a kill at any moment leaves the old file or the new one, never a
// part. Where the file system has no anonymous files, the bytes go through a hidden name
// ".lumo-<name>.XXXXXX" first (see isLeftoverName), and the parts of that name which killed
// writes left beside the target are removed. A new file gets 0666 less the umask; a replaced one
// keeps its permissions; a read-only file is not replaced, nor anything that is not a regular
// file (kNotRegularFile, EISDIR for a folder), which is not even opened.
// Returns 0, or the errno of the step that failed, with path left as it was.
int writeAtomically(const char* path, std::span<const std::uint8_t> bytes, Links links,
                    Flush flush = Flush::Always) noexcept;

// Many complete-or-absent writes sharing one flush, for a run that writes many files: each file's
// bytes go at once to an anonymous file (or a hidden name, as above), one flush of the file
// system makes them all durable (as flush says), and only then does each take its name. A kill
// before that leaves none of them under its name, and none partly written.
class StagedWrites {
public:
    explicit StagedWrites(Flush flush = Flush::Always) : m_flush(flush) {}
    StagedWrites(const StagedWrites&) = delete;
    StagedWrites& operator=(const StagedWrites&) = delete;
    ~StagedWrites(); // what was staged and not published is dropped

    // The same checks as writeAtomically, then the bytes written but not yet named. Returns 0 or
    // errno; nothing is staged on failure.
    int stage(const char* path, std::span<const std::uint8_t> bytes, Links links) noexcept;
    std::size_t staged() const noexcept { return m_files.size(); }
    // One flush, then every staged file under its name, in the order staged: 0 or the errno of
    // each (a failed flush fails them all, and none is named).
    std::vector<int> publish() noexcept;

private:
    struct File {
        std::string path;   // where it goes
        std::string hidden; // its hidden name meanwhile; empty: anonymous, fd holds it
        int fd = -1;
        bool exists = false;
        std::vector<std::uint8_t> bytes; // where nothing can be named later: the bytes themselves
        Links links = Links::Replace;
    };
    Flush m_flush;
    std::vector<File> m_files;
    std::vector<std::string> m_sweptFolders;
};

// True for exactly the names the fallback above gives its temporaries: ".lumo-", a name, ".",
// six lower-case letters or digits. For the given file name only, when forName is set.
bool isLeftoverName(const char* name, const char* forName = nullptr) noexcept;

// Removes from folder the regular files named as isLeftoverName(name, forName) says that no
// other process's write has in progress: owned by this user and untouched for a minute; on
// Windows, held open by nobody. Never fails.
void removeLeftovers(const char* folder, const char* forName = nullptr) noexcept;

} // namespace lumo
