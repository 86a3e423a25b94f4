#include "InterfaceFonts.h"

#include <QDir>
#include <QFontDatabase>

namespace ui {

void loadInterfaceFonts() {
    if (QFontDatabase::families().contains(QStringLiteral("Tahoma")))
        return;
    const QDir folder(QStringLiteral("/usr/share/wine/fonts"));
    // The bold face there is hardly bolder than the regular one; without it the text engine
    // emboldens the regular face, which reads as bold.
    for (const char* file : {"tahoma.ttf", "ms_sans_serif.ttf"})
        if (folder.exists(QLatin1String(file)))
            QFontDatabase::addApplicationFont(folder.filePath(QLatin1String(file)));
}

} // namespace ui
