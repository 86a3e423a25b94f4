#pragma once
#include <QString>

namespace host {

// The properties of the common dialog that the save and print commands set and read back.
// Host::showSave and Host::showPrinter run the dialog on them.
struct CommonDialog {
    bool CancelError = false;
    int FilterIndex = 0; // 1-based index into Filter's types
    QString FileName;    // full path
    QString FileTitle;   // file-name part of FileName, set by the dialog
    QString DialogTitle;
    QString Filter; // "description|pattern|description|pattern..."
    int Flags = 0;

    static constexpr int cdlOFNOverwritePrompt = 2;
};

} // namespace host
