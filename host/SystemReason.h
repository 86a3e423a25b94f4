#pragma once
// The system's reasons for failing file operations, told in French and without numbers.
#include <QString>

namespace host {

// The cause behind an errno value, e.g. "Disque plein." for ENOSPC.
QString systemReason(int errnum);

// Why nothing can be created in this folder: absent, read-only medium, full, or no rights.
QString folderReason(const QString& folder);

} // namespace host
