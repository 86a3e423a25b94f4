#pragma once
// The host of the tests: real files in a private temporary folder, everything else recorded and
// answered from scripts. Any operation can be made to fail once through failNext().
#include "Host.h"

#include <QDialog>
#include <QPointF>
#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <set>

// Readable QString values in test failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace testsupport {

// A registry holding whatever keys, types and bytes a test puts in it.
class FakeRegistry final : public host::Registry {
public:
    struct Value {
        std::uint32_t type = host::REG_SZ;
        QByteArray data;
    };
    // key path as "ROOT\\Sub\\Key" with ROOT the numeric root handle, e.g. via keyPath().
    static QString keyPath(host::KeyHandle root, const QByteArray& subKey);
    void setValue(host::KeyHandle root, const QByteArray& subKey, const QByteArray& name, Value value);
    void addKey(host::KeyHandle root, const QByteArray& subKey);
    // Keys that open only with fewer rights than asked.
    std::set<QString> readOnlyKeys;

    long openKey(host::KeyHandle root, const QByteArray& subKey, std::uint32_t options, std::uint32_t samDesired,
                       host::KeyHandle* result) override;
    long queryValue(host::KeyHandle key, const QByteArray& valueName, std::uint32_t* type, unsigned char* data,
                          std::uint32_t* count) override;
    long closeKey(host::KeyHandle key) override;

    QStringList calls; // "open <key> <sam>", "query <name>", "close"
    std::uint32_t lastSam = 0;
    int openHandles = 0;

private:
    std::map<QString, std::map<QByteArray, Value>> m_keys;
    std::map<host::KeyHandle, QString> m_open;
    host::KeyHandle m_next = 0x1000;
};

class FakePrinter final : public host::Printer {
public:
    explicit FakePrinter(class FakeHost& host) : m_host(host) {}
    void startPage() override;
    void drawPicture(const QImage& picture, const host::Placement& placement) override;
    void finish() override;
    void abort() override;

    QImage painted; // the last picture drawn
    QPointF paintedAt; // millimetres
    host::PrintChoices paintedChoices;
    int pages = 0; // documents finished
private:
    FakeHost& m_host;
};

class FakeHost final : public host::Host {
public:
    FakeHost();

    // --- script ---
    QString appFolderPath;  // defaults to the temporary folder
    QString workFolderPath; // defaults to appFolderPath
    QString clipboard;
    std::deque<std::optional<QString>> textAnswers;                   // empty answer when none left; nullopt: Cancel
    std::deque<bool> yesNoAnswers;                                    // none left: "Non", the default
    std::deque<std::function<void(host::SaveDialog&)>> saveAnswers;   // none left: Cancel
    std::deque<bool> printerAnswers;                                  // none left: OK
    std::optional<host::PrintChoices> printChoicesAnswer;             // what an OK sets; none: unchanged
    double naturalMmSeen = 0;                                         // as the printer dialog got it
    std::function<void(QDialog&)> onShowModal;                        // default: nothing, returns at once
    std::function<int(const QByteArray&, const QByteArray&)> encoder; // default: a plain picture, 0
    std::function<int(const QByteArray&, const QByteArray&)> svgEncoder; // default: a small SVG naming the text, 0
    std::function<int(const QByteArray&, const QByteArray&, int, int)> converter; // default: Qt JPEG, 0
    std::function<host::Symbol(const QByteArray&, int)> symbolEncoder; // default: a 21-module pattern of the text
    std::function<int(const QImage&, const QByteArray&, int, int)> jpegWriter; // default: Qt JPEG, 0
    int encoderSystemError = 0;   // errno handed with a failing encoder's code
    int converterSystemError = 0; // and with a failing converter's
    bool encoderMissing = false;
    bool converterMissing = false;
    std::set<QString> programsThatStart; // startProgram succeeds only for these paths
    // The named operation (e.g. "writePicture", "printer.finish") throws host::Failure at its next call.
    void failNext(const QString& operation) { m_failures.insert(operation); }
    // Called with the name of each operation as it starts.
    std::function<void(const QString&)> onOperation;

    // --- records ---
    QStringList log; // one line per call, "operation args"
    struct Message {
        QString text;
        host::MessageKind kind;
        QString title;
    };
    std::vector<Message> messages;
    std::vector<Message> questions; // asked through askYesNo
    QImage clipboardImage;
    std::vector<host::SaveDialog> saveDialogsSeen; // the properties as chooseSaveFile found them
    QStringList started;
    QStringList openedLinks;
    bool ended = false;
    FakePrinter fakePrinter{*this};
    host::Printer* realPrinter = nullptr; // when set, printing goes there instead of fakePrinter
    FakeRegistry fakeRegistry;

    QString tempPath() const { return m_dir.path(); }
    void checkFailure(const QString& operation);

    // --- host::Host ---
    QString appFolder() override;
    QString workFolder() override;
    QImage loadPicture(const QString& path) override;
    void writePicture(const QImage& picture, const QString& path, host::PictureFormat format,
                      lumo::Links links) override;
    void writeFile(const QByteArray& path, const QByteArray& bytes, lumo::Links links) override;
    QString clipboardText() override;
    void setClipboardImage(const QImage& picture) override;
    void showMessage(const QString& text, host::MessageKind kind, const QString& title) override;
    std::optional<QString> askText(const QString& prompt, const QString& title,
                                   const QString& defaultText) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void chooseSaveFile(host::SaveDialog& dialog) override;
    bool choosePrinter(host::PrintChoices& choices, double naturalMm) override;
    host::Printer& printer() override { return realPrinter ? *realPrinter : fakePrinter; }
    void showModal(QDialog& dialog) override;
    QString firstMatchingFile(const QString& pattern) override;
    bool exists(const QString& path) override;
    void deleteFile(const QString& path) override;
    std::unique_ptr<host::FileLock> lockFile(const QString& path) override;
    void startProgram(const QString& path) override;
    void openLink(const QString& link) override;
    host::Registry& registry() override { return fakeRegistry; }
    host::LibraryResult encodeQrCode(const QByteArray& text, const QByteArray& path) override;
    host::LibraryResult encodeQrCodeSvg(const QByteArray& text, const QByteArray& path) override;
    host::Symbol encodeSymbol(const QByteArray& text, int options) override;
    host::LibraryResult writeJpeg(const QImage& picture, const QByteArray& path, int quality, int flag) override;
    host::LibraryResult convertToJpeg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality,
                                      int flag) override;
    void quit() override;

private:
    QTemporaryDir m_dir;
    std::set<QString> m_failures;
};

// A picture that stands for a text: its size and colour derive from it, so tests can tell which
// text a preview came from.
QImage pictureOf(const QByteArray& text);

} // namespace testsupport
