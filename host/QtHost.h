#pragma once
#include "Host.h"
#include "LazyLibrary.h"

#include <memory>

class QPrinter;

namespace host {

class QtPrinterJob;
class PlatformRegistry;

// The real host on Qt: real dialogs, clipboard, printer, files and processes.
class QtHost final : public Host {
public:
    QtHost();
    ~QtHost() override;

    QString appFolder() override;
    QString workFolder() override;
    QString appTitle() override;
    Version appVersion() override;

    QImage loadPicture(const QString& path) override;
    void writeBmp(const QImage& picture, const QString& path, lumo::Links links) override;

    QString clipboardText() override;
    void setClipboardImage(const QImage& picture) override;

    void messageBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void showSave(CommonDialog& dialog) override;
    void showPrinter(CommonDialog& dialog) override;
    Printer& printer() override;
    void showModal(QDialog& dialog) override;

    QString dir(const QString& pattern) override;
    bool exists(const QString& path) override;
    void deleteFile(const QString& path) override;
    std::unique_ptr<FileLock> lockFile(const QString& path) override;

    void startProgram(const QString& path) override;
    int shellExecute(QWidget* window, const QString& operation, const QString& file,
                     const std::optional<QString>& parameters, const std::optional<QString>& directory,
                     int showCommand) override;
    Registry& registry() override;

    LibraryResult fastQRCode(const QByteArray& text, const QByteArray& path) override;
    LibraryResult liBmpToJpg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality, int flag) override;

    void endProgram() override;

private:
    QStringList libraryFolders();
    // The program sits where a package or an install put it, not in a build or copied folder.
    bool installed();
    QString chooseWorkFolder();
    bool m_leftoversRemoved = false;
    QPrinter& qprinter();

    std::unique_ptr<LazyLibrary> m_qrCodeLib;
    std::unique_ptr<LazyLibrary> m_bmpJpgLib;
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QtPrinterJob> m_printerJob;
    std::unique_ptr<PlatformRegistry> m_registry;
};

} // namespace host
