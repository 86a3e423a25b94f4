#include "SaveCommand.h"

#include "EncoderFailure.h"
#include "Lumo_Image_BmpJpg.h"
#include "Naming.h"
#include "NumericValue.h"
#include "QRCodeLib.h"
#include "SymbolPicture.h"
#include "SystemReason.h"

#include <QDir>
#include <optional>

namespace exporting {

namespace {

const QString captionPrefix = QStringLiteral("Lumo-RAZazu : ");
const QString tempName = QStringLiteral("Temp.bmp");
constexpr int typeCustom = 5;
// 4:4:4 sampling: colour at full resolution keeps the choices edges sharp.
constexpr int fullChroma = 1;

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

int fixedQuality(int typeIndex) {
    switch (typeIndex) {
    case 2:
        return 100;
    case 3:
        return 80;
    default:
        return 50;
    }
}

// The typed ratio: its leading number, rounded half to even; anything outside 20..100 is 100.
int ratioOf(const QString& answer) {
    const double ratio = roundHalfEven(numericValue(answer));
    if (!(ratio >= 20.0 && ratio <= 100.0)) // also catches infinities
        return 100;
    return static_cast<int>(ratio);
}

// The typed ratio, or nothing when the person cancels the question.
std::optional<int> askRatio(host::Host& host, SaveChoices& choices, const QString& title) {
    if (choices.lastRatio.isEmpty())
        choices.lastRatio = QStringLiteral("100");
    const std::optional<QString> answer = host.askText(
        QStringLiteral("Indiquez le ratio de compression (20-100)") + QStringLiteral(" pour le fichier ") + title +
            QStringLiteral("."),
        QStringLiteral("Valeur du ratio de compression"), choices.lastRatio);
    if (!answer)
        return std::nullopt;
    // An empty answer gives quality 100, and "100" is offered again next time.
    choices.lastRatio = *answer;
    return ratioOf(choices.lastRatio);
}

// The typed side of a picture of a chosen size, or nothing when the person cancels the question.
std::optional<int> askSide(host::Host& host, SaveChoices& choices) {
    constexpr int smallest = 21, largest = 8192;
    if (choices.lastSide.isEmpty())
        choices.lastSide = QStringLiteral("1024");
    const std::optional<QString> answer = host.askText(QStringLiteral("Taille de l'image en pixels"),
                                                       QStringLiteral("Taille de l'image"), choices.lastSide);
    if (!answer)
        return std::nullopt;
    choices.lastSide = *answer; // offered again, to be corrected if wrong
    const double side = roundHalfEven(numericValue(*answer));
    if (!(side >= smallest && side <= largest))
        throw host::Failure(QStringLiteral("La taille de l'image est un nombre de pixels de %1 à %2 : « %3 » n'en est "
                                           "pas un.")
                                .arg(smallest)
                                .arg(largest)
                                .arg(answer->trimmed()));
    return static_cast<int>(side);
}

// The code drawn again from the link at the chosen size: whole pixels per module, never scaled.
QImage sizedPicture(host::Host& host, const QString& link, const QString& target, int side) {
    const host::Symbol symbol = host.encodeSymbol(link.toUtf8(), QRCL_SYMBOL_DEFAULTS);
    if (symbol.result.code != 0)
        throw host::Failure(encoderFailureText(symbol.result, link, target));
    if (side < smallestSide(symbol))
        throw host::Failure(QStringLiteral("Une image de %1 pixels est trop petite pour ce QR-Code : il lui en faut "
                                           "au moins %2.")
                                .arg(side)
                                .arg(smallestSide(symbol)));
    const QImage picture = symbolPicture(symbol, side);
    if (picture.isNull())
        throw host::Failure(QStringLiteral("Mémoire insuffisante."));
    return picture;
}

QString converterReason(host::LibraryResult result, int quality) {
    switch (result.code) {
    case LIBJ_ERR_READ_BMP:
        return result.systemError ? QStringLiteral("L'image temporaire n'a pas pu être relue : %1")
                                        .arg(host::systemReason(result.systemError))
                                  : QStringLiteral("L'image temporaire est illisible.");
    case LIBJ_ERR_QUALITY:
        return QStringLiteral("La qualité %1 a été refusée.").arg(quality);
    case LIBJ_ERR_WRITE:
        return host::systemReason(result.systemError);
    default:
        return QStringLiteral("La compression JPEG a échoué.");
    }
}

void removeIfThere(host::Host& host, const QString& path) {
    if (ordinaryFileExists(host, path))
        host.deleteFile(path);
}

// A failure after Temp.bmp was written: remove it if possible, and say so if not.
host::Failure withTempRemoved(host::Host& host, const QString& temp, const host::Failure& failure) {
    try {
        removeIfThere(host, temp);
        return failure;
    } catch (const host::Failure&) {
        const QString note = QStringLiteral("Le fichier temporaire « %1 » n'a pas pu être supprimé ; il le sera "
                                            "au prochain enregistrement JPEG.")
                                 .arg(shown(temp));
        return host::Failure(failure.whatFailed(),
                             failure.reason().isEmpty() ? note : failure.reason() + u'\n' + note);
    }
}

void setUpDialog(host::SaveDialog& dialog, SaveChoices& choices) {
    dialog.cancelThrows = true;
    if (choices.lastType == 0)
        choices.lastType = 1;
    dialog.typeIndex = choices.lastType;
    dialog.fileName = choices.lastFile;
    dialog.title = QStringLiteral("Enregistrer Sous");
    dialog.filter = saveFilter;
    dialog.flags = 0;
    dialog.flags = host::SaveDialog::askBeforeOverwrite;
}

// The naming steps may give a name other than the one the dialog asked about: a file there is
// replaced only when the person says so.
bool mayWrite(host::Host& host, const QString& target, const QString& asked, const QString& title) {
    if (target == asked || !host.exists(target))
        return true;
    return host.askYesNo(
        QStringLiteral("Le fichier « %1 » existe déjà. Voulez-vous le remplacer ?").arg(title),
        QStringLiteral("Enregistrer Sous"));
}

} // namespace

void convertToJpeg(host::Host& host, const QImage& picture, const QString& temp, const QString& target,
                   int quality) {
    // A Temp.bmp left by an earlier failed save goes first.
    removeIfThere(host, temp);
    // A working file: a link planted at its name is replaced, never followed.
    host.writePicture(picture, temp, host::PictureFormat::Bmp, lumo::Links::Replace);
    host::LibraryResult result;
    try {
        result = host.convertToJpeg(temp.toUtf8(), target.toUtf8(), quality, fullChroma);
    } catch (const host::Failure& failure) {
        throw withTempRemoved(host, temp, failure);
    }
    // The library leaves any earlier target untouched when it fails: that file must not be
    // taken for the new one.
    if (result.code != LIBJ_OK)
        throw withTempRemoved(host, temp,
                              host::Failure(QStringLiteral("La conversion en JPEG a échoué."),
                                            converterReason(result, quality)));
}

void saveCommand(host::Host& host, host::SaveDialog& dialog, SaveChoices& choices, SaveSite& site) {
    QString target;
    bool written = false; // the target holds the new file
    try {
        setUpDialog(dialog, choices);
        const SaveChoices before = choices; // what a Cancel leaves
        const auto cancel = [&] {
            choices = before;
            throw host::Cancelled();
        };
        host.chooseSaveFile(dialog);
        const int type = dialog.typeIndex;
        if (type < 1 || type > typeCount)
            throw host::Failure(QStringLiteral("Type de fichier inconnu : %1.").arg(type));
        choices.lastType = static_cast<qint16>(type);
        choices.lastFile = dialog.fileName;
        const QString folder = folderOf(dialog.fileName, dialog.fileTitle);
        const QString title = titleWithExtension(dialog.fileTitle, type);
        target = withTrailingSeparator(folder) + title;
        if (!mayWrite(host, target, dialog.fileName, title))
            cancel();

        if (type == typeBmp || type == typePng) {
            host.writePicture(site.renderedImage(), target,
                              type == typePng ? host::PictureFormat::Png : host::PictureFormat::Bmp,
                              lumo::Links::WriteThrough);
            written = true;
            if (type == typeBmp)
                site.setCaption(shown(target));
        } else if (type == typeSizedPng) {
            const std::optional<int> side = askSide(host, choices);
            if (!side)
                cancel();
            host.writePicture(sizedPicture(host, site.encodedLink(), target, *side), target, host::PictureFormat::Png,
                              lumo::Links::WriteThrough);
            written = true;
        } else if (type == typeSvg) {
            // A drawing, not a picture: the encoder draws it again from the link.
            const QString link = site.encodedLink();
            const host::LibraryResult result = host.encodeQrCodeSvg(link.toUtf8(), target.toUtf8());
            if (result.code != 0)
                throw host::Failure(encoderFailureText(result, link, target));
            written = true;
        } else {
            const std::optional<int> quality = type == typeCustom ? askRatio(host, choices, title)
                                                                  : fixedQuality(type);
            if (!quality)
                cancel();
            // The working folder is asked anew at each save: it may have changed since the last.
            const QString temp = withTrailingSeparator(host.workFolder()) + tempName;
            const auto lock = host.lockFile(temp); // another copy of the tool may be saving too
            convertToJpeg(host, site.renderedImage(), temp, target, *quality);
            written = true;
            removeIfThere(host, temp);
        }

        choices.lastFile = target;
        // A picture written is read back, so an unreadable one is reported. Only a BMP goes
        // into the preview: saving or printing again from a JPEG's losses would blur the code away.
        if (type != typeSvg) {
            const QImage readBack = host.loadPicture(choices.lastFile);
            if (type == typeBmp)
                site.setLoadedPicture(readBack);
        }
        site.setCaption(captionPrefix + title);
    } catch (const host::Cancelled&) {
        dialog.cancelThrows = false;
    } catch (const std::exception& error) {
        dialog.cancelThrows = false;
        const auto* failure = dynamic_cast<const host::Failure*>(&error);
        const QString reason = failure ? failure->message() : QString::fromLocal8Bit(error.what());
        QString text;
        if (target.isEmpty())
            text = QStringLiteral("Le QR-Code n'a pas pu être enregistré.");
        else if (!written)
            text = QStringLiteral("Le QR-Code n'a pas pu être enregistré dans le fichier « %1 ».").arg(shown(target));
        else
            text = QStringLiteral("Le fichier « %1 » a été écrit, mais l'enregistrement n'a pas pu être mené à "
                                  "son terme.")
                       .arg(shown(target));
        host.showMessage(text + u'\n' + reason, host::MessageKind::Critical, QStringLiteral("Erreur"));
    }
}

} // namespace exporting
