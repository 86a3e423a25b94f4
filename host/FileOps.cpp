#include "FileOps.h"

#include "Failure.h"
#include "Platform.h"
#include "SystemReason.h"
#include "TurnLock.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QBuffer>
#include <cerrno>

namespace host {

namespace {
QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}
} // namespace

QImage readPicture(const QString& path) {
    if (path.isEmpty())
        return {};
    // Qt refuses pictures it counts at over 128 MB, at 4 bytes a pixel whatever their depth: the
    // 8192-pixel square PNGs the tool writes (8 MB in one bit a pixel) must read back.
    constexpr int largestPictureMb = 8192 * 8192 * 4 / (1024 * 1024);
    if (QImageReader::allocationLimit() < largestPictureMb)
        QImageReader::setAllocationLimit(largestPictureMb);
    QImageReader reader(path);
    reader.setAutoTransform(false);
    QImage picture = reader.read();
    if (picture.isNull())
        throw Failure(QStringLiteral("Impossible de lire l'image « %1 ».").arg(shown(path)), reader.errorString());
    return picture;
}

void writePictureFile(const QImage& picture, const QString& path, PictureFormat format, lumo::Links links) {
    const auto fail = [&](const QString& reason) {
        throw Failure(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(shown(path)), reason);
    };
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    // RGB32: a 24-bit BMP, the form every viewer and the JPEG converter read; an opaque PNG. A
    // black and white picture stays one bit a pixel in its PNG (8192 pixels square: 8 MB, not 256).
    const bool asItIs = format == PictureFormat::Png && picture.format() == QImage::Format_Mono;
    if (!(asItIs ? picture : picture.convertToFormat(QImage::Format_RGB32))
             .save(&buffer, format == PictureFormat::Png ? "PNG" : "BMP"))
        fail(QStringLiteral("Mémoire insuffisante."));
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (const int error = lumo::writeAtomically(path.toUtf8().constData(),
                                                {data, static_cast<std::size_t>(bytes.size())}, links))
        fail(systemReason(error));
}

void writeBytesFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) {
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    if (const int error = lumo::writeAtomically(path.constData(), {data, static_cast<std::size_t>(bytes.size())}, links))
        throw Failure(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(shown(QFile::decodeName(path))),
                      systemReason(error));
}

QString firstOrdinaryFile(const QString& pattern) {
    const QFileInfo info(pattern);
    const QDir folder = info.dir();
    // Names match as the file system matches them: with case on POSIX, without on Windows.
    const QDir::Filters matching = platform::namesMatchCase() ? QDir::CaseSensitive : QDir::Filters();
    const QStringList names = folder.entryList({info.fileName()}, QDir::Files | QDir::NoDotAndDotDot | matching,
                                               QDir::Name);
    for (const QString& name : names) {
        const QFileInfo entry(folder.filePath(name));
        if (!entry.isHidden() && entry.isFile())
            return name;
    }
    return {};
}

bool pathTaken(const QString& path) {
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

void removeFile(const QString& path) {
    if (const int error = platform::removePath(path))
        throw Failure(QStringLiteral("Impossible de supprimer le fichier « %1 ».").arg(shown(path)),
                      systemReason(error));
}

void makePrivateFolder(const QString& folder) {
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;
    const auto fail = [&](const QString& reason) {
        throw Failure(QStringLiteral("Aucun dossier de travail accessible en écriture."),
                      QStringLiteral("Le dossier « %1 » ne peut pas être créé : %2").arg(shown(folder), reason));
    };
    // Each missing part, from the top, as the XDG rules ask (0700), so no other user can swap a
    // working file in.
    const QString clean = QDir::cleanPath(folder);
    for (qsizetype slash = clean.indexOf(QLatin1Char('/'), 1); ; slash = clean.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString part = slash < 0 ? clean : clean.left(slash);
        if (!QFileInfo(part).isDir() && !QDir().mkdir(part, ownerOnly) && !QFileInfo(part).isDir())
            fail(QFileInfo::exists(part) ? systemReason(ENOTDIR) : folderReason(QFileInfo(part).path()));
        if (slash < 0)
            break;
    }
    // Made by an older version, or under a umask that took the owner's rights; another user's
    // folder at that name is refused.
    if (!QFile::setPermissions(clean, ownerOnly))
        fail(systemReason(EPERM));
}

void removeLeftovers(const QString& folder) {
    lumo::removeLeftovers(folder.toUtf8().constData());
}

namespace {
class NativeFileLock final : public FileLock {
public:
    explicit NativeFileLock(std::unique_ptr<TurnLock> lock) : m_lock(std::move(lock)) {}
    std::unique_ptr<TurnLock> m_lock;
};
} // namespace

std::unique_ptr<FileLock> lockBeside(const QString& path, const std::function<void()>& whileWaiting) {
    try {
        return std::make_unique<NativeFileLock>(takeTurnBeside(platform::pathBytes(path).toStdString(), whileWaiting));
    } catch (const PlainFailure& failure) {
        throw Failure(failure);
    }
}

} // namespace host
