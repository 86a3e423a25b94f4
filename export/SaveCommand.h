#pragma once
// The save command: the save dialog, the naming of the target, BMP or JPEG writing.
#include "Host.h"

#include <QImage>
#include <QString>

namespace exporting {

// The user's last save choices, kept for the whole run.
struct SaveChoices {
    QString lastFile;  // full path of the last target
    qint16 lastType = 0; // type index of the last confirmed dialog, 0 for none yet
    QString lastRatio;    // last answer to the custom-ratio question
    QString lastSide;     // last answer to the picture-size question
};

// What the save command needs of the window it saves from.
class SaveSite {
public:
    virtual ~SaveSite() = default;
    virtual QImage renderedImage() = 0;
    // The link the preview's code was made from.
    virtual QString encodedLink() = 0;
    virtual void setLoadedPicture(const QImage& picture) = 0;
    virtual void setCaption(const QString& caption) = 0;
};

// Writes the picture as the BMP temp and has the converter make the JPEG target of it; the temp
// is left for the caller to remove after a success. Throws Failure naming the cause.
void convertToJpeg(host::Host& host, const QImage& picture, const QString& temp, const QString& target,
                   int quality);

// Runs the whole save command; catches its own failures (Cancel silently).
void saveCommand(host::Host& host, host::SaveDialog& dialog, SaveChoices& choices, SaveSite& site);

} // namespace exporting
