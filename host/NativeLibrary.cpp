#include "NativeLibrary.h"

#include "NativePlatform.h"
#include "PlainFailure.h"

namespace host {

NativeLibrary::NativeLibrary(std::string baseName, std::vector<std::string> folders)
    : m_baseName(std::move(baseName)), m_folders(std::move(folders)) {}

void NativeLibrary::load() {
    if (m_library)
        return;
    const std::string fileName = platform::libraryFile(m_baseName);
    const std::string failed = "La bibliothèque " + m_baseName + " est introuvable ou illisible.";
    std::string searched, unloadable;
    for (const std::string& folder : m_folders) {
        // Only absolute paths: a name the loader would search for could be anybody's file.
        const std::string candidate = platform::absoluteClean(folder + "/" + fileName);
        searched += (searched.empty() ? "« " : ", « ") +
                    platform::shownPath(candidate.substr(0, candidate.rfind('/'))) + " »";
        if (!platform::fileExists(candidate))
            continue;
        // A name that is there but cannot be loaded is reported, not skipped silently. The
        // loader's own text is English and names its internals: the file is named instead.
        if (void* library = platform::loadLibrary(candidate)) {
            m_library = library;
            m_fileName = candidate;
            return;
        }
        if (unloadable.empty())
            unloadable = "Le fichier « " + platform::shownPath(candidate) +
                         " » ne peut pas être chargé : il est abîmé, fait pour un autre système, ou une "
                         "bibliothèque dont il dépend manque.";
    }
    if (!unloadable.empty())
        throw PlainFailure(failed, unloadable);
    throw PlainFailure(failed, "Le fichier « " + fileName + " » manque ; il a été cherché dans : " + searched + ".");
}

void* NativeLibrary::entry(const char* name) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (auto found = m_entries.find(name); found != m_entries.end())
        return found->second;
    load();
    void* address = platform::librarySymbol(m_library, name);
    if (!address)
        throw PlainFailure("Le point d'entrée " + std::string(name) + " est introuvable dans la bibliothèque " +
                               m_baseName + ".",
                           "Le fichier « " + platform::shownPath(m_fileName) + " » ne le contient pas.");
    m_entries.emplace(name, address);
    return address;
}

} // namespace host
