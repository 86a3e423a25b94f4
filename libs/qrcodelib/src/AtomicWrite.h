#pragma once
// Complete-or-absent file writes.
#include <cstdint>
#include <span>

namespace qrcl {

// Writes bytes to a new file beside path, flushes it to disk and renames it over path.
// Returns false after any failure, having removed the new file and left path as it was.
bool writeAtomically(const char* path, std::span<const std::uint8_t> bytes) noexcept;

} // namespace qrcl
