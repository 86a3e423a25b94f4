#pragma once
// What the encoder's refusals mean to a person, for every command that encodes.
#include "EncoderMessages.h"
#include "Host.h"

namespace exporting {

inline int qrCapacity(const QByteArray& utf8) {
    return qrCapacity(std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

// The French message for a failed encoding of link into the file at path.
QString encoderFailureText(host::LibraryResult result, const QString& link, const QString& path);

} // namespace exporting
