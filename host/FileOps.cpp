#include "FileOps.h"

#include "Failure.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QLockFile>
#include <QSaveFile>

namespace host {

namespace {
QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

QImage readPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage picture = reader.read();
    if (picture.isNull())
        throw Failure(QStringLiteral("Impossible de lire l'image « %1 ».").arg(shown(path)), reader.errorString());
    return picture;
}

void writeBmpFile(const QImage& picture, const QString& path) {
    const auto fail = [&](const QString& reason) {
        throw Failure(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(shown(path)), reason);
    };
    if (QFileInfo(path).isDir())
        fail(QStringLiteral("Un dossier porte ce nom."));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(file.errorString());
    // 24-bit BMP: the form every viewer and the JPEG converter read.
    if (!picture.convertToFormat(QImage::Format_RGB32).save(&file, "BMP"))
        fail(file.error() != QFileDevice::NoError ? file.errorString() : QStringLiteral("Écriture BMP refusée."));
    if (!file.commit())
        fail(file.errorString());
}

QString firstOrdinaryFile(const QString& pattern) {
    const QFileInfo info(pattern);
    const QDir folder = info.dir();
    const QStringList names = folder.entryList({info.fileName()}, QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        const QFileInfo entry(folder.filePath(name));
        if (!entry.isHidden() && entry.isFile())
            return name;
    }
    return {};
}

void removeFile(const QString& path) {
    QFile file(path);
    if (!file.remove())
        throw Failure(QStringLiteral("Impossible de supprimer le fichier « %1 ».").arg(shown(path)),
                      file.errorString());
}

namespace {
class QtFileLock final : public FileLock {
public:
    explicit QtFileLock(const QString& path) : m_lock(path) {}
    QLockFile m_lock;
};
} // namespace

std::unique_ptr<FileLock> lockBeside(const QString& path) {
    const QFileInfo info(path);
    auto lock = std::make_unique<QtFileLock>(info.dir().filePath(QLatin1Char('.') + info.fileName() + ".lock"));
    if (!lock->m_lock.tryLock(10000)) {
        const QString reason = lock->m_lock.error() == QLockFile::LockFailedError
                                   ? QStringLiteral("Une autre copie de Lumo-RAZazu l'utilise.")
                                   : QStringLiteral("Le verrou ne peut pas être créé dans ce dossier.");
        throw Failure(QStringLiteral("Le fichier de travail « %1 » est occupé.").arg(shown(path)), reason);
    }
    return lock;
}

} // namespace host
