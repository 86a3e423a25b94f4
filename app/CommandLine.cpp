#include "CommandLine.h"

#include "BuildInfo.h"
#include "DeferredInterrupts.h"
#include "EncoderFailure.h"
#include "PictureBytes.h"
#include "Lumo_Image_BmpJpg.h"
#include "QRCodeLib.h"
#include "SystemReason.h"
#include "AtomicWrite.h"

#include <QFile>
#include <QHash>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

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
    "              lumo-razazu --output FICHIER [OPTION...] (LIEN | -)\n"
    "              lumo-razazu --batch LISTE --output MODÈLE [OPTION...]\n"
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
    "  -s, --size MM         Largeur et hauteur d'un dessin SVG en millimètres, de 5 à 1000\n"
    "                        (par défaut : sa taille imprimée à 96 ppp).\n"
    "  -e, --ecc NIVEAU      Niveau de correction d'erreur : L, M, Q ou H (par défaut : le plus\n"
    "                        haut qui ne grandit pas le QR-Code au-delà du niveau M).\n"
    "      --margin N        Marge blanche en modules, de 0 à 40 (4 par défaut ; moins de 4\n"
    "                        gêne certains lecteurs).\n"
    "      --foreground RRVVBB  Couleur des modules (000000 par défaut).\n"
    "      --background RRVVBB  Couleur du fond (FFFFFF par défaut). Le code reste foncé sur\n"
    "                        clair, avec un contraste de luminance d'au moins 3:1.\n"
    "  -b, --batch LISTE     Un QR-Code par ligne du fichier LISTE (UTF-8 ; « - » : l'entrée\n"
    "                        standard), lignes vides ignorées. Le nom de --output contient {n}\n"
    "                        (le numéro de ligne) ou {} (le texte de la ligne, rendu sûr).\n"
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
constexpr OptionName options[] = {{"-o", "--output", true},     {"-q", "--quality", true},
                                  {"-m", "--module", true},     {"-s", "--size", true},
                                  {"-e", "--ecc", true},        {"--margin", "--margin", true},
                                  {"--foreground", "--foreground", true},
                                  {"--background", "--background", true},
                                  {"-b", "--batch", true},      {"-h", "--help", false},
                                  {"-v", "--version", false}};
enum OptionIndex {
    outputOption,
    qualityOption,
    moduleOption,
    sizeOption,
    eccOption,
    marginOption,
    foregroundOption,
    backgroundOption,
    batchOption,
    helpOption,
    versionOption
};
// The options that only shape a file: without --output they are a mistake.
constexpr OptionIndex fileOptions[] = {qualityOption, moduleOption, sizeOption,      eccOption,
                                       marginOption,  foregroundOption, backgroundOption, batchOption};

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

// Millimetres: digits with at most two decimals after a point or a comma.
std::optional<double> millimetres(QByteArray text, double low, double high) {
    text.replace(',', '.');
    bool ok = false;
    const double value = text.toDouble(&ok);
    const qsizetype point = text.indexOf('.');
    if (!ok || text.isEmpty() || !std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || c == '.'; }) ||
        (point >= 0 && text.size() - point - 1 > 2) || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<unsigned> colour(QByteArray text) {
    if (text.startsWith('#'))
        text.remove(0, 1);
    bool ok = false;
    const unsigned value = text.toUInt(&ok, 16);
    if (text.size() != 6 || !ok || !std::all_of(text.begin(), text.end(), [](char c) { return std::isxdigit(uchar(c)); }))
        return std::nullopt;
    return value;
}

// Relative luminance of an sRGB colour, as contrast ratios are reckoned.
double luminance(unsigned rgb) {
    const auto linear = [](unsigned channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb >> 16 & 0xff) + 0.7152 * linear(rgb >> 8 & 0xff) + 0.0722 * linear(rgb & 0xff);
}

QByteArray colourName(unsigned rgb) {
    return "#" + QByteArray::number(rgb, 16).rightJustified(6, '0');
}

