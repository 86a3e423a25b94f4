#include "SaveCommand.h"

#include "Lumo_Image_BmpJpg.h"
#include "Naming.h"
#include "NumericValue.h"
#include "SystemReason.h"

#include <QDir>
#include <optional>

namespace exporting {

namespace {

const QString captionPrefix = QStringLiteral("Lumo-RAZazu : ");
const QString tempName = QStringLiteral("Temp.bmp");
constexpr int typeCustom = 5;
// 4:4:4 sampling: colour at full resolution keeps the module edges sharp.
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
    const double ratio = host::roundHalfEven(host::numericValue(answer));
    if (!(ratio >= 20.0 && ratio <= 100.0)) // also catches infinities
        return 100;
    return static_cast<int>(ratio);
}

// The typed ratio, or nothing when the person cancels the question.
std::optional<int> askRatio(host::Host& host, Module1& module, const QString& title) {
    if (module.OldRatio.isEmpty())
        module.OldRatio = QStringLiteral("100");
    const std::optional<QString> answer = host.inputBox(
        QStringLiteral("Indiquez le ratio de compression (20-100)") + QStringLiteral(" pour le fichier ") + title +
            QStringLiteral("."),
        QStringLiteral("Valeur du ratio de compression"), module.OldRatio);
    if (!answer)
        return std::nullopt;
    // An empty answer gives quality 100, and "100" is offered again next time.
    module.OldRatio = *answer;
    return ratioOf(module.OldRatio);
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
    if (FileExists(host, path))
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

// Writes the picture as Temp.bmp in the working folder and has the library convert it to the
// target. Temp.bmp is left for the caller to remove after a success.
void convertToJpeg(host::Host& host, const QImage& picture, const QString& temp, const QString& target,
                   int quality) {
    // A Temp.bmp left by an earlier failed save goes first.
    removeIfThere(host, temp);
    // A working file: a link planted at its name is replaced, never followed.
    host.writeBmp(picture, temp, lumo::Links::Replace);
    host::LibraryResult result;
    try {
        result = host.liBmpToJpg(temp.toUtf8(), target.toUtf8(), quality, fullChroma);
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

void setUpDialog(host::CommonDialog& CMDialog1, Module1& module) {
    CMDialog1.CancelError = true;
    if (module.OldFiltre == 0)
        module.OldFiltre = 1;
    CMDialog1.FilterIndex = module.OldFiltre;
    CMDialog1.FileName = module.OldFichier;
    CMDialog1.DialogTitle = QStringLiteral("Enregistrer Sous");
    CMDialog1.Filter = saveFilter;
    CMDialog1.Flags = 0;
    CMDialog1.Flags = host::CommonDialog::cdlOFNOverwritePrompt;
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

void saveCommand(host::Host& host, host::CommonDialog& CMDialog1, Module1& module, SaveSite& site) {
    QString target;
    bool written = false; // the target holds the new file
    try {
        setUpDialog(CMDialog1, module);
        const Module1 before = module; // what a Cancel leaves
        const auto cancel = [&] {
            module = before;
            throw host::Cancelled();
        };
        host.showSave(CMDialog1);
        const int type = CMDialog1.FilterIndex;
        if (type < 1 || type > typeCount)
            throw host::Failure(QStringLiteral("Type de fichier inconnu : %1.").arg(type));
        module.OldFiltre = static_cast<qint16>(type);
        module.OldFichier = CMDialog1.FileName;
        const QString folder = folderOf(CMDialog1.FileName, CMDialog1.FileTitle);
        const QString title = titleWithExtension(CMDialog1.FileTitle, type);
        target = AddBackslash(folder) + title;
        if (!mayWrite(host, target, CMDialog1.FileName, title))
            cancel();

        if (type == typeBmp) {
            host.writeBmp(site.renderedImage(), target, lumo::Links::WriteThrough);
            written = true;
            site.setCaption(shown(target));
        } else {
            const std::optional<int> quality = type == typeCustom ? askRatio(host, module, title)
                                                                  : fixedQuality(type);
            if (!quality)
                cancel();
            // The working folder is asked anew at each save: it may have changed since the last.
            const QString temp = AddBackslash(host.workFolder()) + tempName;
            const auto lock = host.lockFile(temp); // another copy of the tool may be saving too
            convertToJpeg(host, site.renderedImage(), temp, target, *quality);
            written = true;
            removeIfThere(host, temp);
        }

        module.OldFichier = target;
        // The written file is read back, so an unreadable one is reported. A JPEG stays out of
        // the preview: saving or printing again from its losses would blur the code away.
        const QImage readBack = host.loadPicture(module.OldFichier);
        if (type == typeBmp)
            site.setLoadedPicture(readBack);
        site.setCaption(captionPrefix + title);
    } catch (const host::Cancelled&) {
        CMDialog1.CancelError = false;
    } catch (const std::exception& error) {
        CMDialog1.CancelError = false;
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
        host.messageBox(text + u'\n' + reason, host::vbCritical, QStringLiteral("Erreur"));
    }
}

} // namespace exporting
