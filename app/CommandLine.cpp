#include "CommandLine.h"

#include "BuildVersion.h"
#include "DeferredInterrupts.h"
#include "EncoderMessages.h"
#include "Lumo_Image_BmpJpg.h"
#include "PictureBytes.h"
#include "PlainFailure.h"
#include "QRCodeLib.h"
#include "SystemCause.h"
#include "AtomicWrite.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <fstream>
#include <mutex>
#include <thread>
#include <unordered_map>

namespace app {

namespace {

enum Status { written = 0, failed = 1, usage = 2 };

constexpr int fullChroma = 1; // 4:4:4: no colour smearing across the modules' edges

void say(const std::string& text) {
    std::fputs((text + '\n').c_str(), stderr);
}

int fail(const std::string& message) {
    say(message);
    return failed;
}

using Failure = std::optional<std::string>; // what went wrong, in French; none when done

const char* const helpText =
    "Utilisation : lumo-razazu [LIEN]\n"
    "              lumo-razazu --output FICHIER [OPTION...] (LIEN | -)\n"
    "              lumo-razazu --batch LISTE --output MODÈLE [OPTION...]\n"
    "              lumo-razazu --print [IMPRIMANTE] [--output FICHIER] [OPTION...]\n"
    "                          (LIEN | - | --batch LISTE)\n"
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
    "  -s, --size MM         Largeur et hauteur d'un dessin SVG ou d'un QR-Code imprimé en\n"
    "                        millimètres, de 5 à 1000 (par défaut : la taille de l'image de la\n"
    "                        fenêtre imprimée à 96 ppp).\n"
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
    "      --print [IMPRIMANTE]  Imprime le QR-Code sur IMPRIMANTE, ou l'imprimante par défaut,\n"
    "                        avec ou sans --output ; ceux d'une liste vont en un seul travail,\n"
    "                        un par page.\n"
    "  -h, --help            Affiche cette aide.\n"
    "  -v, --version         Affiche la version.\n"
    "\n"
    "Arguments :\n"
    "  LIEN                  Le lien à encoder ; « - » le lit sur l'entrée standard.\n"
    "  --                    Ce qui suit est le lien, même s'il commence par « - ».\n";

// The file's extension, lower-cased, from the bytes after the last dot of the last name.
std::string extensionOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::size_t dot = path.rfind('.');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    if (dot == std::string::npos || dot <= nameStart)
        return {};
    std::string extension = path.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = char(c - 'A' + 'a');
    return extension;
}

// The length of the UTF-8 sequence at text[i], or 0 when it is none (overlong forms and
// surrogates included).
std::size_t utf8Sequence(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return k < text.size() ? static_cast<unsigned char>(text[k]) : 0u; };
    const unsigned c = byte(i);
    const auto follows = [&](std::size_t k, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(k) >= low && byte(k) <= high;
    };
    if (c < 0x80)
        return 1;
    if (c >= 0xC2 && c <= 0xDF)
        return follows(i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        const unsigned low = c == 0xE0 ? 0xA0 : 0x80, high = c == 0xED ? 0x9F : 0xBF;
        return follows(i + 1, low, high) && follows(i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        const unsigned low = c == 0xF0 ? 0x90 : 0x80, high = c == 0xF4 ? 0x8F : 0xBF;
        return follows(i + 1, low, high) && follows(i + 2) && follows(i + 3) ? 4 : 0;
    }
    return 0;
}

bool isUtf8(const std::string& bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8Sequence(bytes, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

bool allOf(const std::string& text, bool (*test)(char)) {
    return std::all_of(text.begin(), text.end(), test);
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// A whole number from low to high, written with digits only.
std::optional<int> number(const std::string& text, int low, int high) {
    if (text.empty() || text.size() > 3 || !allOf(text, isDigit))
        return std::nullopt;
    const int value = std::stoi(text);
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
                                  {"-v", "--version", false},   {"--print", "--print", false}};
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
    versionOption,
    printOption
};
// The options that only shape a file: without --output (or --print) they are a mistake.
constexpr OptionIndex fileOptions[] = {qualityOption, moduleOption, sizeOption,      eccOption,
                                       marginOption,  foregroundOption, backgroundOption, batchOption};
// Those a printed code has no use for.
constexpr OptionIndex pictureOptions[] = {qualityOption, moduleOption};

Request wrong(const std::string& error, int status = usage) {
    Request request;
    request.kind = Request::Kind::Wrong;
    request.error = error;
    request.status = status;
    return request;
}

std::string quoted(const std::string& text) {
    return "« " + text + " »";
}

// Millimetres: digits with at most two decimals after a point or a comma.
std::optional<double> millimetres(std::string text, double low, double high) {
    std::replace(text.begin(), text.end(), ',', '.');
    const std::size_t point = text.find('.');
    if (text.empty() || !allOf(text, [](char c) { return isDigit(c) || c == '.'; }) ||
        (point != std::string::npos && (text.find('.', point + 1) != std::string::npos || text.size() - point - 1 > 2)))
        return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<unsigned> colour(std::string text) {
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    if (text.size() != 6 || !allOf(text, [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }))
        return std::nullopt;
    return unsigned(std::stoul(text, nullptr, 16));
}

// Relative luminance of an sRGB colour, as contrast ratios are reckoned.
double luminance(unsigned rgb) {
    const auto linear = [](unsigned channel) {
        const double c = channel / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(rgb >> 16 & 0xff) + 0.7152 * linear(rgb >> 8 & 0xff) + 0.0722 * linear(rgb & 0xff);
}

std::string hex(unsigned rgb, const char* format) {
    char text[8];
    std::snprintf(text, sizeof text, format, rgb & 0xffffff);
    return text;
}

std::string colourName(unsigned rgb) {
    return "#" + hex(rgb, "%06x");
}

// The checks that need the whole line: what the options give depends on the target's format.
Request checked(Request request, const std::optional<std::string> (&given)[std::size(options)],
                const std::vector<std::string>& links) {
    const std::optional<std::string>& output = given[outputOption];
    const std::optional<std::string>& quality = given[qualityOption];
    const std::optional<std::string>& module = given[moduleOption];
    const std::optional<std::string>& batch = given[batchOption];
    const bool printing = given[printOption].has_value();
    const auto onlyWithOutput = [](OptionIndex index) {
        return wrong("L'option « " + std::string(options[index].longName) + " » ne sert qu'avec --output FICHIER.");
    };
    if (!output && !printing) {
        for (const OptionIndex index : fileOptions)
            if (given[index])
                return onlyWithOutput(index);
        if (links.size() > 1)
            return wrong("Un seul lien à la fois : mettez entre guillemets un lien qui contient des espaces.");
        return wrong("Indiquez le fichier à écrire : --output FICHIER.");
    }
    if (!output)
        for (const OptionIndex index : pictureOptions)
            if (given[index])
                return onlyWithOutput(index);
    if (batch) {
        if (!links.empty())
            return wrong("Avec --batch, les liens viennent de la liste : n'en donnez pas d'autre.");
        if (batch->empty())
            return wrong("Indiquez la liste de liens : --batch LISTE, ou « - » pour l'entrée standard.");
        if (output && output->find("{n}") == std::string::npos && output->find("{}") == std::string::npos)
            return wrong("Avec --batch, le nom de --output contient {n} ou {} pour nommer chaque fichier.");
    } else if (links.size() != 1) {
        return wrong(links.empty() ? "Indiquez un lien, ou « - » pour le lire sur l'entrée standard."
                                   : "Un seul lien à la fois.");
    }
    const std::string extension = output ? extensionOf(*output) : std::string();
    if (output && extension != "png" && extension != "svg" && extension != "bmp" && extension != "jpg" &&
        extension != "jpeg")
        return wrong(quoted(shownText(*output)) + " : l'extension dit le format, .png, .svg, .bmp, .jpg ou .jpeg.");
    if (quality) {
        if (extension != "jpg" && extension != "jpeg")
            return wrong("L'option « --quality » ne vaut que pour un fichier JPEG (.jpg ou .jpeg).");
        const std::optional<int> value = number(*quality, 20, 100);
        if (!value)
            return wrong("La qualité va de 20 à 100.");
        request.quality = *value;
    }
    if (module) {
        if (extension == "svg")
            return wrong("L'option « --module » ne vaut pas pour un dessin SVG, qui n'a pas de pixels.");
        request.module = number(*module, 1, 100);
        if (!request.module)
            return wrong("Les pixels par module vont de 1 à 100.");
    }
    if (const auto& size = given[sizeOption]) {
        // A printed code takes it as its side.
        if (extension != "svg" && !printing)
            return wrong("L'option « --size » ne vaut que pour un dessin SVG ; une image se règle avec --module.");
        request.size = millimetres(*size, 5, 1000);
        if (!request.size)
            return wrong("La taille va de 5 à 1000 mm.");
    }
    if (const auto& ecc = given[eccOption]) {
        const char* levels = "LMQH";
        const char* level = ecc->size() == 1 ? std::strchr(levels, std::toupper(static_cast<unsigned char>((*ecc)[0]))) : nullptr;
        if (!level || *level == '\0')
            return wrong("Le niveau de correction est L, M, Q ou H.");
        request.level = int(level - levels) + 1;
    }
    if (const auto& margin = given[marginOption]) {
        const std::optional<int> value = number(*margin, 0, 40);
        if (!value)
            return wrong("La marge va de 0 à 40 modules.");
        request.margin = *value;
    }
    for (const OptionIndex index : {foregroundOption, backgroundOption}) {
        if (!given[index])
            continue;
        const std::optional<unsigned> value = colour(*given[index]);
        if (!value)
            return wrong("La couleur de « " + std::string(options[index].longName) +
                         " » s'écrit RRVVBB en hexadécimal, par exemple 1A2B3C.");
        (index == foregroundOption ? request.foreground : request.background) = *value;
    }
    // Readers look for dark modules on a light ground, distinct enough.
    const double dark = luminance(request.foreground), light = luminance(request.background);
    const double ratio = (light + 0.05) / (dark + 0.05);
    if (ratio < 3) {
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.2f", std::floor(ratio * 100) / 100);
        std::string decimal = shown;
        std::replace(decimal.begin(), decimal.end(), '.', ',');
        return wrong("Les couleurs " + hex(request.foreground, "%06X") + " sur " + hex(request.background, "%06X") +
                     " ne se lisent pas : il faut des modules foncés sur un fond clair, avec un contraste de "
                     "luminance d'au moins 3:1 (ici " + decimal + ":1).");
    }
    request.kind = Request::Kind::Write;
    request.output = output;
    request.print = given[printOption];
    if (batch)
        request.batch = *batch;
    else
        request.link = links.front();
    return request;
}

// Where the window's picture (201 pixels square, the symbol centred) or, with a module size, the
// symbol at that size inside its quiet zone puts the modules.
Layout layoutOf(const Symbol& symbol, const Request& request) {
    const int width = symbol.width;
    const int span = width + 2 * request.margin;
    const int scale = request.module ? *request.module : std::max(1, QRCL_PICTURE_LIMIT / span);
    const int side = request.module ? span * scale : std::max(QRCL_PICTURE_LIMIT, span * scale);
    return {side, scale, (side - width * scale) / 2};
}

// The picture of layoutOf. Empty when memory runs out.
Picture draw(const Symbol& symbol, const Request& request) {
    const int width = symbol.width;
    const auto [side, scale, margin] = layoutOf(symbol, request);
    Picture picture;
    try {
        picture.pixels.assign(std::size_t(side) * std::size_t(side), request.background);
    } catch (const std::bad_alloc&) {
        return picture;
    }
    picture.width = picture.height = side;
    for (int y = 0; y < width; ++y) {
        std::uint32_t* row = picture.pixels.data() + std::size_t(margin + y * scale) * side + margin;
        for (int x = 0; x < width; ++x)
            if (symbol.modules[std::size_t(y) * width + x])
                std::fill_n(row + x * scale, scale, request.foreground);
        // The module's other pixel rows repeat its first.
        for (int copy = 1; copy < scale; ++copy)
            std::copy_n(row, width * scale, row + std::size_t(copy) * side);
    }
    return picture;
}

// The symbol as an SVG drawing in units of modules, quiet zone included, each row's dark runs as
// rectangles of one path. Its natural size is that of the window's picture printed at 96 dpi.
std::string drawing(const Symbol& symbol, const Request& request) {
    const int width = symbol.width;
    const int span = width + 2 * request.margin;
    const double size = request.size ? *request.size
                                     : std::round(span * std::max(1, QRCL_PICTURE_LIMIT / (width + 8)) * 25400.0 / 96) / 1000;
    const std::string side = std::to_string(span);
    char mm[32];
    std::snprintf(mm, sizeof mm, "%.3fmm", size);
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" + std::string(mm) +
                      "\" height=\"" + mm + "\" viewBox=\"0 0 " + side + " " + side +
                      "\" shape-rendering=\"crispEdges\">\n<rect width=\"" + side + "\" height=\"" + side +
                      "\" fill=\"" + colourName(request.background) + "\"/>\n<path fill=\"" +
                      colourName(request.foreground) + "\" d=\"";
    for (int y = 0; y < width; ++y) {
        bool any = false;
        for (int x = 0; x < width;) {
            if (!symbol.modules[std::size_t(y) * width + x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && symbol.modules[std::size_t(y) * width + x])
                ++x;
            const std::string run = std::to_string(x - start);
            svg += "M" + std::to_string(start + request.margin) + " " + std::to_string(y + request.margin) + "h" + run +
                   "v1h-" + run + "z";
            any = true;
        }
        if (any)
            svg += "\n";
    }
    return svg + "\"/>\n</svg>\n";
}

// Standard input, read no further than the largest text a code holds and a final line break;
// false when more comes.
bool readInput(std::istream& input, std::string& text) {
    constexpr std::size_t limit = exporting::maxQrDigits + 2;
    text.assign(limit + 1, '\0');
    input.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(input.gcount()));
    if (text.size() > limit)
        return false;
    if (!text.empty() && text.back() == '\n')
        text.resize(text.size() - (text.size() >= 2 && text[text.size() - 2] == '\r' ? 2 : 1));
    return true;
}

std::string cannotWriteFile(const std::string& path, int error) {
    return "Impossible d'écrire le fichier « " + shownText(path) + " ».\n" + host::systemCause(error);
}

std::string encoderFailure(int code, int systemError, const std::string& link, const std::string& target) {
    return exporting::encoderFailureMessage(code, systemError, shownText(link), shownText(target));
}

// The symbol of text, or what went wrong.
Failure encode(CommandServices& services, const Request& request, const std::string& text, const std::string& target,
               Symbol& symbol) {
    // A NUL would end the text early on its way to the encoder.
    if (text.find('\0') != std::string::npos)
        return encoderFailure(QRCL_ERR_NUL, 0, text, target);
    symbol = services.encodeSymbol(text, request.level);
    if (symbol.code == QRCL_ERR_TOO_LONG && request.level != 0 &&
        services.encodeSymbol(text, QRCL_SYMBOL_DEFAULTS).code == QRCL_OK)
        return "Le lien est trop long pour un QR-Code au niveau de correction " +
               std::string(1, "LMQH"[request.level - 1]) + " : choisissez un niveau plus bas.";
    if (symbol.code != QRCL_OK)
        return encoderFailure(symbol.code, symbol.systemError, text, target);
    return std::nullopt;
}

// A symbol made ready for its file: the file's bytes, or for a JPEG the picture the converter
// takes. Made on any thread.
struct Rendered {
    bool jpeg = false;
    std::string bytes;
    Picture picture;
};

Failure render(const Request& request, const Symbol& symbol, const std::string& output, Rendered& rendered) {
    const std::string extension = extensionOf(output);
    if (extension == "svg") {
        rendered.bytes = drawing(symbol, request);
    } else if (extension == "png") {
        rendered.bytes = pngBytes(symbol, layoutOf(symbol, request), request.background, request.foreground);
    } else {
        rendered.picture = draw(symbol, request);
        rendered.jpeg = extension == "jpg" || extension == "jpeg";
        if (!rendered.jpeg && !rendered.picture.pixels.empty())
            rendered.bytes = bmpBytes(rendered.picture);
        if (rendered.jpeg && !rendered.picture.pixels.empty())
            return std::nullopt;
    }
    if (rendered.bytes.empty())
        return "Le fichier « " + shownText(output) + " » n'a pas pu être écrit.\nMémoire insuffisante.";
    return std::nullopt;
}

// Writes what was rendered at output, or with staged, stages it there to be published with others.
Failure writeRendered(CommandServices& services, const Request& request, const Rendered& rendered,
                      const std::string& output, lumo::StagedWrites* staged = nullptr) {
    const std::string target = shownText(output);
    // Copies of the tool writing the same file take turns, as the window does with its own.
    const auto takeTurn = [&] {
        try {
            return services.lockFile(output);
        } catch (const host::PlainFailure& failure) { // the person's file, not a working file
            throw host::PlainFailure("Impossible d'écrire le fichier « " + target + " ».", failure.reason());
        }
    };
    const auto cannotWrite = [&](const std::string& reason) {
        return "Le fichier « " + target + " » n'a pas pu être écrit.\n" + reason;
    };
    if (rendered.jpeg) {
        const host::DeferredInterrupts deferred;
        const auto lock = takeTurn();
        const LibraryResult result = services.writeJpeg(rendered.picture, output, request.quality, fullChroma);
        if (result.code == LIBJ_ERR_WRITE)
            return cannotWrite(host::systemCause(result.systemError));
        return result.code == LIBJ_OK ? Failure() : cannotWrite("La compression JPEG a échoué.");
    }
    if (staged) {
        const int error = staged->stage(output.c_str(),
                                        {reinterpret_cast<const std::uint8_t*>(rendered.bytes.data()),
                                         rendered.bytes.size()},
                                        lumo::Links::WriteThrough);
        return error ? Failure(cannotWriteFile(output, error)) : Failure();
    }
    const host::DeferredInterrupts deferred;
    const auto lock = takeTurn();
    services.writeFile(output, rendered.bytes);
    return std::nullopt;
}

// Every code of the run in one print job. Returns what went wrong.
Failure print(CommandServices& services, const Request& request, const std::vector<Symbol>& symbols) {
    std::vector<LumoPrintCode> codes;
    for (const Symbol& symbol : symbols)
        codes.push_back({symbol.modules.data(), symbol.width});
    const LumoPrintJob job{request.print->empty() ? nullptr : request.print->c_str(),
                           codes.data(),
                           int(codes.size()),
                           request.margin,
                           request.foreground,
                           request.background,
                           request.size.value_or(0),
                           lumo::build::titleText};
    std::string reason;
    if (services.printCodes(job, reason) != 0)
        return reason;
    return std::nullopt;
}

int writeCode(CommandServices& services, const Request& request, std::istream& input) {
    std::string text = *request.link;
    const std::string target = request.output.value_or(std::string());
    if (text == "-" && !readInput(input, text))
        return fail(encoderFailure(QRCL_ERR_TOO_LONG, 0, text, target));
    if (request.margin < 4)
        say("Note : une marge de moins de 4 modules peut gêner certains lecteurs.");
    try {
        Symbol symbol;
        Rendered rendered;
        Failure failure = encode(services, request, text, target, symbol);
        if (!failure && request.output)
            failure = render(request, symbol, *request.output, rendered);
        if (!failure && request.output)
            failure = writeRendered(services, request, rendered, *request.output);
        if (!failure && request.print)
            failure = print(services, request, {symbol});
        return failure ? fail(*failure) : written;
    } catch (const host::PlainFailure& failure) {
        return fail(failure.message());
    }
}

// A line's text as one file name: no folder, no hidden file, nothing a terminal would act on,
// within the length file systems take.
std::string safeName(const std::string& text) {
    constexpr std::size_t longest = 120;
    std::string name = text.substr(0, longest);
    // Cut on a character's first byte, never inside it.
    if (name.size() < text.size())
        while (!name.empty() && (static_cast<unsigned char>(text[name.size()]) & 0xC0) == 0x80)
            name.pop_back();
    for (std::size_t i = 0; i < name.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c == '/' || c < 0x20 || c == 0x7F)
            name[i] = '_';
        else if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                 static_cast<unsigned char>(name[i + 1]) <= 0x9F)
            name.replace(i, 2, "_"); // U+0080 to U+009F, controls too
    }
    for (std::size_t i = 0; i < name.size() && name[i] == '.'; ++i)
        name[i] = '_';
    return name;
}

// The links of a batch, one a line, with their line numbers; empty lines are skipped. Bounded, so
// an endless input is refused rather than filling memory.
struct Batch {
    std::vector<std::pair<int, std::string>> lines;
    int lastLine = 0;
    std::optional<std::string> error;
};
Batch readBatch(std::istream& input) {
    constexpr std::size_t limit = 64 * 1024 * 1024;
    Batch batch;
    std::string line;
    std::size_t total = 0;
    while (std::getline(input, line)) {
        ++batch.lastLine;
        total += line.size() + 1;
        if (total > limit || batch.lastLine > 100000) {
            batch.error = "La liste de liens dépasse 100 000 lignes ou 64 Mo.";
            return batch;
        }
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty())
            batch.lines.emplace_back(batch.lastLine, line);
    }
    return batch;
}

void replaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::string targetOf(const std::string& pattern, int line, int lastLine, const std::string& text) {
    std::string number = std::to_string(line);
    number.insert(0, std::to_string(lastLine).size() - number.size(), '0');
    std::string target = pattern;
    replaceAll(target, "{n}", number);
    if (target.find("{}") != std::string::npos)
        replaceAll(target, "{}", safeName(text));
    return target;
}

// A line of a batch made ready: its symbol and what its file takes, or what went wrong.
struct Made {
    Failure failure;
    Symbol symbol;
    Rendered rendered;
    std::exception_ptr error; // thrown while making it, thrown again where it is used
};

// Makes the lines of a batch on every core, no further than a bounded stretch ahead of their use,
// and hands them over in line order. Encoding and drawing are most of a batch's time; the files
// are still written one after the other, in order, by the caller.
class LineMaker {
public:
    LineMaker(CommandServices& services, const Request& request, const Batch& batch, std::vector<std::string> targets)
        : m_services(services), m_request(request), m_batch(batch), m_targets(std::move(targets)),
          m_made(batch.lines.size()), m_done(batch.lines.size(), false) {
        // The first line on the caller's thread: the libraries are bound before any thread starts.
        if (m_made.empty())
            return;
        make(0);
        m_done[0] = true;
        if (m_made.size() < 8) // not worth a thread
            return;
        // The threads start with interrupts blocked and keep them so: an interrupt always lands on
        // the caller's thread, which defers it while it writes.
        const host::DeferredInterrupts deferred;
        const unsigned cores = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
        for (unsigned i = 0; i < cores; ++i)
            m_threads.emplace_back([this] { work(); });
    }
    LineMaker(const LineMaker&) = delete;
    LineMaker& operator=(const LineMaker&) = delete;
    ~LineMaker() {
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_stop = true;
        }
        m_room.notify_all();
        for (std::thread& thread : m_threads)
            thread.join();
    }

    // Line i, once made; each is taken once, in order.
    Made take(std::size_t i) {
        if (m_threads.empty()) {
            if (!m_done[i])
                make(i);
        } else {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_ready.wait(lock, [&] { return bool(m_done[i]); });
        }
        Made made = std::move(m_made[i]);
        {
            const std::lock_guard<std::mutex> lock(m_mutex);
            m_taken = i + 1;
        }
        m_room.notify_all();
        return made;
    }

private:
    static constexpr std::size_t ahead = 64; // lines made and not yet taken, at most

    void work() {
        for (;;) {
            std::size_t i = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_room.wait(lock, [&] { return m_stop || m_next >= m_made.size() || m_next < m_taken + ahead; });
                if (m_stop || m_next >= m_made.size())
                    return;
                i = m_next++;
            }
            make(i);
            {
                const std::lock_guard<std::mutex> lock(m_mutex);
                m_done[i] = true;
            }
            m_ready.notify_all();
        }
    }

