#include "Naming.h"

namespace exporting {

namespace {
constexpr QChar separator = u'/';
}

// The descriptions keep their exact spacing, double blanks included.
const QString saveFilter = QStringLiteral(
    "Image en mode point  (*.BMP)|*.BMP|"
    "Format JPG-Ratio 100% (*.JPG)|*.JPG|"
    "Format JPG-Ratio 80%  (*.JPG)|*.JPG|"
    "Format JPG-Ratio 50%  (*.JPG)|*.JPG|"
    "Format JPG-Ratio personnalisé (*.JPG)|*.JPG|"
    "Image PNG (*.PNG)|*.png|"
    "Image vectorielle SVG (*.SVG)|*.svg|"
    "Image PNG, taille au choix (*.PNG)|*.png");

QString withTrailingSeparator(const QString& path) {
    if (path.endsWith(separator))
        return path;
    return path + separator;
}

bool ordinaryFileExists(host::Host& host, const QString& path) {
    return !host.firstMatchingFile(path).isEmpty();
}

QString extensionOf(int typeIndex) {
    switch (typeIndex) {
    case typeBmp:
        return QStringLiteral("bmp");
    case typePng:
    case typeSizedPng:
        return QStringLiteral("png");
    case typeSvg:
        return QStringLiteral("svg");
    default:
        return QStringLiteral("jpg");
    }
}

QString titleWithExtension(const QString& title, int typeIndex) {
    const qsizetype dot = title.indexOf(u'.');
    const QString stem = dot >= 0 ? title.left(dot + 1) : title + u'.';
    return stem + extensionOf(typeIndex);
}

QString folderOf(const QString& fileName, const QString& fileTitle) {
    // QString::left takes a negative count as "everything": clamp it.
    return fileName.left(std::max<qsizetype>(0, fileName.size() - fileTitle.size()));
}

} // namespace exporting
