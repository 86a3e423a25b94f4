#include "EncoderFailure.h"

#include "Platform.h"

namespace exporting {

QString encoderFailureText(host::LibraryResult result, const QString& link, const QString& path) {
    return QString::fromStdString(encoderFailureMessage(result.code, result.systemError, link.toUtf8().toStdString(),
                                                        host::platform::pathBytes(path).toStdString()));
}

} // namespace exporting
