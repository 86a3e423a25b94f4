#pragma once
// The services the tool needs from its surroundings. Everything that leaves the process or waits
// for a person goes through here, so the windows run unchanged on the real host and on the fake.
#include <QByteArray>
#include <QImage>
#include <QPointF>
#include <QString>
#include <memory>
#include <optional>

#include "AtomicWrite.h"
#include "Failure.h"
#include "FileOps.h"
#include "Registry.h"
#include "SaveDialog.h"

class QDialog;

namespace host {

// How a message presents itself: an OK button, and the icon its kind calls for.
enum class MessageKind { Plain, Critical, Information };

// A library's result code, with the system's reason (an errno value, 0 if none) behind a
// failure to read or write a file.
struct LibraryResult {
    int code = 0;
    int systemError = 0;
};

// A QR symbol in memory: width modules a side, row after row, 1 for dark; set when result.code is 0.
struct Symbol {
    LibraryResult result;
    int width = 0;
    QByteArray modules;
};

// The printed code's size and place, as the printer dialog's "QR-Code" tab sets them.
struct PrintChoices {
    double sideMm = 0;    // the printed side; 0 for the natural size (a picture pixel is 1/96 inch)
    bool centred = false; // centred on the page, else at the corner the print command gives
};

// Where a picture goes on the page.
struct Placement {
    Placement(QPointF topLeft, PrintChoices choices = {}) : topLeft(topLeft), choices(choices) {}
    QPointF topLeft; // millimetres from the printable area's top-left corner, unless centred
    PrintChoices choices;
};

// One page for the printer the last printer dialog chose. Positions are in millimetres from the
// top-left corner of the area the printer can print on; nothing reaches the printer before finish.
class Printer {
public:
    virtual ~Printer() = default;
    // Opens the job, if it is not open yet.
    virtual void startPage() = 0;
    // Draws the picture as a square of the chosen side, by default its natural size.
    virtual void drawPicture(const QImage& picture, const Placement& placement) = 0;
    // Sends the page; nothing happens when nothing was started.
    virtual void finish() = 0;
    // Drops the page: the next job starts empty.
    virtual void abort() = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // Folder of the running program (where the two libraries are looked up first).
    virtual QString appFolder() = 0;
    // Folder of the working files QRCODE.bmp and Temp.bmp: the program's folder when it is a build
    // or copied folder that can be written, else the user's own data folder.
    virtual QString workFolder() = 0;

    // Reads BMP or JPEG; an empty path gives the empty picture. Throws Failure when unreadable.
    virtual QImage loadPicture(const QString& path) = 0;
    // Creates or replaces the file, complete or not at all; a link at a working file's path is
    // replaced, a link at a person's file written through. Throws Failure.
    virtual void writePicture(const QImage& picture, const QString& path, PictureFormat format,
                              lumo::Links links) = 0;

    // The same for bytes already made, at a path given as the system's bytes (no name lost).
    virtual void writeFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) = 0;

    virtual QString clipboardText() = 0;
    virtual void setClipboardImage(const QImage& picture) = 0;

    // An empty title gives the tool's name.
    virtual void showMessage(const QString& text, MessageKind kind, const QString& title) = 0;
    // The text typed, or nothing when the person cancels.
    virtual std::optional<QString> askText(const QString& prompt, const QString& title,
                                           const QString& defaultText) = 0;
    // A question answered "Oui" (true) or "Non", "Non" being the default answer.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // Modal save dialog on these properties, which it reads back. With cancelThrows set, Cancel
    // throws Cancelled.
    virtual void chooseSaveFile(SaveDialog& dialog) = 0;
    // Modal printer dialog, which also shows the choices (the natural side given in millimetres)
    // and sets them on OK; false when cancelled, the choices untouched.
    virtual bool choosePrinter(PrintChoices& choices, double naturalMm) = 0;
    virtual Printer& printer() = 0;
    // Runs the dialog modally; returns when it has been closed.
    virtual void showModal(QDialog& dialog) = 0;

    // Name of the first ordinary file (not hidden, not a folder) matching the pattern, wildcards
    // allowed, names matched with case; "" when none.
    virtual QString firstMatchingFile(const QString& pattern) = 0;
    // True when anything stands at the path: a file, hidden or not, a folder, a link, even dangling.
    virtual bool exists(const QString& path) = 0;
    virtual void deleteFile(const QString& path) = 0;
    // Copies of the tool sharing a working folder take turns on a working file while this lives;
    // a copy that waits for its turn shows the busy pointer.
    virtual std::unique_ptr<FileLock> lockFile(const QString& path) = 0;

    // Starts the program at this path, never parsed by a shell. Throws Failure when it cannot start.
    virtual void startProgram(const QString& path) = 0;
    // Opens a web or mail link with the desktop's handler; whether one took it is not known.
    virtual void openLink(const QString& link) = 0;
    virtual Registry& registry() = 0;

    // The two outside libraries, bound by name at first call. Throw Failure when the library or the
    // entry point cannot be found; otherwise give the library's own result.
    virtual LibraryResult encodeQrCode(const QByteArray& text, const QByteArray& path) = 0;
    // The same code as encodeQrCode, as an SVG drawing.
    virtual LibraryResult encodeQrCodeSvg(const QByteArray& text, const QByteArray& path) = 0;
    // The symbol encodeQrCode draws, handed over in memory: no file. options: QRCodeLibSymbol's
    // (its defaults, or an error correction level).
    virtual Symbol encodeSymbol(const QByteArray& text, int options) = 0;
    // Writes the picture as a JPEG at path (the system's bytes), complete or absent.
    virtual LibraryResult writeJpeg(const QImage& picture, const QByteArray& path, int quality, int flag) = 0;
    virtual LibraryResult convertToJpeg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality,
                                        int flag) = 0;

    // Closes every window and stops.
    virtual void quit() = 0;
};

} // namespace host
