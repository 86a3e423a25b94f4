#pragma once
// Complete-or-absent file writes, shared by the two libraries and the tool.
#include <cstdint>
#include <span>

namespace lumo {

// What a write does with a symbolic link standing at its path.
enum class Links {
    Replace,      // working files: the link itself is replaced, whatever it points at
    WriteThrough, // a person's file: the file the link points at is written, the link stays
};

// Writes bytes to an anonymous file in the target's folder (O_TMPFILE), flushes it to disk and
// links it in place of path, so a kill at any moment leaves the old file or the new one, never a
// part. Where the file system has no anonymous files, the bytes go through a hidden name
// ".lumo-<name>.XXXXXX" first (see isLeftoverName). A new file gets 0666 less the umask; a
// replaced one keeps its permissions; a read-only file is not replaced.
// Returns 0, or the errno of the step that failed, with path left as it was.
int writeAtomically(const char* path, std::span<const std::uint8_t> bytes, Links links) noexcept;

// True for a file name the fallback above gives its temporaries.
bool isLeftoverName(const char* name) noexcept;

} // namespace lumo
