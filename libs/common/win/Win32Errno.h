#pragma once
// The system's error codes in the errno values the rest of the tool reads its causes from.
#include <string>

namespace lumo {

// errno value for a GetLastError() code (EIO for one without a closer match, 0 for success).
int errnoFromWin32(unsigned long error) noexcept;
// UTF-8 to the system's UTF-16; empty when the bytes are not UTF-8.
std::wstring widen(const char* utf8);

} // namespace lumo
