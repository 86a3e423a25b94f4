#pragma once
// The save command: the save dialog, the naming of the target, BMP or JPEG writing.
#include "Host.h"

#include <QImage>
#include <QString>

namespace exporting {

// The user's last save choices, kept for the whole run.
struct Module1 {
    QString OldFichier;  // full path of the last target
    qint16 OldFiltre = 0; // type index of the last confirmed dialog, 0 for none yet
    QString OldRatio;    // last answer to the custom-ratio question
};

// What the save command needs of the window it saves from.
class SaveSite {
public:
    virtual ~SaveSite() = default;
    virtual QImage renderedImage() = 0;
    virtual void setLoadedPicture(const QImage& picture) = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// Runs the whole save command; catches its own failures (Cancel silently).
void saveCommand(host::Host& host, host::CommonDialog& CMDialog1, Module1& module, SaveSite& site);

} // namespace exporting
