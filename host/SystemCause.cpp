#include "SystemCause.h"

#include "AtomicWrite.h"
#include "NativePlatform.h"

#include <cerrno>

namespace host {

const char* systemCause(int errnum) {
    switch (errnum) {
    case EACCES:
    case EPERM:
        return "Droits insuffisants.";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "Disque plein.";
    case EROFS:
        return "Support en lecture seule.";
    case ENOENT:
    case ENOTDIR:
        return "Dossier absent.";
    case EISDIR:
        return "Un dossier porte ce nom.";
    case ENAMETOOLONG:
        return "Nom de fichier trop long.";
    case ELOOP:
        return "Trop de liens symboliques à suivre.";
    case EBUSY:
    case ETXTBSY:
        return "Fichier occupé.";
    case EIO:
        return "Erreur de lecture ou d'écriture du support.";
    case ENOMEM:
        return "Mémoire insuffisante.";
    case EFBIG:
        return "Fichier trop grand pour ce support.";
    case EMFILE:
    case ENFILE:
        return "Trop de fichiers ouverts.";
    case lumo::kNotRegularFile:
        return "Ce n'est pas un fichier ordinaire.";
    case EXDEV:
        return "Le fichier et son lien sont sur deux supports différents.";
    default:
        return "Le système a refusé l'opération.";
    }
}

std::string folderCause(const std::string& folder) {
    return systemCause(platform::folderErrorOf(folder));
}

} // namespace host
