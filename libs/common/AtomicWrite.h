#pragma once
// Complete-or-absent file writes, shared by the two libraries.
#include <cstdint>
#include <span>

namespace lumo {

// Writes bytes to a new file beside path, flushes it to disk and renames it over path. A new
// file gets the permissions any program's new file gets (0666 less the umask); a replaced file
// keeps its own. A read-only file is not replaced; a link is replaced, never written through.
// Returns false after any failure, having removed the new file and left path as it was.
bool writeAtomically(const char* path, std::span<const std::uint8_t> bytes) noexcept;

} // namespace lumo
