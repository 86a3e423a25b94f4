#include "QtHost.h"

#include "BuildInfo.h"
#include "FileOps.h"
#include "Platform.h"
#include "PlatformRegistry.h"
#include "PrinterSupport.h"
#include "QRCodeLib.h"
#include "WorkFolder.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QLibraryInfo>
#include <QTemporaryFile>
#include <QTranslator>

namespace host {

QtHost::QtHost() = default;
QtHost::~QtHost() = default;

QString QtHost::appFolder() {
    return QCoreApplication::applicationDirPath();
}

bool QtHost::installed() {
    return platform::installedAt(appFolder());
}

QString QtHost::workFolder() {
    const QString folder = chooseWorkFolder();
    if (!m_leftoversRemoved) {
        m_leftoversRemoved = true;
        removeLeftovers(folder);
    }
    return folder;
}

QString QtHost::chooseWorkFolder() {
    WorkFolderFacts facts;
    facts.appFolder = appFolder();
    facts.packageLibraryFolder = installed();
    // Writable means a file can really be made there, whatever the permission bits say; an
    // installed program's folder is not even tried.
    if (!facts.packageLibraryFolder) {
        QTemporaryFile probe(QDir(facts.appFolder).filePath(QStringLiteral(".lumo-probe-XXXXXX")));
        facts.appFolderWritable = probe.open();
    }
    facts.dataHome = platform::userDataHome();
    facts.dataFolderName = platform::workFolderName();
    const WorkFolderChoice choice = host::chooseWorkFolder(facts);
    if (choice.folder.isEmpty())
        throw Failure(QStringLiteral("Aucun dossier de travail accessible en écriture."),
                      QStringLiteral("Le dossier personnel (HOME) n'est pas indiqué."));
    if (choice.ownDataFolder)
        makePrivateFolder(choice.folder);
    return choice.folder;
}

QImage QtHost::loadPicture(const QString& path) {
    return readPicture(path);
}

void QtHost::writePicture(const QImage& picture, const QString& path, PictureFormat format, lumo::Links links) {
    writePictureFile(picture, path, format, links);
}

void QtHost::writeFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) {
    writeBytesFile(path, bytes, links);
}

QString QtHost::clipboardText() {
    return QApplication::clipboard()->text();
}

void QtHost::setClipboardImage(const QImage& picture) {
    QApplication::clipboard()->setImage(picture);
}

void QtHost::showMessage(const QString& text, MessageKind kind, const QString& title) {
    speakFrench();
    const QMessageBox::Icon icon = kind == MessageKind::Information ? QMessageBox::Information
                                   : kind == MessageKind::Critical  ? QMessageBox::Critical
                                                                    : QMessageBox::NoIcon;
    QMessageBox box(icon, title.isEmpty() ? lumo::build::title : title, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

PrinterSupport& QtHost::printerSupport() {
    if (!m_printerSupport) {
        if (!m_printingModule)
            m_printingModule = std::make_unique<LazyLibrary>(QStringLiteral("LumoPrinting"), libraryFolders());
        const auto create = reinterpret_cast<CreatePrinterSupport>(m_printingModule->entry(createPrinterSupportEntry));
        m_printerSupport.reset(create());
        if (!m_printerSupport)
            throw Failure(QStringLiteral("L'impression n'a pas pu être préparée."), QStringLiteral("Mémoire insuffisante."));
    }
    return *m_printerSupport;
}

bool QtHost::choosePrinter(PrintChoices& choices, double naturalMm) {
    speakFrench();
    return printerSupport().choosePrinter(choices, naturalMm);
}

Printer& QtHost::printer() {
    return printerSupport().printer();
}

void QtHost::speakFrench() {
    if (m_french)
        return;
    m_french = true;
    auto* translator = new QTranslator(QCoreApplication::instance());
    if (translator->load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);
}

void QtHost::showModal(QDialog& dialog) {
    dialog.exec();
}

QString QtHost::firstMatchingFile(const QString& pattern) {
    return firstOrdinaryFile(pattern);
}

bool QtHost::exists(const QString& path) {
    return pathTaken(path);
}

void QtHost::deleteFile(const QString& path) {
    removeFile(path);
}

std::unique_ptr<FileLock> QtHost::lockFile(const QString& path) {
    // While another copy holds the file, the pointer says so and the window keeps painting.
    bool busy = false;
    // A command-line run has no pointer to show.
    const bool window = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    const auto wait = [&busy, window] {
        if (!busy && window) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            busy = true;
        }
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 40);
    };
    struct Restore {
        bool& busy;
        ~Restore() {
            if (busy)
                QApplication::restoreOverrideCursor();
        }
    } restore{busy};
    return lockBeside(path, wait);
}

