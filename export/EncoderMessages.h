#pragma once
// What the encoder's refusals mean to a person, with no Qt type: shared by the window's commands
// and the command line.
#include <string>
#include <string_view>

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
int qrCapacity(std::string_view utf8);

// The French message (UTF-8) for a failed encoding of link (UTF-8) into the file at path.
std::string encoderFailureMessage(int code, int systemError, std::string_view link, const std::string& path);

} // namespace exporting
