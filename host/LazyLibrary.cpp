#include "LazyLibrary.h"

#include "Failure.h"

#include <QDir>
#include <QFileInfo>

namespace host {

LazyLibrary::LazyLibrary(QString baseName, QStringList folders)
    : m_baseName(std::move(baseName)), m_folders(std::move(folders)) {}

void LazyLibrary::load() {
    if (m_library && m_library->isLoaded())
        return;
    QStringList reasons;
    const QString fileName = QStringLiteral("lib%1.so").arg(m_baseName);
    for (const QString& folder : m_folders) {
        // A name that is there but cannot be loaded is reported, not skipped silently.
        const QString candidate = QDir(folder).filePath(fileName);
        if (!QFileInfo::exists(candidate))
            continue;
        auto library = std::make_unique<QLibrary>(candidate);
        if (library->load()) {
            m_library = std::move(library);
            return;
        }
        reasons << library->errorString();
    }
    auto library = std::make_unique<QLibrary>(m_baseName);
    if (library->load()) {
        m_library = std::move(library);
        return;
    }
    if (reasons.isEmpty())
        reasons << library->errorString();
    throw Failure(QStringLiteral("La bibliothèque %1 est introuvable ou illisible.").arg(m_baseName),
                  reasons.join(QLatin1Char('\n')));
}

QFunctionPointer LazyLibrary::entry(const char* name) {
    if (auto found = m_entries.find(name); found != m_entries.end())
        return found->second;
    load();
    QFunctionPointer address = m_library->resolve(name);
    if (!address)
        throw Failure(QStringLiteral("Le point d'entrée %1 est introuvable dans la bibliothèque %2.")
                          .arg(QString::fromLatin1(name), m_baseName),
                      m_library->errorString());
    m_entries.emplace(name, address);
    return address;
}

} // namespace host
