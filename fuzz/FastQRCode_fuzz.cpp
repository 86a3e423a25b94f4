// FastQRCode on arbitrary bytes, through FastQRCodeN. The round trip is the oracle: a text the
// library accepts must read back exactly from the picture it wrote; a text it refuses must leave
// no file behind, and be refused for the reason its contract gives, judged by Qt's UTF-8 decoder
// and the largest symbol's capacity for the text's class rather than by the library's own checks.
#include "FuzzSupport.h"
#include "QRCodeLib.h"
#include "QrDecode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QImage>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <string_view>
#include <unistd.h>

namespace {

bool isUtf8(std::string_view text) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    return !decoder.hasError();
}

// The picture is the symbol alone on its quiet zone, which zxing-cpp reads best as a pure barcode:
// its general detector misses some symbols of 2-pixel modules (version 16 among them) that its
// pure reader and zbar both read. The general reading of the tests comes second.
std::optional<std::string> readBack(const QImage& picture) {
    const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    hints.setIsPure(true);
    hints.setBinarizer(ZXing::Binarizer::FixedThreshold);
    if (const auto result = ZXing::ReadBarcode(view, hints); result.isValid())
        return result.text();
    return testsupport::zxingDecode(picture);
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The bytes a text of this class may have, as the contract gives them (version 40, level L).
std::size_t capacity(std::string_view text) {
    const auto all = [&](auto holds) { return std::all_of(text.begin(), text.end(), holds); };
    if (all([](char c) { return c >= '0' && c <= '9'; }))
        return 7089;
    if (all([](char c) {
            return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
                   std::string_view(" $%*+-./:").find(c) != std::string_view::npos;
        }))
        return 4296;
    return isAscii(text) ? 2953 : 2952;
}

// The code the contract gives for a text, or OK.
std::int32_t expectedRefusal(std::string_view text) {
    if (text.empty())
        return QRCL_ERR_EMPTY;
    if (text.find('\0') != std::string_view::npos)
        return QRCL_ERR_NUL;
    if (!isUtf8(text))
        return QRCL_ERR_ENCODING;
    if (text.size() > capacity(text))
        return QRCL_ERR_TOO_LONG;
    return QRCL_OK;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = fuzzsupport::scratchFolder();
    const std::string path = folder + "/QRCODE.bmp";
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::int32_t code = FastQRCodeN(text.data(), static_cast<std::int32_t>(size), path.c_str());
    const std::int32_t refusal = expectedRefusal(text);

    if (refusal != QRCL_OK || code != QRCL_OK) {
        FUZZ_CHECK(code == refusal, "code " + std::to_string(code) + " for " + std::to_string(text.size()) +
                                        " bytes, expected " + std::to_string(refusal));
        FUZZ_CHECK(fuzzsupport::entriesOf(folder).empty(), "a refused text left a file behind");
        return 0;
    }

    FUZZ_CHECK(fuzzsupport::entriesOf(folder) == std::vector<std::string>{"QRCODE.bmp"},
               "the folder holds more than the picture");
    const QImage picture(QString::fromStdString(path), "BMP");
    FUZZ_CHECK(!picture.isNull(), "the picture is not a BMP that Qt reads");
    FUZZ_CHECK(picture.width() == picture.height() && picture.width() <= QRCL_PICTURE_LIMIT,
               "the picture is " + std::to_string(picture.width()) + " x " + std::to_string(picture.height()));
    const auto decoded = readBack(picture);
    FUZZ_CHECK(decoded.has_value(), "the picture holds no code that zxing-cpp reads");
    FUZZ_CHECK(*decoded == text, "the code reads back as another text (" + std::to_string(decoded->size()) +
                                     " bytes instead of " + std::to_string(size) + ")");
    ::unlink(path.c_str());
    return 0;
}
