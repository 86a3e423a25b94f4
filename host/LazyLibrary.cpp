#include "LazyLibrary.h"

#include "Failure.h"
#include "Platform.h"

namespace host {

namespace {
std::vector<std::string> native(const QStringList& folders) {
    std::vector<std::string> paths;
    for (const QString& folder : folders)
        paths.push_back(platform::pathBytes(folder).toStdString());
    return paths;
}
} // namespace

LazyLibrary::LazyLibrary(const QString& baseName, const QStringList& folders)
    : m_library(baseName.toStdString(), native(folders)) {}

QFunctionPointer LazyLibrary::entry(const char* name) {
    try {
        return reinterpret_cast<QFunctionPointer>(m_library.entry(name));
    } catch (const PlainFailure& failure) {
        throw Failure(failure);
    }
}

} // namespace host
