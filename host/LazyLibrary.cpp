#include "LazyLibrary.h"

#include "Failure.h"
#include "Platform.h"

#include <QDir>
#include <QFileInfo>

namespace host {

LazyLibrary::LazyLibrary(QString baseName, QStringList folders)
    : m_baseName(std::move(baseName)), m_folders(std::move(folders)) {}

void LazyLibrary::load() {
    if (m_library && m_library->isLoaded())
        return;
    const QString fileName = platform::libraryFileName(m_baseName);
    const QString failed = QStringLiteral("La bibliothèque %1 est introuvable ou illisible.").arg(m_baseName);
    QStringList searched;
    QString unloadable;
    for (const QString& folder : m_folders) {
        // Only absolute paths: a name the loader would search for could be anybody's file.
        const QString candidate = QDir::cleanPath(QFileInfo(folder).absoluteFilePath() + QLatin1Char('/') + fileName);
        searched << QStringLiteral("« %1 »").arg(QDir::toNativeSeparators(QFileInfo(candidate).path()));
        if (!QFileInfo::exists(candidate))
            continue;
        // A name that is there but cannot be loaded is reported, not skipped silently.
        // The loader's own text is English and names its internals: the file is named instead.
        auto library = std::make_unique<QLibrary>(candidate);
        if (library->load()) {
            m_library = std::move(library);
            return;
        }
        if (unloadable.isEmpty())
            unloadable = QStringLiteral("Le fichier « %1 » ne peut pas être chargé : il est abîmé, fait pour un "
                                        "autre système, ou une bibliothèque dont il dépend manque.")
                             .arg(QDir::toNativeSeparators(candidate));
    }
    if (!unloadable.isEmpty())
        throw Failure(failed, unloadable);
    throw Failure(failed, QStringLiteral("Le fichier « %1 » manque ; il a été cherché dans : %2.")
                              .arg(fileName, searched.join(QStringLiteral(", "))));
}

QFunctionPointer LazyLibrary::entry(const char* name) {
    if (auto found = m_entries.find(name); found != m_entries.end())
        return found->second;
    load();
    QFunctionPointer address = m_library->resolve(name);
    if (!address)
        throw Failure(QStringLiteral("Le point d'entrée %1 est introuvable dans la bibliothèque %2.")
                          .arg(QString::fromLatin1(name), m_baseName),
                      QStringLiteral("Le fichier « %1 » ne le contient pas.")
                          .arg(QDir::toNativeSeparators(m_library->fileName())));
    m_entries.emplace(name, address);
    return address;
}

} // namespace host
