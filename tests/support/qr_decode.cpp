// qr_decode FILE: prints the text of the QR code in the picture as zxing-cpp reads it (UTF-8,
// no line break added); exit status 1 when there is none. For the real-window tests.
#include "QrDecode.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qr_decode FILE\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull())
        return 1;
    const auto text = testsupport::zxingDecode(image);
    if (!text)
        return 1;
    std::fwrite(text->data(), 1, text->size(), stdout);
    return 0;
}
