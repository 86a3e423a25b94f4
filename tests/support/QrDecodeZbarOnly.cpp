// Where zxing-cpp cannot be built (its source missing from the mirror the Windows build fetches
// from), the in-process reader is zbarimg reading the picture from a file.
#include "QrDecode.h"

#include <QPainter>
#include <QTemporaryDir>

namespace testsupport {

std::optional<std::string> zxingDecode(const QImage& image) {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("code.png"));
    // A quiet zone around the picture, as a reader sees a code on a page; zbar reads no one-pixel
    // modules, so each pixel becomes four by four.
    QImage framed(image.width() + 40, image.height() + 40, QImage::Format_RGB32);
    framed.fill(Qt::white);
    QPainter(&framed).drawImage(20, 20, image);
    if (!framed.scaled(framed.size() * 4, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(path))
        return std::nullopt;
    return zbarDecodeFile(path);
}

} // namespace testsupport
