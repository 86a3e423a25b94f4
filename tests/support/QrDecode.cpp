#include "QrDecode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QProcess>

namespace testsupport {

std::optional<std::string> zxingDecode(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                          static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setTryHarder(true);
    hints.setBinarizer(ZXing::Binarizer::FixedThreshold);
    auto result = ZXing::ReadBarcode(view, hints);
    if (!result.isValid()) {
        hints.setBinarizer(ZXing::Binarizer::LocalAverage);
        result = ZXing::ReadBarcode(view, hints);
    }
    if (!result.isValid())
        return std::nullopt;
    return result.text();
}

std::optional<std::string> zbarDecodeFile(const QString& path) {
    QProcess zbar;
    zbar.start("zbarimg", {"--nodbus", "-q", path});
    if (!zbar.waitForFinished(30000) || zbar.exitStatus() != QProcess::NormalExit || zbar.exitCode() != 0)
        return std::nullopt;
    std::string out = zbar.readAllStandardOutput().toStdString();
    const std::string prefix = "QR-Code:";
    if (out.rfind(prefix, 0) != 0)
        return std::nullopt;
    out.erase(0, prefix.size());
    if (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

} // namespace testsupport
