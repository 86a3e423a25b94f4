#pragma once
// The two path functions of the save command and the naming of its target.
#include "Host.h"

#include <QString>

namespace exporting {

// The path with a final separator: unchanged when it already ends in one; empty gives "/".
QString withTrailingSeparator(const QString& path);

// True when an ordinary file (not a folder, not hidden) matches the path, wildcards included.
bool ordinaryFileExists(host::Host& host, const QString& path);

// The save dialog's type list, "description|pattern|..." for the eight types.
extern const QString saveFilter;
inline constexpr int typeBmp = 1;
inline constexpr int typePng = 6;
inline constexpr int typeSvg = 7;
inline constexpr int typeSizedPng = 8; // a PNG of the size the person types
inline constexpr int typeCount = 8;
inline constexpr bool isJpeg(int typeIndex) {
    return typeIndex >= 2 && typeIndex <= 5;
}

// Extension given to a target of this type: "bmp", "jpg" for the JPEG types, "png", "svg".
QString extensionOf(int typeIndex);

// The file name with everything after its first "." replaced by the extension of the type;
// a name without "." gets one.
QString titleWithExtension(const QString& title, int typeIndex);

// The folder part of the dialog's full path: what precedes its file-name part.
QString folderOf(const QString& fileName, const QString& fileTitle);

} // namespace exporting
