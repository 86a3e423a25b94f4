#pragma once
// What the encoder's refusals mean to a person, for every command that encodes.
#include "Host.h"

namespace exporting {

// The most any QR code holds (version 40, level L): 7089 digits alone, 2953 bytes of other ASCII
// text, 2952 bytes of any other text (one byte goes to the mark that says UTF-8).
inline constexpr int maxQrDigits = 7089;
inline constexpr int maxQrAsciiBytes = 2953;
inline constexpr int maxQrUtf8Bytes = 2952;

// The French message for a failed encoding of link into the file at path.
QString encoderFailureText(host::LibraryResult result, const QString& link, const QString& path);

} // namespace exporting
