#include "EncoderFailure.h"

#include "QRCodeLib.h"
#include "SystemReason.h"

#include <QDir>
#include <algorithm>

namespace exporting {

namespace {

enum class TextClass { Digits, Alphanumeric, Ascii, Other };

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isAlphanumeric(char c) {
    return isDigit(c) || (c >= 'A' && c <= 'Z') || QByteArrayView(" $%*+-./:").contains(c);
}

TextClass classOf(const QByteArray& utf8) {
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

int qrCapacity(const QByteArray& utf8) {
    return limitOf(classOf(utf8));
}

QString encoderFailureText(host::LibraryResult result, const QString& link, const QString& path) {
    switch (result.code) {
    case QRCL_ERR_TOO_LONG: {
        // Characters as a person counts them: an emoji is one.
        const QString counted = QStringLiteral("Le lien est trop long pour un QR-Code : il compte %1 caractères")
                                    .arg(link.toUcs4().size());
        const QByteArray utf8 = link.toUtf8();
        const TextClass textClass = classOf(utf8);
        if (textClass == TextClass::Digits)
            return counted + QStringLiteral(".\nUn QR-Code contient au plus %1 chiffres.").arg(maxQrDigits);
        if (textClass == TextClass::Alphanumeric)
            return counted +
                   QStringLiteral(".\nUn QR-Code contient au plus %1 caractères d'un tel texte "
                                  "(chiffres, majuscules sans accent, espace et $%*+-./: seulement).")
                       .arg(maxQrAlphanumeric);
        return counted + QStringLiteral(" (%1 octets).\nUn QR-Code contient au plus %2 octets d'un tel texte.")
                             .arg(utf8.size())
                             .arg(limitOf(textClass));
    }
    case QRCL_ERR_WRITE:
        return QStringLiteral("Le QR-Code n'a pas pu être écrit dans le fichier « %1 ».\n%2")
            .arg(QDir::toNativeSeparators(path), host::systemReason(result.systemError));
    case QRCL_ERR_EMPTY:
        return QStringLiteral("Le lien est vide : il n'y a rien à encoder.");
    case QRCL_ERR_NUL:
        return QStringLiteral("Le lien contient un caractère nul : il ne peut pas être encodé.");
    case QRCL_ERR_ENCODING:
        return QStringLiteral("Le lien contient un caractère invalide : il ne peut pas être encodé.");
    default:
        return QStringLiteral("Le QR-Code n'a pas pu être créé : mémoire insuffisante ou erreur interne.");
    }
}

} // namespace exporting