QStringList QtHost::libraryFolders() {
    return platform::libraryFolders(appFolder());
}

namespace {
// The library's own reason for its last failure, read at once, on the same thread.
LibraryResult withReason(LazyLibrary& library, const char* lastErrorEntry, int code) {
    using LastError = int32_t (*)();
    return {code, code == 0 ? 0 : reinterpret_cast<LastError>(library.entry(lastErrorEntry))()};
}
} // namespace

LazyLibrary& QtHost::qrCodeLib() {
    if (!m_qrCodeLib)
        m_qrCodeLib = std::make_unique<LazyLibrary>(QStringLiteral("QRCodeLib"), libraryFolders());
    return *m_qrCodeLib;
}

LazyLibrary& QtHost::bmpJpgLib() {
    if (!m_bmpJpgLib)
        m_bmpJpgLib = std::make_unique<LazyLibrary>(QStringLiteral("Lumo_Image_BmpJpg"), libraryFolders());
    return *m_bmpJpgLib;
}

LibraryResult QtHost::encodeWith(const char* entry, const QByteArray& text, const QByteArray& path) {
    using Fn = int32_t (*)(const char*, const char*);
    auto encode = reinterpret_cast<Fn>(qrCodeLib().entry(entry));
    return withReason(qrCodeLib(), "QRCodeLibLastError", encode(text.constData(), path.constData()));
}

Symbol QtHost::encodeSymbol(const QByteArray& text, int options) {
    using Fn = int32_t (*)(const char*, int32_t, int32_t, unsigned char*, int32_t, int32_t*);
    auto encode = reinterpret_cast<Fn>(qrCodeLib().entry("QRCodeLibSymbol"));
    Symbol symbol;
    symbol.modules.resize(QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT);
    int32_t width = 0;
    symbol.result = withReason(qrCodeLib(), "QRCodeLibLastError",
                               encode(text.constData(), int32_t(text.size()), options,
                                      reinterpret_cast<unsigned char*>(symbol.modules.data()),
                                      int32_t(symbol.modules.size()), &width));
    symbol.width = symbol.result.code == QRCL_OK ? width : 0;
    symbol.modules.resize(symbol.width * symbol.width);
    return symbol;
}

LibraryResult QtHost::writeJpeg(const QImage& picture, const QByteArray& path, int quality, int flag) {
    using Fn = int32_t (*)(const char*, const unsigned char*, int32_t, int32_t, int32_t, int32_t, int32_t);
    auto write = reinterpret_cast<Fn>(bmpJpgLib().entry("LIWriteJpg"));
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB888);
    return withReason(bmpJpgLib(), "LILastError",
                      write(path.constData(), rgb.constBits(), rgb.width(), rgb.height(), int32_t(rgb.bytesPerLine()),
                            quality, flag));
}

LibraryResult QtHost::encodeQrCode(const QByteArray& text, const QByteArray& path) {
    return encodeWith("FastQRCode", text, path);
}

LibraryResult QtHost::encodeQrCodeSvg(const QByteArray& text, const QByteArray& path) {
    return encodeWith("FastQRCodeSvg", text, path);
}

LibraryResult QtHost::convertToJpeg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality, int flag) {
    using Fn = int32_t (*)(const char*, const char*, int32_t, int32_t);
    auto convert = reinterpret_cast<Fn>(bmpJpgLib().entry("LIBmpToJpg"));
    return withReason(bmpJpgLib(), "LILastError", convert(bmpPath.constData(), jpgPath.constData(), quality, flag));
}

void QtHost::quit() {
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}

} // namespace host
