#include "FakeHost.h"

#include "FileOps.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <cstring>

namespace testsupport {

QImage pictureOf(const QByteArray& text) {
    const size_t hash = qHash(text);
    const int side = 29 + static_cast<int>(hash % 100);
    QImage image(side, side, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(static_cast<QRgb>(hash & 0xFFFFFF)));
    return image;
}

// ---- registry ----

QString FakeRegistry::keyPath(host::HKEY root, const QByteArray& subKey) {
    return QString::number(root) + QLatin1Char('\\') + QString::fromUtf8(subKey).toLower();
}

void FakeRegistry::setValue(host::HKEY root, const QByteArray& subKey, const QByteArray& name, Value value) {
    m_keys[keyPath(root, subKey)][name.toLower()] = std::move(value);
}

void FakeRegistry::addKey(host::HKEY root, const QByteArray& subKey) {
    m_keys[keyPath(root, subKey)];
}

long FakeRegistry::RegOpenKeyExA(host::HKEY root, const QByteArray& subKey, std::uint32_t, std::uint32_t samDesired,
                                 host::HKEY* result) {
    const QString path = keyPath(root, subKey);
    calls << QStringLiteral("open %1 0x%2").arg(QString::fromUtf8(subKey)).arg(samDesired, 0, 16);
    lastSam = samDesired;
    if (!m_keys.count(path))
        return host::ERROR_FILE_NOT_FOUND;
    // Read rights alone (KEY_READ) are all such a key grants.
    if (readOnlyKeys.count(path) && (samDesired & ~0x20019u))
        return host::ERROR_ACCESS_DENIED;
    *result = m_next++;
    m_open[*result] = path;
    ++openHandles;
    return host::ERROR_SUCCESS;
}

long FakeRegistry::RegQueryValueExA(host::HKEY key, const QByteArray& valueName, std::uint32_t* type,
                                    unsigned char* data, std::uint32_t* count) {
    calls << QStringLiteral("query %1").arg(QString::fromUtf8(valueName));
    const auto open = m_open.find(key);
    if (open == m_open.end())
        return 6; // ERROR_INVALID_HANDLE
    const auto& values = m_keys[open->second];
    const auto found = values.find(valueName.toLower());
    if (found == values.end())
        return host::ERROR_FILE_NOT_FOUND;
    const Value& value = found->second;
    if (type)
        *type = value.type;
    const auto size = static_cast<std::uint32_t>(value.data.size());
    if (size > *count) {
        *count = size;
        return host::ERROR_MORE_DATA;
    }
    if (size)
        std::memcpy(data, value.data.constData(), size);
    *count = size;
    return host::ERROR_SUCCESS;
}

long FakeRegistry::RegCloseKey(host::HKEY key) {
    calls << QStringLiteral("close");
    if (m_open.erase(key))
        --openHandles;
    return host::ERROR_SUCCESS;
}

// ---- printer ----

void FakePrinter::printEmptyLine() {
    m_host.checkFailure(QStringLiteral("printer.printEmptyLine"));
}
void FakePrinter::setScaleMode(int unit) {
    m_host.checkFailure(QStringLiteral("printer.setScaleMode"));
    scaleMode = unit;
}
void FakePrinter::paintPicture(const QImage& picture, double x, double y) {
    m_host.checkFailure(QStringLiteral("printer.paintPicture"));
    painted = picture;
    paintedAt = QPointF(x, y);
}
void FakePrinter::endDoc() {
    m_host.checkFailure(QStringLiteral("printer.endDoc"));
    ++pages;
}
void FakePrinter::killDoc() {
    m_host.checkFailure(QStringLiteral("printer.killDoc"));
    painted = QImage();
}

// ---- host ----

FakeHost::FakeHost() {
    encoder = [](const QByteArray& text, const QByteArray& path) {
        host::writeBmpFile(pictureOf(text), QString::fromUtf8(path), lumo::Links::Replace);
        return 0;
    };
    converter = [](const QByteArray& bmp, const QByteArray& jpg, int quality, int) {
        const QImage source(QString::fromUtf8(bmp));
        if (source.isNull())
            return 2;
        return source.save(QString::fromUtf8(jpg), "JPEG", quality) ? 0 : 5;
    };
}

void FakeHost::checkFailure(const QString& operation) {
    log << operation;
    if (onOperation)
        onOperation(operation);
    if (m_failures.erase(operation))
        throw host::Failure(QStringLiteral("Échec simulé : %1").arg(operation), QStringLiteral("raison simulée"));
}

QString FakeHost::appFolder() {
    checkFailure(QStringLiteral("appFolder"));
    return appFolderPath.isEmpty() ? m_dir.path() : appFolderPath;
}

QString FakeHost::workFolder() {
    checkFailure(QStringLiteral("workFolder"));
    if (!workFolderPath.isEmpty())
        return workFolderPath;
    return appFolderPath.isEmpty() ? m_dir.path() : appFolderPath;
}

QImage FakeHost::loadPicture(const QString& path) {
    checkFailure(QStringLiteral("loadPicture"));
    return host::readPicture(path);
}

void FakeHost::writeBmp(const QImage& picture, const QString& path, lumo::Links links) {
    checkFailure(QStringLiteral("writeBmp"));
    host::writeBmpFile(picture, path, links);
}

QString FakeHost::clipboardText() {
    checkFailure(QStringLiteral("clipboardText"));
    return clipboard;
}

void FakeHost::setClipboardImage(const QImage& picture) {
    checkFailure(QStringLiteral("setClipboardImage"));
    clipboardImage = picture;
}

void FakeHost::messageBox(const QString& text, int style, const QString& title) {
    checkFailure(QStringLiteral("messageBox"));
    messages.push_back({text, style, title});
}

std::optional<QString> FakeHost::inputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    checkFailure(QStringLiteral("inputBox"));
    log << QStringLiteral("inputBox %1|%2|%3").arg(prompt, title, defaultText);
    if (inputAnswers.empty())
        return QString();
    std::optional<QString> answer = inputAnswers.front();
    inputAnswers.pop_front();
    return answer;
}

