// zbarimg from a Windows test under Wine: Wine starts the build machine's programs but neither
// waits for them nor hands their output back, so a shell writes zbarimg's answer to files, the
// last of which marks its end.
#include "QrDecode.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace testsupport {

namespace {

// Where a Windows path lies on the Unix side, as Wine's kernel32 says; empty outside Wine.
QString unixName(const QString& path) {
    using UnixName = char*(__cdecl*)(const wchar_t*);
    const auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    char* name = toUnix(QDir::toNativeSeparators(path).toStdWString().c_str());
    if (!name)
        return {};
    const QString result = QString::fromUtf8(name);
    ::HeapFree(::GetProcessHeap(), 0, name);
    return result;
}

} // namespace

std::optional<std::string> zbarDecodeFile(const QString& path) {
    QTemporaryDir folder;
    const QString out = folder.filePath(QStringLiteral("zbar.txt"));
    const QString status = folder.filePath(QStringLiteral("zbar.status"));
    const QString picture = unixName(path);
    if (picture.isEmpty() ||
        !QProcess::startDetached(QStringLiteral("/bin/sh"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral(LUMO_ZBARIMG " --nodbus -q \"$1\" >\"$2\"; echo $? >\"$3.part\"; "
                                                 "mv \"$3.part\" \"$3\""),
                                  QStringLiteral("sh"), picture, unixName(out), unixName(status)}))
        return std::nullopt;
    const QDeadlineTimer deadline(30000);
    while (!QFile::exists(status) && !deadline.hasExpired())
        QThread::msleep(20);
    QFile statusFile(status), outFile(out);
    if (!statusFile.open(QIODevice::ReadOnly) || statusFile.readAll().trimmed() != "0" ||
        !outFile.open(QIODevice::ReadOnly))
        return std::nullopt;
    std::string text = outFile.readAll().toStdString();
    const std::string prefix = "QR-Code:";
    if (text.rfind(prefix, 0) != 0)
        return std::nullopt;
    text.erase(0, prefix.size());
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

} // namespace testsupport
