#pragma once
// The system's reasons for failing file operations, in French (UTF-8), with no Qt type.
#include <string>

namespace host {

// The cause behind an errno value, e.g. "Disque plein." for ENOSPC.
const char* systemCause(int errnum);
// Why nothing can be created in this folder: absent, read-only medium, full, or no rights.
std::string folderCause(const std::string& folder);

} // namespace host
