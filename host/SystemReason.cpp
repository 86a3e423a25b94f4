#include "SystemReason.h"

#include "SystemCause.h"

#include "Platform.h"

namespace host {

QString systemReason(int errnum) {
    return QString::fromUtf8(systemCause(errnum));
}

QString folderReason(const QString& folder) {
    return QString::fromStdString(folderCause(platform::pathBytes(folder).toStdString()));
}

} // namespace host