bool FakeHost::askYesNo(const QString& text, const QString& title) {
    checkFailure(QStringLiteral("askYesNo"));
    questions.push_back({text, 0, title});
    if (yesNoAnswers.empty())
        return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void FakeHost::showSave(host::CommonDialog& dialog) {
    checkFailure(QStringLiteral("showSave"));
    saveDialogsSeen.push_back(dialog);
    if (saveAnswers.empty()) {
        if (dialog.CancelError)
            throw host::Cancelled();
        return;
    }
    auto answer = std::move(saveAnswers.front());
    saveAnswers.pop_front();
    answer(dialog); // sets FileName, FileTitle, FilterIndex, or throws Cancelled
}

void FakeHost::showPrinter(host::CommonDialog& dialog) {
    checkFailure(QStringLiteral("showPrinter"));
    bool ok = true;
    if (!printerAnswers.empty()) {
        ok = printerAnswers.front();
        printerAnswers.pop_front();
    }
    if (!ok && dialog.CancelError)
        throw host::Cancelled();
}

void FakeHost::showModal(QDialog& dialog) {
    checkFailure(QStringLiteral("showModal"));
    if (onShowModal)
        onShowModal(dialog);
}

QString FakeHost::dir(const QString& pattern) {
    checkFailure(QStringLiteral("dir"));
    return host::firstOrdinaryFile(pattern);
}

bool FakeHost::exists(const QString& path) {
    checkFailure(QStringLiteral("exists"));
    return host::pathTaken(path);
}

void FakeHost::deleteFile(const QString& path) {
    checkFailure(QStringLiteral("deleteFile"));
    host::removeFile(path);
}

std::unique_ptr<host::FileLock> FakeHost::lockFile(const QString& path) {
    checkFailure(QStringLiteral("lockFile"));
    return host::lockBeside(path);
}

void FakeHost::startProgram(const QString& path) {
    checkFailure(QStringLiteral("startProgram"));
    if (!programsThatStart.count(path))
        throw host::Failure(QStringLiteral("Impossible de lancer « %1 ».").arg(path));
    started << path;
}

int FakeHost::shellExecute(QWidget* window, const QString& operation, const QString& file,
                           const std::optional<QString>& parameters, const std::optional<QString>& directory,
                           int showCommand) {
    checkFailure(QStringLiteral("shellExecute"));
    shellCalls.push_back({window, operation, file, parameters, directory, showCommand});
    return shellResult;
}

host::LibraryResult FakeHost::fastQRCode(const QByteArray& text, const QByteArray& path) {
    checkFailure(QStringLiteral("fastQRCode"));
    if (encoderMissing)
        throw host::Failure(QStringLiteral("La bibliothèque QRCodeLib est introuvable ou illisible."));
    const int code = encoder(text, path);
    return {code, code ? encoderSystemError : 0};
}

host::LibraryResult FakeHost::liBmpToJpg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality, int flag) {
    checkFailure(QStringLiteral("liBmpToJpg"));
    log << QStringLiteral("liBmpToJpg quality %1 flag %2").arg(quality).arg(flag);
    if (converterMissing)
        throw host::Failure(QStringLiteral("La bibliothèque Lumo_Image_BmpJpg est introuvable ou illisible."));
    const int code = converter(bmpPath, jpgPath, quality, flag);
    return {code, code ? converterSystemError : 0};
}

void FakeHost::endProgram() {
    checkFailure(QStringLiteral("endProgram"));
    ended = true;
}

} // namespace testsupport
