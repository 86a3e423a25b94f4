#include "CommandLine.h"

#include "BuildInfo.h"
#include "EncoderFailure.h"
#include "QRCodeLib.h"
#include "SaveCommand.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>

namespace app {

namespace {

enum Status { written = 0, failed = 1, usage = 2 };

void say(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stderr);
}

QCommandLineOption outputOption() {
    return {{QStringLiteral("o"), QStringLiteral("output")},
            QStringLiteral("Écrit le QR-Code dans FICHIER, sans fenêtre ; le format suit l'extension : "
                           ".png, .svg, .bmp, .jpg ou .jpeg."),
            QStringLiteral("FICHIER")};
}

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(QStringLiteral("Crée le QR-Code d'un lien."));
    // Qt's own help and version options come with English texts.
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Affiche cette aide.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Affiche la version.")});
    parser.addOption(outputOption());
    parser.addOption({{QStringLiteral("q"), QStringLiteral("quality")},
                      QStringLiteral("Qualité d'un fichier JPEG, de 20 à 100 (100 par défaut)."), QStringLiteral("N")});
    parser.addOption({{QStringLiteral("m"), QStringLiteral("module")},
                      QStringLiteral("Pixels par module d'une image (par défaut : l'image de la fenêtre)."),
                      QStringLiteral("PX")});
    parser.addPositionalArgument(QStringLiteral("LIEN"),
                                 QStringLiteral("Le lien à encoder ; « - » le lit sur l'entrée standard."));
}

// A whole number from low to high, or nothing.
std::optional<int> number(const QString& text, int low, int high) {
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

// The text to encode, as bytes: a wrong UTF-8 sequence must reach the encoder as it is.
QByteArray textOf(const QString& argument) {
    if (argument != QStringLiteral("-"))
        return argument.toUtf8();
    QFile in;
    if (!in.open(stdin, QIODevice::ReadOnly))
        return {};
    QByteArray text = in.readAll();
    if (text.endsWith('\n'))
        text.chop(text.endsWith("\r\n") ? 2 : 1);
    return text;
}

int fail(const QString& message) {
    say(message);
    return failed;
}

} // namespace

bool wantsNoWindow(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--") == 0)
            return false;
        for (const char* flag : {"-o", "--output", "-h", "--help", "-v", "--version"})
            if (std::strcmp(a, flag) == 0 || (std::strncmp(a, flag, std::strlen(flag)) == 0 && a[std::strlen(flag)] == '='))
                return true;
    }
    return false;
}

WindowStart parseWindowArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        say(parser.errorText());
        return {std::nullopt, usage};
    }
    const QStringList links = parser.positionalArguments();
    if (links.size() > 1) {
        say(QStringLiteral("Un seul lien à la fois."));
        return {std::nullopt, usage};
    }
    if (links.isEmpty())
        return {};
    return {links.front(), std::nullopt};
}

QImage withModuleSize(const QImage& picture, int px) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };
    // The symbol's top-left module starts its first dark row; the finder pattern is 7 modules wide.
    int top = -1, left = -1;
    for (int y = 0; y < image.height() && top < 0; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (dark(x, y)) {
                top = y;
                left = x;
                break;
            }
    if (top < 0)
        return {};
    int run = 0;
    while (left + run < image.width() && dark(left + run, top))
        ++run;
    int right = image.width() - 1;
    while (right > left && !dark(right, top))
        --right;
    const int scale = run / 7;
    if (scale < 1)
        return {};
    const int modules = (right - left + 1) / scale;
    const int side = (modules + 8) * px;
    QImage result(side, side, QImage::Format_RGB32);
    result.fill(Qt::white);
    for (int j = 0; j < modules; ++j)
        for (int i = 0; i < modules; ++i) {
            const int x = left + i * scale + scale / 2, y = top + j * scale + scale / 2;
            if (x < image.width() && y < image.height() && dark(x, y))
                for (int dy = 0; dy < px; ++dy)
                    for (int dx = 0; dx < px; ++dx)
                        result.setPixel((i + 4) * px + dx, (j + 4) * px + dy, qRgb(0, 0, 0));
        }
    return result;
}

int runWithoutWindow(host::Host& host, const QStringList& arguments) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        say(parser.errorText());
        return usage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        std::fputs(qPrintable(parser.helpText() + u'\n'), stdout);
        return written;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::printf("lumo-razazu %d.%d.%d\n", lumo::build::versionMajor, lumo::build::versionMinor,
                    lumo::build::versionPatch);
        return written;
    }
    const QStringList links = parser.positionalArguments();
    if (links.size() != 1) {
        say(QStringLiteral("Indiquez un lien, ou « - » pour le lire sur l'entrée standard."));
        return usage;
    }
    const QString target = parser.value(QStringLiteral("output"));
    const QString extension = QFileInfo(target).suffix().toLower();
    if (!QStringList{"png", "svg", "bmp", "jpg", "jpeg"}.contains(extension)) {
        say(QStringLiteral("« %1 » : l'extension dit le format, .png, .svg, .bmp, .jpg ou .jpeg.").arg(target));
        return usage;
    }
    const std::optional<int> quality =
        parser.isSet(QStringLiteral("quality")) ? number(parser.value(QStringLiteral("quality")), 20, 100) : 100;
    if (!quality) {
        say(QStringLiteral("La qualité va de 20 à 100."));
        return usage;
    }
    std::optional<int> module;
    if (parser.isSet(QStringLiteral("module"))) {
        module = number(parser.value(QStringLiteral("module")), 1, 100);
        if (!module) {
            say(QStringLiteral("Les pixels par module vont de 1 à 100."));
            return usage;
        }
    }

    const QByteArray text = textOf(links.front());
    const QString link = QString::fromUtf8(text);
    // A NUL would end the text early on its way to the encoder.
    if (text.contains('\0'))
        return fail(exporting::encoderFailureText({QRCL_ERR_NUL, 0}, link, target));
    try {
        if (extension == QStringLiteral("svg")) {
            const host::LibraryResult result = host.encodeQrCodeSvg(text, target.toUtf8());
            return result.code == QRCL_OK ? written : fail(exporting::encoderFailureText(result, link, target));
        }
        // The window's picture first, made in a private folder, then the file asked for.
        QTemporaryDir work;
        if (!work.isValid())
            return fail(QStringLiteral("Aucun dossier temporaire n'est disponible."));
        const QString code = work.filePath(QStringLiteral("QRCODE.bmp"));
        const host::LibraryResult result = host.encodeQrCode(text, code.toUtf8());
        if (result.code != QRCL_OK)
            return fail(exporting::encoderFailureText(result, link, code));
        QImage picture = host.loadPicture(code);
        if (module)
            picture = withModuleSize(picture, *module);
        if (extension == QStringLiteral("jpg") || extension == QStringLiteral("jpeg")) {
            try {
                exporting::convertToJpeg(host, picture, work.filePath(QStringLiteral("Temp.bmp")), target, *quality);
            } catch (const host::Failure& failure) {
                return fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.\n%2").arg(target, failure.message()));
            }
            return written;
        }
        host.writePicture(picture, target, extension == QStringLiteral("png") ? host::PictureFormat::Png
                                                                               : host::PictureFormat::Bmp,
                          lumo::Links::WriteThrough);
        return written;
    } catch (const host::Failure& failure) {
        return fail(failure.message());
    }
}

} // namespace app