    void make(std::size_t i) {
        Made& made = m_made[i];
        try {
            const std::string& text = m_batch.lines[i].second;
            made.failure = encode(m_services, m_request, text, m_targets[i], made.symbol);
            if (!made.failure && m_request.output)
                made.failure = render(m_request, made.symbol, m_targets[i], made.rendered);
        } catch (...) {
            made.error = std::current_exception();
        }
    }

    CommandServices& m_services;
    const Request& m_request;
    const Batch& m_batch;
    const std::vector<std::string> m_targets;
    std::vector<Made> m_made;
    std::vector<bool> m_done;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_ready, m_room;
    std::size_t m_next = 1, m_taken = 0; // the first line is the caller's
    bool m_stop = false;
};

int writeBatch(CommandServices& services, const Request& request, std::istream& input) {
    Batch batch;
    if (*request.batch == "-") {
        batch = readBatch(input);
    } else {
        std::ifstream file(request.batch->c_str(), std::ios::binary);
        if (file)
            batch = readBatch(file);
        if (!file.is_open() || file.bad()) // a folder opens, and fails at the first read
            return fail("La liste de liens « " + shownText(*request.batch) + " » ne peut pas être lue.\n" +
                        host::systemCause(errno));
    }
    if (batch.error)
        return fail(*batch.error);
    if (request.margin < 4)
        say("Note : une marge de moins de 4 modules peut gêner certains lecteurs.");
    int status = written;
    const auto lineFailed = [&](int line, const std::string& failure) {
        say("Ligne " + std::to_string(line) + " : " + failure);
        status = failed;
    };
    std::unordered_map<std::string, int> writtenBy; // a file this run wrote, and the line that wrote it
    std::vector<Symbol> printed;
    // The files of many lines are published together; each still appears whole or not at all. No
    // lock is taken per file: nothing of a batch is seen before it is complete. Published before
    // the open files reach the system's usual limit.
    lumo::StagedWrites staged(lumo::Flush::WhenReplacing);
    std::vector<std::pair<int, std::string>> pending;
    const auto publish = [&] {
        const host::DeferredInterrupts deferred;
        const std::vector<int> errors = staged.publish();
        for (std::size_t i = 0; i < errors.size(); ++i)
            if (errors[i])
                lineFailed(pending[i].first, cannotWriteFile(pending[i].second, errors[i]));
        pending.clear();
    };
    try {
        std::vector<std::string> targets;
        targets.reserve(batch.lines.size());
        for (const auto& [line, text] : batch.lines)
            targets.push_back(request.output ? targetOf(*request.output, line, batch.lastLine, text) : "");
        LineMaker maker(services, request, batch, targets);
        for (std::size_t i = 0; i < batch.lines.size(); ++i) {
            const int line = batch.lines[i].first;
            const std::string& target = targets[i];
            Made made = maker.take(i);
            Failure failure;
            if (const auto earlier = writtenBy.find(target); request.output && earlier != writtenBy.end())
                failure = "le fichier « " + shownText(target) + " » vient d'être écrit pour la ligne " +
                          std::to_string(earlier->second) + " : il n'est pas remplacé.";
            else if (made.error)
                std::rethrow_exception(made.error);
            else
                failure = made.failure;
            if (!failure && request.output)
                failure = writeRendered(services, request, made.rendered, target, &staged);
            if (failure) {
                lineFailed(line, *failure);
                continue;
            }
            if (request.print)
                printed.push_back(std::move(made.symbol));
            if (!request.output)
                continue;
            writtenBy.emplace(target, line);
            if (staged.staged() > pending.size())
                pending.emplace_back(line, target);
            if (pending.size() == 500)
                publish();
        }
        publish();
        if (request.print && !printed.empty())
            if (const Failure failure = print(services, request, printed))
                return fail(*failure);
    } catch (const host::PlainFailure& failure) {
        return fail(failure.message());
    }
    return status;
}

} // namespace

