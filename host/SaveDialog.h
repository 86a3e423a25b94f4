#pragma once
#include <QString>

namespace host {

// The properties of the save dialog that the save command sets and reads back
// (Host::chooseSaveFile).
struct SaveDialog {
    bool cancelThrows = false;
    int typeIndex = 0;  // 1-based index into filter's types
    QString fileName;   // full path
    QString fileTitle;  // file-name part of fileName, set by the dialog
    QString title;
    QString filter; // "description|pattern|description|pattern..."
    int flags = 0;
    static constexpr int askBeforeOverwrite = 2;
};

} // namespace host
