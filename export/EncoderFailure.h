#pragma once
// What the encoder's refusals mean to a person, for every command that encodes.
#include "Host.h"

namespace exporting {

// The most any QR code holds (version 40, level L), by class of text: 7089 digits alone; 4296
// characters of digits, capitals, space and $%*+-./: alone; 2953 bytes of other ASCII text; 2952
// bytes of any other text (one byte goes to the mark that says UTF-8). The encoder takes no text
// beyond its class's limit, so the limit a refusal states holds for every text of that class.
inline constexpr int maxQrDigits = 7089;
inline constexpr int maxQrAlphanumeric = 4296;
inline constexpr int maxQrAsciiBytes = 2953;
inline constexpr int maxQrUtf8Bytes = 2952;

// The limit of the class of utf8, in bytes (one a character in the ASCII classes).
int qrCapacity(const QByteArray& utf8);

// The French message for a failed encoding of link into the file at path.
QString encoderFailureText(host::LibraryResult result, const QString& link, const QString& path);

} // namespace exporting