QString hex(unsigned rgb) {
    return QStringLiteral("%1").arg(rgb, 6, 16, QLatin1Char('0')).toUpper();
}

// The checks that need the whole line: what the options give depends on the target's format.
Request checked(Request request, const std::optional<QByteArray> (&given)[std::size(options)], const std::vector<QByteArray>& links) {
    const std::optional<QByteArray>& output = given[outputOption];
    const std::optional<QByteArray>& quality = given[qualityOption];
    const std::optional<QByteArray>& module = given[moduleOption];
    const std::optional<QByteArray>& batch = given[batchOption];
    if (!output) {
        for (const OptionIndex index : fileOptions)
            if (given[index])
                return wrong(QStringLiteral("L'option « %1 » ne sert qu'avec --output FICHIER.")
                                 .arg(QString::fromLatin1(options[index].longName)));
        if (links.size() > 1)
            return wrong(QStringLiteral("Un seul lien à la fois : mettez entre guillemets un lien qui contient des espaces."));
        return wrong(QStringLiteral("Indiquez le fichier à écrire : --output FICHIER."));
    }
    if (batch) {
        if (!links.empty())
            return wrong(QStringLiteral("Avec --batch, les liens viennent de la liste : n'en donnez pas d'autre."));
        if (batch->isEmpty())
            return wrong(QStringLiteral("Indiquez la liste de liens : --batch LISTE, ou « - » pour l'entrée standard."));
        if (!output->contains("{n}") && !output->contains("{}"))
            return wrong(QStringLiteral("Avec --batch, le nom de --output contient {n} ou {} pour nommer chaque fichier."));
    } else if (links.size() != 1) {
        return wrong(links.empty() ? QStringLiteral("Indiquez un lien, ou « - » pour le lire sur l'entrée standard.")
                                   : QStringLiteral("Un seul lien à la fois."));
    }
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
    if (const auto& size = given[sizeOption]) {
        if (extension != "svg")
            return wrong(QStringLiteral("L'option « --size » ne vaut que pour un dessin SVG ; une image se règle avec --module."));
        request.size = millimetres(*size, 5, 1000);
        if (!request.size)
            return wrong(QStringLiteral("La taille va de 5 à 1000 mm."));
    }
    if (const auto& ecc = given[eccOption]) {
        const qsizetype level = ecc->size() == 1 ? QByteArray("LMQH").indexOf(ecc->toUpper()) : -1;
        if (level < 0)
            return wrong(QStringLiteral("Le niveau de correction est L, M, Q ou H."));
        request.level = int(level) + 1;
    }
    if (const auto& margin = given[marginOption]) {
        const std::optional<int> value = number(*margin, 0, 40);
        if (!value)
            return wrong(QStringLiteral("La marge va de 0 à 40 modules."));
        request.margin = *value;
    }
    for (const OptionIndex index : {foregroundOption, backgroundOption}) {
        if (!given[index])
            continue;
        const std::optional<unsigned> value = colour(*given[index]);
        if (!value)
            return wrong(QStringLiteral("La couleur de « %1 » s'écrit RRVVBB en hexadécimal, par exemple 1A2B3C.")
                             .arg(QString::fromLatin1(options[index].longName)));
        (index == foregroundOption ? request.foreground : request.background) = *value;
    }
    // Readers look for dark modules on a light ground, distinct enough.
    const double dark = luminance(request.foreground), light = luminance(request.background);
    const double ratio = (light + 0.05) / (dark + 0.05);
    if (ratio < 3)
        return wrong(QStringLiteral("Les couleurs %1 sur %2 ne se lisent pas : il faut des modules foncés sur un fond "
                                    "clair, avec un contraste de luminance d'au moins 3:1 (ici %3:1).")
                         .arg(hex(request.foreground), hex(request.background),
                              QString::number(std::floor(ratio * 100) / 100, 'f', 2).replace(u'.', u',')));
    request.kind = Request::Kind::Write;
    request.output = *output;
    if (batch)
        request.batch = *batch;
    else
        request.link = links.front();
    return request;
}

