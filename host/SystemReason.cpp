#include "SystemReason.h"

#include "AtomicWrite.h"
#include "Platform.h"

#include <cerrno>

namespace host {

QString systemReason(int errnum) {
    switch (errnum) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Droits insuffisants.");
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return QStringLiteral("Disque plein.");
    case EROFS:
        return QStringLiteral("Support en lecture seule.");
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Dossier absent.");
    case EISDIR:
        return QStringLiteral("Un dossier porte ce nom.");
    case ENAMETOOLONG:
        return QStringLiteral("Nom de fichier trop long.");
    case ELOOP:
        return QStringLiteral("Trop de liens symboliques à suivre.");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("Fichier occupé.");
    case EIO:
        return QStringLiteral("Erreur de lecture ou d'écriture du support.");
    case ENOMEM:
        return QStringLiteral("Mémoire insuffisante.");
    case EFBIG:
        return QStringLiteral("Fichier trop grand pour ce support.");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("Trop de fichiers ouverts.");
    case lumo::kNotRegularFile:
        return QStringLiteral("Ce n'est pas un fichier ordinaire.");
    case EXDEV:
        return QStringLiteral("Le fichier et son lien sont sur deux supports différents.");
    default:
        return QStringLiteral("Le système a refusé l'opération.");
    }
}

QString folderReason(const QString& folder) {
    return systemReason(platform::folderError(folder));
}

} // namespace host
