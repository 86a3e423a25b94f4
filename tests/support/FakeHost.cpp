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

QString FakeRegistry::keyPath(host::KeyHandle root, const QByteArray& subKey) {
    return QString::number(root) + QLatin1Char('\\') + QString::fromUtf8(subKey).toLower();
}

void FakeRegistry::setValue(host::KeyHandle root, const QByteArray& subKey, const QByteArray& name, Value value) {
    m_keys[keyPath(root, subKey)][name.toLower()] = std::move(value);
}

void FakeRegistry::addKey(host::KeyHandle root, const QByteArray& subKey) {
    m_keys[keyPath(root, subKey)];
}

long FakeRegistry::openKey(host::KeyHandle root, const QByteArray& subKey, std::uint32_t, std::uint32_t samDesired,
                                 host::KeyHandle* result) {
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

long FakeRegistry::queryValue(host::KeyHandle key, const QByteArray& valueName, std::uint32_t* type,
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

long FakeRegistry::closeKey(host::KeyHandle key) {
    calls << QStringLiteral("close");
    if (m_open.erase(key))
        --openHandles;
    return host::ERROR_SUCCESS;
}

// ---- printer ----

void FakePrinter::startPage() {
    m_host.checkFailure(QStringLiteral("printer.startPage"));
}
void FakePrinter::drawPicture(const QImage& picture, const host::Placement& placement) {
    m_host.checkFailure(QStringLiteral("printer.drawPicture"));
    painted = picture;
    paintedAt = placement.topLeft;
    paintedChoices = placement.choices;
}
void FakePrinter::finish() {
    m_host.checkFailure(QStringLiteral("printer.finish"));
    ++pages;
}
void FakePrinter::abort() {
    m_host.checkFailure(QStringLiteral("printer.abort"));
    painted = QImage();
}

// ---- host ----

FakeHost::FakeHost() {
    encoder = [](const QByteArray& text, const QByteArray& path) {
        host::writePictureFile(pictureOf(text), QString::fromUtf8(path), host::PictureFormat::Bmp,
                               lumo::Links::Replace);
        return 0;
    };
    svgEncoder = [](const QByteArray& text, const QByteArray& path) {
        QFile file(QString::fromUtf8(path));
        if (!file.open(QIODevice::WriteOnly))
            return 6;
        file.write("<svg xmlns=\"http://www.w3.org/2000/svg\"><desc>" + text.toPercentEncoding() + "</desc></svg>");
        return 0;
    };
    symbolEncoder = [](const QByteArray& text, int) {
        host::Symbol symbol{{}, 21, QByteArray(21 * 21, '\0')};
        for (int i = 0; i < symbol.modules.size(); ++i)
            symbol.modules[i] = char((qHash(text) >> (i % 31)) & 1);
        return symbol;
    };
    jpegWriter = [](const QImage& picture, const QByteArray& jpg, int quality, int) {
        return picture.save(QFile::decodeName(jpg), "JPEG", quality) ? 0 : 6;
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

void FakeHost::writePicture(const QImage& picture, const QString& path, host::PictureFormat format,
                            lumo::Links links) {
    checkFailure(QStringLiteral("writePicture"));
    host::writePictureFile(picture, path, format, links);
}

void FakeHost::writeFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) {
    checkFailure(QStringLiteral("writeFile"));
    host::writeBytesFile(path, bytes, links);
}

QString FakeHost::clipboardText() {
    checkFailure(QStringLiteral("clipboardText"));
    return clipboard;
}

void FakeHost::setClipboardImage(const QImage& picture) {
    checkFailure(QStringLiteral("setClipboardImage"));
    clipboardImage = picture;
}

void FakeHost::showMessage(const QString& text, host::MessageKind kind, const QString& title) {
    checkFailure(QStringLiteral("showMessage"));
    messages.push_back({text, kind, title});
}

std::optional<QString> FakeHost::askText(const QString& prompt, const QString& title, const QString& defaultText) {
    checkFailure(QStringLiteral("askText"));
    log << QStringLiteral("askText %1|%2|%3").arg(prompt, title, defaultText);
    if (textAnswers.empty())
        return QString();
    // Read out before the pop; gcc 12 takes a copied optional<QString> for uninitialised.
    const bool cancelled = !textAnswers.front().has_value();
    const QString text = textAnswers.front().value_or(QString());
    textAnswers.pop_front();
    if (cancelled)
        return std::nullopt;
    return text;
}

bool FakeHost::askYesNo(const QString& text, const QString& title) {
    checkFailure(QStringLiteral("askYesNo"));
    questions.push_back({text, host::MessageKind::Plain, title});
    if (yesNoAnswers.empty())
        return false;
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

void FakeHost::chooseSaveFile(host::SaveDialog& dialog) {
    checkFailure(QStringLiteral("chooseSaveFile"));
    saveDialogsSeen.push_back(dialog);
    if (saveAnswers.empty()) {
        if (dialog.cancelThrows)
            throw host::Cancelled();
        return;
    }
    auto answer = std::move(saveAnswers.front());
    saveAnswers.pop_front();
    answer(dialog); // sets fileName, fileTitle, typeIndex, or throws Cancelled
}

bool FakeHost::choosePrinter(host::PrintChoices& choices, double naturalMm) {
    checkFailure(QStringLiteral("choosePrinter"));
    naturalMmSeen = naturalMm;
    bool ok = true;
    if (!printerAnswers.empty()) {
        ok = printerAnswers.front();
        printerAnswers.pop_front();
    }
    if (ok && printChoicesAnswer)
        choices = *printChoicesAnswer;
    return ok;
}

void FakeHost::showModal(QDialog& dialog) {
    checkFailure(QStringLiteral("showModal"));
    if (onShowModal)
        onShowModal(dialog);
}

QString FakeHost::firstMatchingFile(const QString& pattern) {
    checkFailure(QStringLiteral("firstMatchingFile"));
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

void FakeHost::openLink(const QString& link) {
    checkFailure(QStringLiteral("openLink"));
    openedLinks << link;
}

host::LibraryResult FakeHost::encodeQrCode(const QByteArray& text, const QByteArray& path) {
    checkFailure(QStringLiteral("encodeQrCode"));
    if (encoderMissing)
        throw host::Failure(QStringLiteral("La bibliothèque QRCodeLib est introuvable ou illisible."));
    const int code = encoder(text, path);
    return {code, code ? encoderSystemError : 0};
}

host::LibraryResult FakeHost::encodeQrCodeSvg(const QByteArray& text, const QByteArray& path) {
    checkFailure(QStringLiteral("encodeQrCodeSvg"));
    const int code = svgEncoder(text, path);
    return {code, code ? encoderSystemError : 0};
}

host::LibraryResult FakeHost::convertToJpeg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality,
                                            int flag) {
    checkFailure(QStringLiteral("convertToJpeg"));
    log << QStringLiteral("convertToJpeg quality %1 flag %2").arg(quality).arg(flag);
    if (converterMissing)
        throw host::Failure(QStringLiteral("La bibliothèque Lumo_Image_BmpJpg est introuvable ou illisible."));
    const int code = converter(bmpPath, jpgPath, quality, flag);
    return {code, code ? converterSystemError : 0};
}

host::Symbol FakeHost::encodeSymbol(const QByteArray& text, int options) {
    checkFailure(QStringLiteral("encodeSymbol"));
    if (encoderMissing)
        throw host::Failure(QStringLiteral("La bibliothèque QRCodeLib est introuvable ou illisible."));
    host::Symbol symbol = symbolEncoder(text, options);
    if (symbol.result.code)
        symbol.result.systemError = encoderSystemError;
    return symbol;
}

host::LibraryResult FakeHost::writeJpeg(const QImage& picture, const QByteArray& path, int quality, int flag) {
    checkFailure(QStringLiteral("writeJpeg"));
    log << QStringLiteral("writeJpeg quality %1 flag %2").arg(quality).arg(flag);
    if (converterMissing)
        throw host::Failure(QStringLiteral("La bibliothèque Lumo_Image_BmpJpg est introuvable ou illisible."));
    const int code = jpegWriter(picture, path, quality, flag);
    return {code, code ? converterSystemError : 0};
}

void FakeHost::quit() {
    checkFailure(QStringLiteral("quit"));
    ended = true;
}

} // namespace testsupport
