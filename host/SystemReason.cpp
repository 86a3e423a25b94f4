#include "SystemReason.h"

#include "AtomicWrite.h"

#include <QDir>
#include <QFile>
#include <cerrno>

#include <sys/statvfs.h>
#include <unistd.h>

namespace host {

QString systemReason(int errnum) {
    switch (errnum) {
    case EACCES:
    case EPERM:
        return QStringLiteral("Droits insuffisants.");
    case ENOSPC:
    case EDQUOT:
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
    const QByteArray path = QFile::encodeName(folder);
    if (!QDir(folder).exists())
        return systemReason(ENOENT);
    struct statvfs fs {};
    if (::statvfs(path.constData(), &fs) == 0) {
        if (fs.f_flag & ST_RDONLY)
            return systemReason(EROFS);
        if (fs.f_bavail == 0 || (fs.f_files > 0 && fs.f_favail == 0))
            return systemReason(ENOSPC);
    }
    if (::access(path.constData(), W_OK | X_OK) != 0)
        return systemReason(errno);
    return systemReason(0);
}

} // namespace host
