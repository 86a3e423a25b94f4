#include "CommandLine.h"

#include "BuildInfo.h"
#include "DeferredInterrupts.h"
#include "EncoderFailure.h"
#include "Lumo_Image_BmpJpg.h"
#include "QRCodeLib.h"
#include "SystemReason.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <cstring>

namespace app {

namespace {

enum Status { written = 0, failed = 1, usage = 2 };

constexpr int fullChroma = 1; // 4:4:4: no colour smearing across the modules' edges

void say(const QString& text) {
    std::fputs(qPrintable(text + u'\n'), stderr);
}

int fail(const QString& message) {
    say(message);
    return failed;
}

const char* const helpText =
    "Utilisation : lumo-razazu [LIEN]\n"
    "              lumo-razazu --output FICHIER [--quality N] [--module PX] (LIEN | -)\n"
    "              lumo-razazu --help | --version\n"
    "\n"
    "Crée le QR-Code d'un lien. Sans option, ouvre la fenêtre, sur LIEN s'il est donné.\n"
    "\n"
    "Options :\n"
    "  -o, --output FICHIER  Écrit le QR-Code dans FICHIER, sans fenêtre ; le format suit\n"
    "                        l'extension : .png, .svg, .bmp, .jpg ou .jpeg.\n"
    "  -q, --quality N       Qualité d'un fichier JPEG, de 20 à 100 (100 par défaut).\n"
    "  -m, --module PX       Pixels par module d'une image BMP, JPEG ou PNG, de 1 à 100\n"
    "                        (par défaut : l'image de la fenêtre, 201 x 201).\n"
    "  -h, --help            Affiche cette aide.\n"
    "  -v, --version         Affiche la version.\n"
    "\n"
    "Arguments :\n"
    "  LIEN                  Le lien à encoder ; « - » le lit sur l'entrée standard.\n"
    "  --                    Ce qui suit est le lien, même s'il commence par « - ».\n";

// The file's extension, lower-cased, from the bytes after the last dot of the last name.
QByteArray extensionOf(const QByteArray& path) {
    const qsizetype slash = path.lastIndexOf('/');
    const qsizetype dot = path.lastIndexOf('.');
    return dot > slash + 1 ? path.mid(dot + 1).toLower() : QByteArray();
}

bool isUtf8(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// A whole number from low to high, written with digits only.
std::optional<int> number(const QByteArray& text, int low, int high) {
    if (text.isEmpty() || text.size() > 3 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

struct OptionName {
    const char* shortName;
    const char* longName;
    bool takesValue;
};
constexpr OptionName options[] = {{"-o", "--output", true},
                                  {"-q", "--quality", true},
                                  {"-m", "--module", true},
                                  {"-h", "--help", false},
                                  {"-v", "--version", false}};
enum OptionIndex { outputOption, qualityOption, moduleOption, helpOption, versionOption };

Request wrong(const QString& error, int status = usage) {
    Request request;
    request.kind = Request::Kind::Wrong;
    request.error = error;
    request.status = status;
    return request;
}

QString shown(const char* argument) {
    return QString::fromLocal8Bit(argument);
}

// The checks that need the whole line: what the options give depends on the target's format.
Request checked(Request request, const std::optional<QByteArray> (&given)[std::size(options)], const std::vector<QByteArray>& links) {
    const std::optional<QByteArray>& output = given[outputOption];
    const std::optional<QByteArray>& quality = given[qualityOption];
    const std::optional<QByteArray>& module = given[moduleOption];
    if (!output) {
        if (quality || module)
            return wrong(QStringLiteral("L'option « %1 » ne sert qu'avec --output FICHIER.")
                             .arg(quality ? QStringLiteral("--quality") : QStringLiteral("--module")));
        if (links.size() > 1)
            return wrong(QStringLiteral("Un seul lien à la fois : mettez entre guillemets un lien qui contient des espaces."));
        return wrong(QStringLiteral("Indiquez le fichier à écrire : --output FICHIER."));
    }
    if (links.size() != 1)
        return wrong(links.empty() ? QStringLiteral("Indiquez un lien, ou « - » pour le lire sur l'entrée standard.")
                                   : QStringLiteral("Un seul lien à la fois."));
    const QByteArray extension = extensionOf(*output);
    if (!QByteArrayList{"png", "svg", "bmp", "jpg", "jpeg"}.contains(extension))
        return wrong(QStringLiteral("« %1 » : l'extension dit le format, .png, .svg, .bmp, .jpg ou .jpeg.")
                         .arg(QFile::decodeName(*output)));
    if (quality) {
        if (extension != "jpg" && extension != "jpeg")
            return wrong(QStringLiteral("L'option « --quality » ne vaut que pour un fichier JPEG (.jpg ou .jpeg)."));
        const std::optional<int> value = number(*quality, 20, 100);
        if (!value)
            return wrong(QStringLiteral("La qualité va de 20 à 100."));
        request.quality = *value;
    }
    if (module) {
        if (extension == "svg")
            return wrong(QStringLiteral("L'option « --module » ne vaut pas pour un dessin SVG, qui n'a pas de pixels."));
        request.module = number(*module, 1, 100);
        if (!request.module)
            return wrong(QStringLiteral("Les pixels par module vont de 1 à 100."));
    }
    request.kind = Request::Kind::Write;
    request.output = *output;
    request.link = links.front();
    return request;
}

// The picture the window shows (201 pixels square, the symbol centred) or, with a module size,
// the symbol at that size inside a quiet zone of 4 modules.
QImage draw(const host::Symbol& symbol, std::optional<int> module) {
    const int width = symbol.width;
    const int scale = module ? *module : std::max(1, QRCL_PICTURE_LIMIT / (width + 8));
    const int side = module ? (width + 8) * scale : QRCL_PICTURE_LIMIT;
    const int margin = (side - width * scale) / 2;
    QImage picture(side, side, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    picture.fill(Qt::white);
    picture.setDotsPerMeterX(3780); // 96 dpi, as the window's picture
    picture.setDotsPerMeterY(3780);
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x)
            if (symbol.modules[y * width + x])
                for (int row = 0; row < scale; ++row)
                    std::fill_n(reinterpret_cast<QRgb*>(picture.scanLine(margin + y * scale + row)) + margin + x * scale,
                                scale, qRgb(0, 0, 0));
    return picture;
}

// Standard input, read no further than the largest text a code holds and a final line break;
// false when more comes.
bool readInput(std::istream& input, QByteArray& text) {
    constexpr qsizetype limit = exporting::maxQrDigits + 2;
    text = QByteArray(limit + 1, '\0');
    input.read(text.data(), text.size());
    text.resize(input.gcount());
    if (text.size() > limit)
        return false;
    if (text.endsWith('\n'))
        text.chop(text.endsWith("\r\n") ? 2 : 1);
    return true;
}

int writeCode(host::Host& host, const Request& request, std::istream& input) {
    const QString target = QFile::decodeName(request.output);
    QByteArray text = request.link;
    if (text == "-" && !readInput(input, text))
        return fail(exporting::encoderFailureText({QRCL_ERR_TOO_LONG, 0}, QString::fromUtf8(text), target));
    const QString link = QString::fromUtf8(text);
    // A NUL would end the text early on its way to the encoder.
    if (text.contains('\0'))
        return fail(exporting::encoderFailureText({QRCL_ERR_NUL, 0}, link, target));

    const QByteArray extension = extensionOf(request.output);
    try {
        // Copies of the tool writing the same file take turns, as the window does with its own.
        // A name Qt cannot hold is no window's working file: no lock is needed there.
        const auto takeTurn = [&]() -> std::unique_ptr<host::FileLock> {
            if (QFile::encodeName(target) != request.output)
                return nullptr;
            try {
                return host.lockFile(target);
            } catch (const host::Failure& failure) { // the person's file, not a working file
                throw host::Failure(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(target), failure.reason());
            }
        };
        if (extension == "svg") {
            const host::DeferredInterrupts deferred;
            const auto lock = takeTurn();
            const host::LibraryResult result = host.encodeQrCodeSvg(text, request.output);
            return result.code == QRCL_OK ? written : fail(exporting::encoderFailureText(result, link, target));
        }
        const host::Symbol symbol = host.encodeSymbol(text);
        if (symbol.result.code != QRCL_OK)
            return fail(exporting::encoderFailureText(symbol.result, link, target));
        const QImage picture = draw(symbol, request.module);
        const auto cannotWrite = [&](const QString& reason) {
            return fail(QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.\n%2").arg(target, reason));
        };
        if (picture.isNull())
            return cannotWrite(QStringLiteral("Mémoire insuffisante."));
        if (extension == "jpg" || extension == "jpeg") {
            const host::DeferredInterrupts deferred;
            const auto lock = takeTurn();
            const host::LibraryResult result = host.writeJpeg(picture, request.output, request.quality, fullChroma);
            if (result.code == LIBJ_ERR_WRITE)
                return cannotWrite(host::systemReason(result.systemError));
            return result.code == LIBJ_OK ? written : cannotWrite(QStringLiteral("La compression JPEG a échoué."));
        }
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        if (!picture.save(&buffer, extension == "png" ? "PNG" : "BMP"))
            return cannotWrite(QStringLiteral("Mémoire insuffisante."));
        const host::DeferredInterrupts deferred;
        const auto lock = takeTurn();
        host.writeFile(request.output, bytes, lumo::Links::WriteThrough);
        return written;
    } catch (const host::Failure& failure) {
        return fail(failure.message());
    }
}

} // namespace

Request readArguments(int argc, const char* const* argv) {
    std::optional<QByteArray> given[std::size(options)];
    std::vector<QByteArray> links;
    bool anyOption = false, linksOnly = false;
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (linksOnly || argument[0] != '-' || std::strcmp(argument, "-") == 0) {
            links.emplace_back(argument);
            anyOption = anyOption || std::strcmp(argument, "-") == 0;
            continue;
        }
        if (std::strcmp(argument, "--") == 0) {
            linksOnly = true;
            continue;
        }
        anyOption = true;
        // "--name=value" for the long names; a short name and its value are two arguments.
        const char* equals = std::strncmp(argument, "--", 2) == 0 ? std::strchr(argument, '=') : nullptr;
        const QByteArray name = equals ? QByteArray(argument, equals - argument) : QByteArray(argument);
        const auto option = std::find_if(std::begin(options), std::end(options), [&](const OptionName& o) {
            return name == o.shortName || name == o.longName;
        });
        if (option == std::end(options))
            return wrong(QStringLiteral("Option inconnue : « %1 ».\nVoir « lumo-razazu --help ».").arg(shown(argument)));
        const int index = int(option - std::begin(options));
        const QString named = QString::fromLatin1(name);
        if (given[index])
            return wrong(QStringLiteral("L'option « %1 » est donnée deux fois.\nVoir « lumo-razazu --help ».").arg(named));
        if (!option->takesValue) {
            if (equals)
                return wrong(QStringLiteral("L'option « %1 » ne prend pas de valeur.\nVoir « lumo-razazu --help ».")
                                 .arg(named));
            given[index] = QByteArray();
        } else if (equals) {
            given[index] = QByteArray(equals + 1);
        } else if (i + 1 < argc) {
            given[index] = QByteArray(argv[++i]);
        } else {
            return wrong(QStringLiteral("L'option « %1 » attend une valeur.\nVoir « lumo-razazu --help ».").arg(named));
        }
    }

    Request request;
    if (given[helpOption]) {
        request.kind = Request::Kind::Help;
        return request;
    }
    if (given[versionOption]) {
        request.kind = Request::Kind::Version;
        return request;
    }
    if (!anyOption && links.size() <= 1) {
        // The window takes the link as typed text: one that is not UTF-8 is refused as the
        // encoder would refuse it.
        if (!links.empty() && !isUtf8(links.front()))
            return wrong(exporting::encoderFailureText({QRCL_ERR_ENCODING, 0}, {}, {}), failed);
        if (!links.empty())
            request.link = links.front();
        return request;
    }
    request = checked(request, given, links);
    if (request.kind == Request::Kind::Wrong)
        request.error += QStringLiteral("\nVoir « lumo-razazu --help ».");
    return request;
}

int runWithoutWindow(host::Host& host, const Request& request, std::istream& input) {
    switch (request.kind) {
    case Request::Kind::Help:
        std::fputs(helpText, stdout);
        return written;
    case Request::Kind::Version:
        std::printf("lumo-razazu %d.%d.%d\n", lumo::build::versionMajor, lumo::build::versionMinor,
                    lumo::build::versionPatch);
        return written;
    case Request::Kind::Wrong:
        say(request.error);
        return request.status;
    case Request::Kind::Write:
        return writeCode(host, request, input);
    case Request::Kind::Window:
        break;
    }
    return usage;
}

} // namespace app