// The picture the window shows (201 pixels square, the symbol centred) or, with a module size,
// the symbol at that size inside its quiet zone.
QImage draw(const host::Symbol& symbol, const Request& request) {
    const int width = symbol.width;
    const int span = width + 2 * request.margin;
    const int scale = request.module ? *request.module : std::max(1, QRCL_PICTURE_LIMIT / span);
    const int side = request.module ? span * scale : std::max(QRCL_PICTURE_LIMIT, span * scale);
    const int margin = (side - width * scale) / 2;
    QImage picture(side, side, QImage::Format_RGB32);
    if (picture.isNull())
        return picture;
    picture.fill(QColor(QRgb(request.background)));
    picture.setDotsPerMeterX(3780); // 96 dpi, as the window's picture
    picture.setDotsPerMeterY(3780);
    const QRgb dark = qRgb(request.foreground >> 16 & 0xff, request.foreground >> 8 & 0xff, request.foreground & 0xff);
    for (int y = 0; y < width; ++y)
        for (int x = 0; x < width; ++x)
            if (symbol.modules[y * width + x])
                for (int row = 0; row < scale; ++row)
                    std::fill_n(reinterpret_cast<QRgb*>(picture.scanLine(margin + y * scale + row)) + margin + x * scale,
                                scale, dark);
    return picture;
}

