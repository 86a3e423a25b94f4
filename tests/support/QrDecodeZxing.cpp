#include "QrDecode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

namespace testsupport {

std::optional<std::string> zxingDecode(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    // A picture as the encoder writes it is read as a pure barcode first: the general locator
    // misses some large codes at their native size that any phone reads.
    hints.setIsPure(true);
    hints.setBinarizer(ZXing::Binarizer::FixedThreshold);
    auto result = ZXing::ReadBarcode(view, hints);
    hints.setIsPure(false);
    for (auto binarizer : {ZXing::Binarizer::FixedThreshold, ZXing::Binarizer::LocalAverage}) {
        if (result.isValid())
            break;
        hints.setBinarizer(binarizer);
        result = ZXing::ReadBarcode(view, hints);
    }
    if (!result.isValid())
        return std::nullopt;
    return result.text();
}

} // namespace testsupport
