#pragma once
// Independent decoders for the tests: every code the tool makes is read back by zxing-cpp
// in-process, and by zbarimg from outside.
#include <QImage>
#include <QString>
#include <optional>
#include <string>

namespace testsupport {

// UTF-8 text of the single QR code in the image, as zxing-cpp reads it; nullopt when none.
std::optional<std::string> zxingDecode(const QImage& image);

// Text that `zbarimg --nodbus -q` prints for the file (without the "QR-Code:" prefix and the final
// line break); nullopt when zbarimg finds nothing or is missing.
std::optional<std::string> zbarDecodeFile(const QString& path);

} // namespace testsupport
