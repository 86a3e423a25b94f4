// The Windows host where it differs from the POSIX one: writes through the system's calls, the
// system's error codes told in French, and the real registry.
#include "AtomicWrite.h"
#include "DeferredInterrupts.h"
#include "Failure.h"
#include "FileOps.h"
#include "PlatformRegistry.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

// After our headers: <windows.h> spells ERROR_SUCCESS and the rest as macros.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace {

QImage picture(QRgb colour) {
    QImage image(21, 21, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

// The French reason a failed write gives, or "" when it succeeded.
QString writeReason(const QString& path, lumo::Links links = lumo::Links::Replace) {
    try {
        host::writePictureFile(picture(qRgb(0, 0, 255)), path, host::PictureFormat::Bmp, links);
        return {};
    } catch (const host::Failure& failure) {
        return failure.reason();
    }
}

std::wstring native(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

TEST(WindowsHost, WritesReplaceCompletelyAndFailuresNameTheSystemsCause) {
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("QRCODE é.bmp"));
    ASSERT_EQ(writeReason(target), QString());
    ASSERT_EQ(writeReason(target), QString());
    EXPECT_EQ(QImage(target).pixel(3, 3), qRgb(0, 0, 255));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "a temporary was left";

    EXPECT_EQ(writeReason(folder.filePath(QStringLiteral("absent/x.bmp"))), QStringLiteral("Dossier absent."));

    // Open elsewhere with no sharing: the file is in use.
    const HANDLE held = ::CreateFileW(native(target).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(writeReason(target), QStringLiteral("Fichier occupé."));
    ::CloseHandle(held);
    // Open elsewhere with every sharing: Windows replaces it; Wine cannot replace a file open
    // anywhere, and the write says so. Either way no temporary stays beside it.
    const HANDLE shared = ::CreateFileW(native(target).c_str(), GENERIC_READ,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                       0, nullptr);
    ASSERT_NE(shared, INVALID_HANDLE_VALUE);
    QString reason;
    try {
        host::writePictureFile(picture(qRgb(255, 0, 0)), target, host::PictureFormat::Bmp, lumo::Links::Replace);
    } catch (const host::Failure& failure) {
        reason = failure.reason();
    }
    ::CloseHandle(shared);
    EXPECT_EQ(QImage(target).pixel(3, 3), reason.isEmpty() ? qRgb(255, 0, 0) : qRgb(0, 0, 255)) << qPrintable(reason);
    EXPECT_TRUE(reason.isEmpty() || reason == QStringLiteral("Fichier occupé.")) << qPrintable(reason);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1) << "a temporary was left";

    const QString locked = folder.filePath(QStringLiteral("lecture seule.bmp"));
    host::writePictureFile(picture(qRgb(255, 0, 0)), locked, host::PictureFormat::Bmp, lumo::Links::Replace);
    ASSERT_TRUE(::SetFileAttributesW(native(locked).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(writeReason(locked), QStringLiteral("Droits insuffisants."));
    EXPECT_EQ(QImage(locked).pixel(3, 3), qRgb(255, 0, 0)) << "a read-only picture was replaced";
    try {
        host::removeFile(locked);
        ADD_FAILURE() << "a read-only file was deleted";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.reason(), QStringLiteral("Droits insuffisants."));
    }
    ::SetFileAttributesW(native(locked).c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Starts this program again, running only the case named, with variable set to value.
bool startThisCase(const wchar_t* name, const wchar_t* variable, const std::wstring& value, PROCESS_INFORMATION& started) {
    wchar_t self[MAX_PATH] = {};
    if (::GetModuleFileNameW(nullptr, self, MAX_PATH) == 0)
        return false;
    std::wstring command = L"\"" + std::wstring(self) + L"\" --gtest_filter=WindowsHost." + name;
    ::SetEnvironmentVariableW(variable, value.c_str());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    const bool ok =
        ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started);
    ::SetEnvironmentVariableW(variable, nullptr);
    return ok;
}

// A writer killed while its bytes go out (a console closed, the process ended from the task list)
// leaves the earlier file as it was and no temporary beside it.
TEST(WindowsHost, AWriterKilledMidWriteLeavesNothingBesideTheTarget) {
    if (const char* target = std::getenv("LUMO_KILLED_WRITER")) { // the writer, started below
        const std::vector<std::uint8_t> bytes(std::size_t{1} << 30, 0x55);
        std::_Exit(lumo::writeAtomically(target, bytes, lumo::Links::Replace));
    }
    QTemporaryDir folder;
    const QString target = folder.filePath(QStringLiteral("code.bmp"));
    ASSERT_EQ(writeReason(target), QString());
    PROCESS_INFORMATION writer{};
    ASSERT_TRUE(startThisCase(L"AWriterKilledMidWriteLeavesNothingBesideTheTarget", L"LUMO_KILLED_WRITER",
                              native(target), writer));
    // Killed once the temporary has bytes in it.
    const auto writing = [&] {
        const QFileInfoList parts = QDir(folder.path()).entryInfoList({QStringLiteral(".lumo-*")}, QDir::Files | QDir::Hidden);
        return !parts.isEmpty() && parts.first().size() > 0;
    };
    while (!writing() && ::WaitForSingleObject(writer.hProcess, 1) == WAIT_TIMEOUT) {
    }
    ASSERT_EQ(::WaitForSingleObject(writer.hProcess, 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the write ended first";
    ::TerminateProcess(writer.hProcess, 9);
    ::WaitForSingleObject(writer.hProcess, INFINITE);
    ::CloseHandle(writer.hProcess);
    ::CloseHandle(writer.hThread);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("code.bmp")});
    EXPECT_EQ(QImage(target).pixel(3, 3), qRgb(0, 0, 255));

    // Killed between its bytes and its move, a writer leaves its temporary whole: the next write
    // removes it at once, and leaves alone one that a writer still holds.
    const QString dead = folder.filePath(QStringLiteral(".lumo-code.bmp.abc123"));
    const QString live = folder.filePath(QStringLiteral(".lumo-code.bmp.def456"));
    QFile(dead).open(QIODevice::WriteOnly);
    const HANDLE held = ::CreateFileW(native(live).c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    ASSERT_EQ(writeReason(target), QString());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList({QStringLiteral(".lumo-code.bmp.def456"), QStringLiteral("code.bmp")}));
    ::CloseHandle(held);
}

// Ctrl-C (or a closed console) while the command line writes ends the run once the write is over.
TEST(WindowsHost, CtrlCWaitsForTheWriteInProgress) {
    if (const char* folder = std::getenv("LUMO_INTERRUPTED_WRITER")) { // the writer, started below
        const auto mark = [&](const char* name) { QFile(QString::fromUtf8(folder) + name).open(QIODevice::WriteOnly); };
        {
            const host::DeferredInterrupts deferred;
            mark("/commencé");
            ::Sleep(1500);
            mark("/écrit");
        }
        ::Sleep(20000);
        std::_Exit(0);
    }
    QTemporaryDir folder;
    // A console of its own, shared with the writer; Ctrl-C is ignored here.
    ::FreeConsole();
    ASSERT_TRUE(::AllocConsole());
    PROCESS_INFORMATION writer{};
    ASSERT_TRUE(startThisCase(L"CtrlCWaitsForTheWriteInProgress", L"LUMO_INTERRUPTED_WRITER",
                              folder.path().toStdWString(), writer));
    ::SetConsoleCtrlHandler(nullptr, TRUE);
    while (!QFile::exists(folder.filePath(QStringLiteral("commencé"))) && ::WaitForSingleObject(writer.hProcess, 1)) {
    }
    ASSERT_TRUE(::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0));
    EXPECT_EQ(::WaitForSingleObject(writer.hProcess, 15000), static_cast<DWORD>(WAIT_OBJECT_0)) << "not ended";
    DWORD status = 0;
    ::GetExitCodeProcess(writer.hProcess, &status);
    EXPECT_EQ(status, static_cast<DWORD>(STATUS_CONTROL_C_EXIT));
    EXPECT_TRUE(QFile::exists(folder.filePath(QStringLiteral("écrit")))) << "ended in the middle of the write";
    ::CloseHandle(writer.hProcess);
    ::CloseHandle(writer.hThread);
    ::SetConsoleCtrlHandler(nullptr, FALSE);
    ::FreeConsole();
}

TEST(WindowsHost, ALinkAtAWorkingFileIsReplacedAndAPersonsLinkWrittenThrough) {
    QTemporaryDir folder;
    const QString elsewhere = folder.filePath(QStringLiteral("ailleurs.bmp"));
    host::writePictureFile(picture(qRgb(255, 0, 0)), elsewhere, host::PictureFormat::Bmp, lumo::Links::Replace);
    const QString link = folder.filePath(QStringLiteral("QRCODE.bmp"));
    // Wine makes a Unix link the system's calls do not see as one.
    if (!::CreateSymbolicLinkW(native(link).c_str(), native(elsewhere).c_str(), 0) ||
        !(::GetFileAttributesW(native(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT) ||
        ::GetFileAttributesW(native(link).c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no file links the system sees here";
    ASSERT_EQ(writeReason(link), QString());
    EXPECT_EQ(QImage(elsewhere).pixel(3, 3), qRgb(255, 0, 0)) << "the write followed the link";
    EXPECT_FALSE(::GetFileAttributesW(native(link).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);

    const QString personal = folder.filePath(QStringLiteral("mon code.bmp"));
    ASSERT_TRUE(::CreateSymbolicLinkW(native(personal).c_str(), native(elsewhere).c_str(), 0));
    ASSERT_EQ(writeReason(personal, lumo::Links::WriteThrough), QString());
    EXPECT_EQ(QImage(elsewhere).pixel(3, 3), qRgb(0, 0, 255));
    EXPECT_TRUE(::GetFileAttributesW(native(personal).c_str()) & FILE_ATTRIBUTE_REPARSE_POINT);
}

TEST(WindowsHost, TheRegistryIsTheSystemsOwn) {
    const char* key = "Software\\Lumo-RAZazu tests";
    HKEY created = nullptr;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &created, nullptr),
              ERROR_SUCCESS);
    const char value[] = "C:\\Outils système\\info.exe";
    ASSERT_EQ(::RegSetValueExA(created, "PATH", 0, REG_SZ, reinterpret_cast<const BYTE*>(value), sizeof value),
              ERROR_SUCCESS);
    ::RegCloseKey(created);

    host::PlatformRegistry registry;
    host::KeyHandle opened = 0;
    ASSERT_EQ(registry.openKey(0x80000001u, key, 0, KEY_READ, &opened), ERROR_SUCCESS);
    unsigned char data[260] = {};
    std::uint32_t type = 0, count = sizeof data;
    ASSERT_EQ(registry.queryValue(opened, "path", &type, data, &count), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<std::uint32_t>(REG_SZ));
    EXPECT_STREQ(reinterpret_cast<const char*>(data), value);
    EXPECT_EQ(registry.closeKey(opened), ERROR_SUCCESS);
    EXPECT_EQ(registry.openKey(0x80000001u, "Software\\Lumo-RAZazu absent", 0, KEY_READ, &opened),
              ERROR_FILE_NOT_FOUND);
    ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
}

} // namespace
