#pragma once
#include "Host.h"
#include "LazyLibrary.h"

#include <memory>

namespace host {

class PlatformRegistry;
class PrinterSupport;

// The real host on Qt: real dialogs, clipboard, printer, files and processes.
class QtHost final : public Host {
public:
    QtHost();
    ~QtHost() override;

    QString appFolder() override;
    QString workFolder() override;

    QImage loadPicture(const QString& path) override;
    void writePicture(const QImage& picture, const QString& path, PictureFormat format, lumo::Links links) override;

    void writeFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) override;

    QString clipboardText() override;
    void setClipboardImage(const QImage& picture) override;

    void showMessage(const QString& text, MessageKind kind, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title,
                                   const QString& defaultText) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void chooseSaveFile(SaveDialog& dialog) override;
    bool choosePrinter(PrintChoices& choices, double naturalMm) override;
    Printer& printer() override;
    void showModal(QDialog& dialog) override;

    QString firstMatchingFile(const QString& pattern) override;
    bool exists(const QString& path) override;
    void deleteFile(const QString& path) override;
    std::unique_ptr<FileLock> lockFile(const QString& path) override;

    void startProgram(const QString& path) override;
    void openLink(const QString& link) override;
    Registry& registry() override;

    LibraryResult encodeQrCode(const QByteArray& text, const QByteArray& path) override;
    LibraryResult encodeQrCodeSvg(const QByteArray& text, const QByteArray& path) override;
    Symbol encodeSymbol(const QByteArray& text, int options) override;
    LibraryResult writeJpeg(const QImage& picture, const QByteArray& path, int quality, int flag) override;
    LibraryResult convertToJpeg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality, int flag) override;

    void quit() override;

    // Installs Qt's French texts; the dialogs call it before they first show, not at start.
    void speakFrench();

private:
    QStringList libraryFolders();
    // The program sits where a package or an install put it, not in a build or copied folder.
    bool installed();
    QString chooseWorkFolder();
    LazyLibrary& qrCodeLib();
    LazyLibrary& bmpJpgLib();
    LibraryResult encodeWith(const char* entry, const QByteArray& text, const QByteArray& path);
    bool m_leftoversRemoved = false;

    std::unique_ptr<LazyLibrary> m_qrCodeLib;
    std::unique_ptr<LazyLibrary> m_bmpJpgLib;
    PrinterSupport& printerSupport();
    std::unique_ptr<LazyLibrary> m_printingModule;
    std::unique_ptr<PrinterSupport> m_printerSupport; // made by the module, so gone before it
    bool m_french = false;
    std::unique_ptr<PlatformRegistry> m_registry;
};

} // namespace host