// The symbol as an SVG drawing in units of modules, quiet zone included, each row's dark runs as
// rectangles of one path. Its natural size is that of the window's picture printed at 96 dpi.
QByteArray drawing(const host::Symbol& symbol, const Request& request) {
    const int width = symbol.width;
    const int span = width + 2 * request.margin;
    const double size = request.size ? *request.size
                                     : std::round(span * std::max(1, QRCL_PICTURE_LIMIT / (width + 8)) * 25400.0 / 96) / 1000;
    const QByteArray side = QByteArray::number(span);
    const QByteArray mm = QByteArray::number(size, 'f', 3) + "mm";
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + mm + "\" height=\"" + mm +
                     "\" viewBox=\"0 0 " + side + " " + side + "\" shape-rendering=\"crispEdges\">\n<rect width=\"" +
                     side + "\" height=\"" + side + "\" fill=\"" + colourName(request.background) +
                     "\"/>\n<path fill=\"" + colourName(request.foreground) + "\" d=\"";
    for (int y = 0; y < width; ++y) {
        bool any = false;
        for (int x = 0; x < width;) {
            if (!symbol.modules[y * width + x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && symbol.modules[y * width + x])
                ++x;
            const QByteArray run = QByteArray::number(x - start);
            svg += "M" + QByteArray::number(start + request.margin) + " " + QByteArray::number(y + request.margin) +
                   "h" + run + "v1h-" + run + "z";
            any = true;
        }
        if (any)
            svg += "\n";
    }
    return svg + "\"/>\n</svg>\n";
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

QString cannotWriteFile(const QByteArray& path, int error) {
    return QStringLiteral("Impossible d'écrire le fichier « %1 ».\n%2").arg(QFile::decodeName(path), host::systemReason(error));
}

// Writes one code of text at target, or with staged, stages it there to be published with others.
// Returns what went wrong, in French; null when written or staged.
QString writeOne(host::Host& host, const Request& request, const QByteArray& text, const QByteArray& output,
                 lumo::StagedWrites* staged = nullptr) {
    const QString target = QFile::decodeName(output);
    const QString link = QString::fromUtf8(text);
    // A NUL would end the text early on its way to the encoder.
    if (text.contains('\0'))
        return exporting::encoderFailureText({QRCL_ERR_NUL, 0}, link, target);

    const QByteArray extension = extensionOf(output);
    try {
        // Copies of the tool writing the same file take turns, as the window does with its own.
        // A name Qt cannot hold is no window's working file: no lock is needed there.
        const auto takeTurn = [&]() -> std::unique_ptr<host::FileLock> {
            if (QFile::encodeName(target) != output)
                return nullptr;
            try {
                return host.lockFile(target);
            } catch (const host::Failure& failure) { // the person's file, not a working file
                throw host::Failure(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(target), failure.reason());
            }
        };
        const host::Symbol symbol = host.encodeSymbol(text, request.level);
        if (symbol.result.code == QRCL_ERR_TOO_LONG && request.level != 0 &&
            host.encodeSymbol(text, QRCL_SYMBOL_DEFAULTS).result.code == QRCL_OK)
            return QStringLiteral("Le lien est trop long pour un QR-Code au niveau de correction %1 : choisissez un niveau plus bas.")
                .arg(QLatin1Char("LMQH"[request.level - 1]));
        if (symbol.result.code != QRCL_OK)
            return exporting::encoderFailureText(symbol.result, link, target);
        const auto cannotWrite = [&](const QString& reason) {
            return QStringLiteral("Le fichier « %1 » n'a pas pu être écrit.\n%2").arg(target, reason);
        };
        QByteArray bytes;
        if (extension == "svg") {
            bytes = drawing(symbol, request);
        } else {
            const QImage picture = draw(symbol, request);
            if (picture.isNull())
                return cannotWrite(QStringLiteral("Mémoire insuffisante."));
            if (extension == "jpg" || extension == "jpeg") {
                const host::DeferredInterrupts deferred;
                const auto lock = takeTurn();
                const host::LibraryResult result = host.writeJpeg(picture, output, request.quality, fullChroma);
                if (result.code == LIBJ_ERR_WRITE)
                    return cannotWrite(host::systemReason(result.systemError));
                return result.code == LIBJ_OK ? QString() : cannotWrite(QStringLiteral("La compression JPEG a échoué."));
            }
            bytes = extension == "png" ? pngBytes(picture) : bmpBytes(picture);
            if (bytes.isEmpty())
                return cannotWrite(QStringLiteral("Mémoire insuffisante."));
        }
        if (staged) {
            const int error = staged->stage(output.constData(),
                                            {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())},
                                            lumo::Links::WriteThrough);
            return error ? cannotWriteFile(output, error) : QString();
        }
        const host::DeferredInterrupts deferred;
        const auto lock = takeTurn();
        host.writeFile(output, bytes, lumo::Links::WriteThrough);
        return {};
    } catch (const host::Failure& failure) {
        return failure.message();
    }
}

int writeCode(host::Host& host, const Request& request, std::istream& input) {
    QByteArray text = request.link;
    if (text == "-" && !readInput(input, text))
        return fail(exporting::encoderFailureText({QRCL_ERR_TOO_LONG, 0}, QString::fromUtf8(text),
                                                  QFile::decodeName(request.output)));
    if (request.margin < 4)
        say(QStringLiteral("Note : une marge de moins de 4 modules peut gêner certains lecteurs."));
    const QString failure = writeOne(host, request, text, request.output);
    return failure.isNull() ? written : fail(failure);
}

// A line's text as one file name: no folder, no hidden file, nothing a terminal would act on,
// within the length file systems take.
QByteArray safeName(const QByteArray& text) {
    constexpr qsizetype longest = 120;
    QByteArray name = text.left(longest);
    // Cut on a character's first byte, never inside it.
    if (name.size() < text.size())
        while (!name.isEmpty() && (uchar(text[name.size()]) & 0xC0) == 0x80)
            name.chop(1);
    for (qsizetype i = 0; i < name.size(); ++i) {
        const uchar c = uchar(name[i]);
        if (c == '/' || c < 0x20 || c == 0x7F)
            name[i] = '_';
        else if (c == 0xC2 && i + 1 < name.size() && uchar(name[i + 1]) >= 0x80 && uchar(name[i + 1]) <= 0x9F)
            name.replace(i, 2, "_"); // U+0080 to U+009F, controls too
    }
    for (qsizetype i = 0; i < name.size() && name[i] == '.'; ++i)
        name[i] = '_';
    return name;
}

// The links of a batch, one a line, with their line numbers; empty lines are skipped. Bounded, so
// an endless input is refused rather than filling memory.
struct Batch {
    std::vector<std::pair<int, QByteArray>> lines;
    int lastLine = 0;
    QString error;
};
Batch readBatch(std::istream& input) {
    constexpr qsizetype limit = 64 * 1024 * 1024;
    Batch batch;
    std::string line;
    qsizetype total = 0;
    while (std::getline(input, line)) {
        ++batch.lastLine;
        total += qsizetype(line.size()) + 1;
        if (total > limit || batch.lastLine > 100000) {
            batch.error = QStringLiteral("La liste de liens dépasse 100 000 lignes ou 64 Mo.");
            return batch;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            batch.lines.emplace_back(batch.lastLine, QByteArray::fromStdString(line));
    }
    return batch;
}

QByteArray targetOf(const QByteArray& pattern, int line, int lastLine, const QByteArray& text) {
    QByteArray number = QByteArray::number(line);
    number.prepend(QByteArray(QByteArray::number(lastLine).size() - number.size(), '0'));
    QByteArray target = pattern;
    target.replace("{n}", number);
    if (target.contains("{}"))
        target.replace("{}", safeName(text));
    return target;
}

int writeBatch(host::Host& host, const Request& request, std::istream& input) {
    Batch batch;
    if (request.batch == "-") {
        batch = readBatch(input);
    } else {
        std::ifstream file(request.batch.constData(), std::ios::binary);
        if (file)
            batch = readBatch(file);
        if (!file.is_open() || file.bad()) // a folder opens, and fails at the first read
            return fail(QStringLiteral("La liste de liens « %1 » ne peut pas être lue.\n%2")
                            .arg(QFile::decodeName(request.batch), host::systemReason(errno)));
    }
    if (!batch.error.isNull())
        return fail(batch.error);
    if (request.margin < 4)
        say(QStringLiteral("Note : une marge de moins de 4 modules peut gêner certains lecteurs."));
    int status = written;
    QHash<QByteArray, int> writtenBy; // a file this run wrote, and the line that wrote it
    // The files of many lines share one flush; each still appears whole or not at all. No lock is
    // taken per file: nothing of a batch is seen before it is complete. Published before the
    // open files reach the system's usual limit.
    lumo::StagedWrites staged;
    std::vector<std::pair<int, QByteArray>> pending;
    const auto publish = [&] {
        const host::DeferredInterrupts deferred;
        const std::vector<int> errors = staged.publish();
        for (std::size_t i = 0; i < errors.size(); ++i)
            if (errors[i]) {
                say(QStringLiteral("Ligne %1 : %2").arg(pending[i].first).arg(cannotWriteFile(pending[i].second, errors[i])));
                status = failed;
            }
        pending.clear();
    };
    for (const auto& [line, text] : batch.lines) {
        const QByteArray target = targetOf(request.output, line, batch.lastLine, text);
        QString failure;
        if (const auto earlier = writtenBy.constFind(target); earlier != writtenBy.cend())
            failure = QStringLiteral("le fichier « %1 » vient d'être écrit pour la ligne %2 : il n'est pas remplacé.")
                          .arg(QFile::decodeName(target))
                          .arg(*earlier);
        else
            failure = writeOne(host, request, text, target, &staged);
        if (failure.isNull()) {
            writtenBy.insert(target, line);
            if (staged.staged() > pending.size())
                pending.emplace_back(line, target);
            if (pending.size() == 500)
                publish();
        } else {
            say(QStringLiteral("Ligne %1 : %2").arg(line).arg(failure));
            status = failed;
        }
    }
    publish();
    return status;
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
        return request.batch.isNull() ? writeCode(host, request, input) : writeBatch(host, request, input);
    case Request::Kind::Window:
        break;
    }
    return usage;
}

} // namespace app
