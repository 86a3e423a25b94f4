#include "EncoderMessages.h"

#include "NativePlatform.h"
#include "QRCodeLib.h"
#include "SystemCause.h"

#include <algorithm>

namespace exporting {

namespace {

enum class TextClass { Digits, Alphanumeric, Ascii, Other };

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlphanumeric(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || std::string_view(" $%*+-./:").find(c) != std::string_view::npos;
}

TextClass classOf(std::string_view utf8) {
    if (std::all_of(utf8.begin(), utf8.end(), isDigit))
        return TextClass::Digits;
    if (std::all_of(utf8.begin(), utf8.end(), isAlphanumeric))
        return TextClass::Alphanumeric;
    if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return c > 0; }))
        return TextClass::Ascii;
    return TextClass::Other;
}

int limitOf(TextClass textClass) {
    switch (textClass) {
    case TextClass::Digits:
        return maxQrDigits;
    case TextClass::Alphanumeric:
        return maxQrAlphanumeric;
    case TextClass::Ascii:
        return maxQrAsciiBytes;
    default:
        return maxQrUtf8Bytes;
    }
}

} // namespace

int qrCapacity(std::string_view utf8) {
    return limitOf(classOf(utf8));
}

std::string encoderFailureMessage(int code, int systemError, std::string_view link, const std::string& path) {
    switch (code) {
    case QRCL_ERR_TOO_LONG: {
        // Characters as a person counts them: an emoji is one.
        const auto characters = std::count_if(link.begin(), link.end(), [](char c) { return (c & 0xC0) != 0x80; });
        const std::string counted = "Le lien est trop long pour un QR-Code : il compte " + std::to_string(characters) +
                                    " caractères";
        const TextClass textClass = classOf(link);
        if (textClass == TextClass::Digits)
            return counted + ".\nUn QR-Code contient au plus " + std::to_string(maxQrDigits) + " chiffres.";
        if (textClass == TextClass::Alphanumeric)
            return counted + ".\nUn QR-Code contient au plus " + std::to_string(maxQrAlphanumeric) +
                   " caractères d'un tel texte (chiffres, majuscules sans accent, espace et $%*+-./: seulement).";
        return counted + " (" + std::to_string(link.size()) + " octets).\nUn QR-Code contient au plus " +
               std::to_string(limitOf(textClass)) + " octets d'un tel texte.";
    }
    case QRCL_ERR_WRITE:
        return "Le QR-Code n'a pas pu être écrit dans le fichier « " + host::platform::shownPath(path) + " ».\n" +
               host::systemCause(systemError);
    case QRCL_ERR_EMPTY:
        return "Le lien est vide : il n'y a rien à encoder.";
    case QRCL_ERR_NUL:
        return "Le lien contient un caractère nul : il ne peut pas être encodé.";
    case QRCL_ERR_ENCODING:
        return "Le lien contient un caractère invalide : il ne peut pas être encodé.";
    default:
        return "Le QR-Code n'a pas pu être créé : mémoire insuffisante ou erreur interne.";
    }
}

} // namespace exporting
