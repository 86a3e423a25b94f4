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
    static QString keyPath(host::HKEY root, const QByteArray& subKey);
    void setValue(host::HKEY root, const QByteArray& subKey, const QByteArray& name, Value value);
    void addKey(host::HKEY root, const QByteArray& subKey);
    // Keys that open only with fewer rights than asked.
    std::set<QString> readOnlyKeys;

    long RegOpenKeyExA(host::HKEY root, const QByteArray& subKey, std::uint32_t options, std::uint32_t samDesired,
                       host::HKEY* result) override;
    long RegQueryValueExA(host::HKEY key, const QByteArray& valueName, std::uint32_t* type, unsigned char* data,
                          std::uint32_t* count) override;
    long RegCloseKey(host::HKEY key) override;

    QStringList calls; // "open <key> <sam>", "query <name>", "close"
    std::uint32_t lastSam = 0;
    int openHandles = 0;

private:
    std::map<QString, std::map<QByteArray, Value>> m_keys;
    std::map<host::HKEY, QString> m_open;
    host::HKEY m_next = 0x1000;
};

class FakePrinter final : public host::Printer {
public:
    explicit FakePrinter(class FakeHost& host) : m_host(host) {}
    void printEmptyLine() override;
    void setScaleMode(int unit) override;
    void paintPicture(const QImage& picture, double x, double y) override;
    void endDoc() override;
    void killDoc() override;

    QImage painted; // the last picture drawn
    QPointF paintedAt;
    int scaleMode = 0;
    int pages = 0; // documents ended
private:
    FakeHost& m_host;
};

class FakeHost final : public host::Host {
public:
    FakeHost();

    // --- script ---
    QString appFolderPath;  // defaults to the temporary folder
    QString workFolderPath; // defaults to appFolderPath
    host::Version version{1, 0, 0};
    QString clipboard;
    std::deque<std::optional<QString>> inputAnswers;                  // empty answer when none left; nullopt: Cancel
    std::deque<bool> yesNoAnswers;                                    // none left: "Non", the default
    std::deque<std::function<void(host::CommonDialog&)>> saveAnswers; // none left: Cancel
    std::deque<bool> printerAnswers;                                  // none left: OK
    std::function<void(QDialog&)> onShowModal;                        // default: nothing, returns at once
    std::function<int(const QByteArray&, const QByteArray&)> encoder; // default: a plain picture, 0
    std::function<int(const QByteArray&, const QByteArray&, int, int)> converter; // default: Qt JPEG, 0
    int encoderSystemError = 0;   // errno handed with a failing encoder's code
    int converterSystemError = 0; // and with a failing converter's
    bool encoderMissing = false;
    bool converterMissing = false;
    std::set<QString> programsThatStart; // startProgram succeeds only for these paths
    int shellResult = 42;
    // The named operation (e.g. "writeBmp", "printer.endDoc") throws host::Failure at its next call.
    void failNext(const QString& operation) { m_failures.insert(operation); }
    // Called with the name of each operation as it starts.
    std::function<void(const QString&)> onOperation;

    // --- records ---
    QStringList log; // one line per call, "operation args"
    struct Message {
        QString text;
        int style;
        QString title;
    };
    std::vector<Message> messages;
    std::vector<Message> questions; // asked through askYesNo
    QImage clipboardImage;
    std::vector<host::CommonDialog> saveDialogsSeen; // the properties as ShowSave found them
    QStringList started;
    struct ShellCall {
        QWidget* window;
        QString operation, file;
        std::optional<QString> parameters, directory;
        int show;
    };
    std::vector<ShellCall> shellCalls;
    bool ended = false;
    FakePrinter fakePrinter{*this};
    host::Printer* realPrinter = nullptr; // when set, printing goes there instead of fakePrinter
    FakeRegistry fakeRegistry;

    QString tempPath() const { return m_dir.path(); }
    void checkFailure(const QString& operation);

    // --- host::Host ---
    QString appFolder() override;
    QString workFolder() override;
    QString appTitle() override { return QStringLiteral("Lumo-RAZazu"); }
    host::Version appVersion() override { return version; }
    QImage loadPicture(const QString& path) override;
    void writeBmp(const QImage& picture, const QString& path, lumo::Links links) override;
    QString clipboardText() override;
    void setClipboardImage(const QImage& picture) override;
    void messageBox(const QString& text, int style, const QString& title) override;
    std::optional<QString> inputBox(const QString& prompt, const QString& title,
                                    const QString& defaultText) override;
    bool askYesNo(const QString& text, const QString& title) override;
    void showSave(host::CommonDialog& dialog) override;
    void showPrinter(host::CommonDialog& dialog) override;
    host::Printer& printer() override { return realPrinter ? *realPrinter : fakePrinter; }
    void showModal(QDialog& dialog) override;
    QString dir(const QString& pattern) override;
    bool exists(const QString& path) override;
    void deleteFile(const QString& path) override;
    std::unique_ptr<host::FileLock> lockFile(const QString& path) override;
    void startProgram(const QString& path) override;
    int shellExecute(QWidget* window, const QString& operation, const QString& file,
                     const std::optional<QString>& parameters, const std::optional<QString>& directory,
                     int showCommand) override;
    host::Registry& registry() override { return fakeRegistry; }
    host::LibraryResult fastQRCode(const QByteArray& text, const QByteArray& path) override;
    host::LibraryResult liBmpToJpg(const QByteArray& bmpPath, const QByteArray& jpgPath, int quality,
                                   int flag) override;
    void endProgram() override;

private:
    QTemporaryDir m_dir;
    std::set<QString> m_failures;
};

// A picture that stands for a text: its size and colour derive from it, so tests can tell which
// text a preview came from.
QImage pictureOf(const QByteArray& text);

} // namespace testsupport
