#include "QtHost.h"

#include "FileOps.h"
#include "PlatformRegistry.h"
#include "QtPrinterJob.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QMessageBox>
#include <QPrinter>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace host {

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

QString QtHost::appFolder() {
    return QCoreApplication::applicationDirPath();
}

QString QtHost::workFolder() {
    // Writable means a file can really be made there, whatever the permission bits say.
    const QString app = appFolder();
    QTemporaryFile probe(QDir(app).filePath(QStringLiteral(".lumo-probe-XXXXXX")));
    if (probe.open())
        return app;
    const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    if (!QDir().mkpath(data))
        throw Failure(QStringLiteral("Aucun dossier de travail accessible en écriture."),
                      QStringLiteral("Ni %1 ni %2.").arg(QDir::toNativeSeparators(app), QDir::toNativeSeparators(data)));
    return QDir::cleanPath(data);
}

QString QtHost::appTitle() {
    return QStringLiteral("Lumo-RAZazu");
}

Version QtHost::appVersion() {
    return {LUMO_VERSION_MAJOR, LUMO_VERSION_MINOR, LUMO_VERSION_PATCH};
}

QImage QtHost::loadPicture(const QString& path) {
    return readPicture(path);
}

void QtHost::writeBmp(const QImage& picture, const QString& path) {
    writeBmpFile(picture, path);
}

QString QtHost::clipboardText() {
    return QApplication::clipboard()->text();
}

void QtHost::setClipboardImage(const QImage& picture) {
    QApplication::clipboard()->setImage(picture);
}

void QtHost::messageBox(const QString& text, int style, const QString& title) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    if (style & vbInformation)
        icon = QMessageBox::Information;
    else if (style & vbCritical)
        icon = QMessageBox::Critical;
    QMessageBox box(icon, title.isEmpty() ? appTitle() : title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void QtHost::showModal(QDialog& dialog) {
    dialog.exec();
}

QString QtHost::dir(const QString& pattern) {
    return firstOrdinaryFile(pattern);
}

void QtHost::deleteFile(const QString& path) {
    removeFile(path);
}

std::unique_ptr<FileLock> QtHost::lockFile(const QString& path) {
    return lockBeside(path);
}

QStringList QtHost::libraryFolders() {
    // Beside the program first (a build folder runs as it is), then the package's own folder.
    const QString app = appFolder();
    return {app, QDir::cleanPath(app + QStringLiteral("/../lib/lumo-razazu"))};
}

int QtHost::fastQRCode(const QByteArray& text, const QByteArray& path) {
    if (!m_qrCodeLib)
        m_qrCodeLib = std::make_unique<LazyLibrary>(QStringLiteral("QRCodeLib"), libraryFolders());
    using Fn = int32_t (*)(const char*, const char*);
    auto encode = reinterpret_cast<Fn>(m_qrCodeLib->entry("FastQRCode"));
    return encode(text.constData(), path.constData());
}

int QtHost::liBmpToJpg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality, int flag) {
    if (!m_bmpJpgLib)
        m_bmpJpgLib = std::make_unique<LazyLibrary>(QStringLiteral("Lumo_Image_BmpJpg"), libraryFolders());
    using Fn = int32_t (*)(const char*, const char*, int32_t, int32_t);
    auto convert = reinterpret_cast<Fn>(m_bmpJpgLib->entry("LIBmpToJpg"));
    return convert(bmpPath.constData(), jpgPath.constData(), quality, flag);
}

void QtHost::endProgram() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace host