std::string shownText(const std::string& bytes) {
    std::string shown;
    shown.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size();) {
        const std::size_t length = utf8Sequence(bytes, i);
        if (length == 0) {
            shown += "\xEF\xBF\xBD";
            ++i;
        } else {
            shown.append(bytes, i, length);
            i += length;
        }
    }
    return shown;
}

Request readArguments(int argc, const char* const* argv) {
    std::optional<std::string> given[std::size(options)];
    std::vector<std::string> links;
    std::optional<std::size_t> printWord; // the word after --print: its queue, or the link
    bool anyOption = false, linksOnly = false;
    const auto seeHelp = [](const std::string& error) { return wrong(error + "\nVoir « lumo-razazu --help »."); };
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
        const std::string name = equals ? std::string(argument, equals) : std::string(argument);
        const auto option = std::find_if(std::begin(options), std::end(options), [&](const OptionName& o) {
            return name == o.shortName || name == o.longName;
        });
        if (option == std::end(options))
            return seeHelp("Option inconnue : " + quoted(shownText(argument)) + ".");
        const int index = int(option - std::begin(options));
        if (given[index])
            return seeHelp("L'option « " + name + " » est donnée deux fois.");
        if (index == printOption) {
            // Its queue is optional: "--print=QUEUE", or the next word when the link comes otherwise.
            given[index] = equals ? std::string(equals + 1) : std::string();
            if (!equals && i + 1 < argc && argv[i + 1][0] != '-') {
                printWord = links.size();
                links.emplace_back(argv[++i]);
            }
        } else if (!option->takesValue) {
            if (equals)
                return seeHelp("L'option « " + name + " » ne prend pas de valeur.");
            given[index] = std::string();
        } else if (equals) {
            given[index] = std::string(equals + 1);
        } else if (i + 1 < argc) {
            given[index] = std::string(argv[++i]);
        } else {
            return seeHelp("L'option « " + name + " » attend une valeur.");
        }
    }
    if (printWord && (links.size() > 1 || given[batchOption])) {
        given[printOption] = links[*printWord];
        links.erase(links.begin() + std::ptrdiff_t(*printWord));
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
            return wrong(exporting::encoderFailureMessage(QRCL_ERR_ENCODING, 0, {}, {}), failed);
        if (!links.empty())
            request.link = links.front();
        return request;
    }
    request = checked(request, given, links);
    if (request.kind == Request::Kind::Wrong)
        request.error += "\nVoir « lumo-razazu --help ».";
    return request;
}

int runWithoutWindow(CommandServices& services, const Request& request, std::istream& input) {
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
        return request.batch ? writeBatch(services, request, input) : writeCode(services, request, input);
    case Request::Kind::Window:
        break;
    }
    return usage;
}

} // namespace app
