#pragma once
// The services the logic needs from its surroundings. Everything that leaves the process or waits
// for a person goes through here, so the windows run unchanged on the real host and on the fake.
#include <QByteArray>
#include <QImage>
#include <QString>
#include <memory>
#include <optional>

#include "AtomicWrite.h"
#include "CommonDialog.h"
#include "Failure.h"
#include "FileOps.h"
#include "Registry.h"

class QDialog;
class QWidget;

namespace host {

struct Version {
    int major = 0;
    int minor = 0;
    int revision = 0;
};

// Message box styles the tool uses (OK button only, icon as named).
enum MessageStyle : int { vbOKOnly = 0, vbCritical = 16, vbInformation = 64 };

// Scale unit of the printer: millimetres.
inline constexpr int vbMillimeters = 6;

// The printer object: the first output opens the job, end sends the page, kill drops it.
// A library's result code, with the system's reason (an errno value, 0 if none) behind a
// failure to read or write a file.
struct LibraryResult {
    int code = 0;
    int systemError = 0;
};

class Printer {
public:
    virtual ~Printer() = default;
    virtual void printEmptyLine() = 0;
    virtual void setScaleMode(int unit) = 0;
    // Draws the picture at its natural size (one pixel is 1/96 inch), top-left at (x, y) in the unit.
    virtual void paintPicture(const QImage& picture, double x, double y) = 0;
    virtual void endDoc() = 0;
    virtual void killDoc() = 0;
};

class Host {
public:
    virtual ~Host() = default;

    // Folder of the running program (where the two libraries are looked up first).
    virtual QString appFolder() = 0;
    // Folder of the working files QRCODE.bmp and Temp.bmp: the program's folder when it can be
    // written, else the user's own data folder, so an installed tool works for every user.
    virtual QString workFolder() = 0;
    virtual QString appTitle() = 0;
    virtual Version appVersion() = 0;

    // Reads BMP or JPEG; an empty path gives the empty picture. Throws Failure when unreadable.
    virtual QImage loadPicture(const QString& path) = 0;
    // Creates or replaces the file, complete or not at all; a link at a working file's path is
    // replaced, a link at a person's file written through. Throws Failure.
    virtual void writeBmp(const QImage& picture, const QString& path, lumo::Links links) = 0;

    virtual QString clipboardText() = 0;
    virtual void setClipboardImage(const QImage& picture) = 0;

    virtual void messageBox(const QString& text, int style, const QString& title) = 0;
    // Cancel gives no text at all.
    virtual std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                            const QString& defaultText) = 0;
    // A question answered "Oui" (true) or "Non", "Non" being the default answer.
    virtual bool askYesNo(const QString& text, const QString& title) = 0;
    // Modal; with CancelError set, Cancel throws Cancelled.
    virtual void showSave(CommonDialog& dialog) = 0;
    virtual void showPrinter(CommonDialog& dialog) = 0;
    // The printer the last printer dialog chose.
    virtual Printer& printer() = 0;
    // Runs the dialog modally; returns when it has been closed.
    virtual void showModal(QDialog& dialog) = 0;

    // Name of the first ordinary file (not hidden, not a folder) matching the pattern; "" if none.
    virtual QString dir(const QString& pattern) = 0;
    // True when anything stands at the path: a file, hidden or not, a folder, a link, even dangling.
    virtual bool exists(const QString& path) = 0;
    virtual void deleteFile(const QString& path) = 0;
    // Copies of the tool sharing a working folder take turns on a working file while this lives;
    // a copy that waits for its turn shows the busy pointer.
    virtual std::unique_ptr<FileLock> lockFile(const QString& path) = 0;

    // Starts the program at this path, never parsed by a shell. Throws Failure when it cannot start.
    virtual void startProgram(const QString& path) = 0;
    // Opens a document or link with the desktop's handler; the result is the shell's and unchecked.
    virtual int shellExecute(QWidget* window, const QString& operation, const QString& file,
                             const std::optional<QString>& parameters, const std::optional<QString>& directory,
                             int showCommand) = 0;
    virtual Registry& registry() = 0;

    // The two outside libraries, bound by name at first call. Throw Failure when the library or the
    // entry point cannot be found; otherwise give the library's own result code.
    virtual LibraryResult fastQRCode(const QByteArray& text, const QByteArray& path) = 0;
    virtual LibraryResult liBmpToJpg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality,
                                     int flag) = 0;

    // Closes every window and stops.
    virtual void endProgram() = 0;
};

} // namespace host
