// The system-information launcher on the fake registry, then the real host's pieces it relies on.
#include "FakeHost.h"
#include "PlatformRegistry.h"
#include "QtHost.h"
#include "SysInfo.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

using testsupport::FakeHost;
using testsupport::FakeRegistry;

namespace {

constexpr auto HKLM = host::HKEY_LOCAL_MACHINE;
const QByteArray firstKey = "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO";
const QByteArray secondKey = "SOFTWARE\\Microsoft\\Shared Tools Location";

struct SysInfo : ::testing::Test {
    FakeHost host;
    FakeRegistry& registry = host.fakeRegistry;
    QString folder = host.tempPath() + "/msinfo dir";

    void setFirst(const QByteArray& data, std::uint32_t type = host::REG_SZ) {
        registry.setValue(HKLM, firstKey, "PATH", {type, data});
    }
    // The second key names the folder (plus suffix); the program is put there or not.
    void setSecond(const QString& suffix, bool withProgram) {
        QDir().mkpath(folder);
        if (withProgram)
            QFile(folder + "/MSINFO32.EXE").open(QIODevice::WriteOnly);
        registry.setValue(HKLM, secondKey, "MSINFO", {host::REG_SZ, (folder + suffix).toUtf8() + '\0'});
        host.programsThatStart.insert(folder + suffix + "/MSINFO32.EXE");
    }
    bool saidNotFound() const {
        return host.messages.size() == 1 && host.messages[0].text == "Information Systeme introuvable !" &&
               host.messages[0].kind == host::MessageKind::Plain && host.messages[0].title.isEmpty() &&
               host.started.isEmpty();
    }
    bool secondKeyRead() const { return registry.calls.join('|').contains("Shared Tools Location"); }
    QString read(const QByteArray& data, std::uint32_t type, bool* ok = nullptr) {
        setFirst(data, type);
        QString value = "avant";
        const bool result = about::readKeyValue(registry, HKLM, firstKey, "PATH", value);
        if (ok)
            *ok = result;
        return value;
    }
};

TEST_F(SysInfo, FirstKeyIsStartedAsReadAndTheSecondNeverRead) {
    setFirst("/opt/outils système/hardinfo");
    setSecond({}, true);
    host.programsThatStart.insert("/opt/outils système/hardinfo");
    about::startSystemInformation(host);
    EXPECT_EQ(host.started, QStringList{"/opt/outils système/hardinfo"});
    const QStringList calls = {"open SOFTWARE\\Microsoft\\Shared Tools\\MSINFO 0x2003f", "query PATH",
                               "close"};
    EXPECT_EQ(registry.calls, calls);
}

TEST_F(SysInfo, SecondKeyFolderGetsTheProgramNameAppendedAsItIs) {
    setSecond("/", true); // plain concatenation: two separators
    about::startSystemInformation(host);
    EXPECT_EQ(host.started, QStringList{folder + "//MSINFO32.EXE"});
    EXPECT_EQ(registry.calls.filter("close").size(), 2); // the failed first open is closed too
    EXPECT_EQ(registry.openHandles, 0);
}

TEST_F(SysInfo, DeadEndsSayTheToolIsMissing) {
    about::startSystemInformation(host); // no key at all
    EXPECT_TRUE(saidNotFound());

    host.messages.clear();
    setSecond({}, false);
    about::startSystemInformation(host);
    EXPECT_TRUE(saidNotFound());

    host.messages.clear();
    host.failNext("firstMatchingFile"); // a failure on the way ends the search at once
    about::startSystemInformation(host);
    EXPECT_TRUE(saidNotFound());
}

TEST_F(SysInfo, AFirstKeyLeadingNowhereIsNotFollowedByTheSecond) {
    setSecond({}, true);
    for (const auto& [data, type] : {std::pair<QByteArray, std::uint32_t>{"/nulle/part", host::REG_SZ},
                                     {"\x01\x02", host::REG_BINARY}}) {
        host.messages.clear();
        registry.calls.clear();
        setFirst(data, type);
        about::startSystemInformation(host);
        EXPECT_TRUE(saidNotFound());
        EXPECT_FALSE(secondKeyRead());
    }
}

TEST_F(SysInfo, AKeyRefusingTheRightsAskedCountsAsMissing) {
    setFirst("/usr/bin/hardinfo");
    host.programsThatStart.insert("/usr/bin/hardinfo");
    registry.readOnlyKeys.insert(FakeRegistry::keyPath(HKLM, firstKey));
    setSecond({}, true);
    about::startSystemInformation(host);
    EXPECT_EQ(host.started, QStringList{folder + "/MSINFO32.EXE"});
}

TEST_F(SysInfo, ValueTextsByTypeAndSize) {
    EXPECT_EQ(read("/usr/bin/hardinfo", host::REG_SZ), "/usr/bin/hardinfo");
    EXPECT_EQ(read(QByteArray("/usr/bin/hardinfo\0", 18), host::REG_SZ), "/usr/bin/hardinfo");
    EXPECT_EQ(read("C:/Programmes/Système", host::REG_SZ), "C:/Programmes/Système");
    EXPECT_EQ(read("", host::REG_SZ), "");
    EXPECT_EQ(read(QByteArray("\x78\x56\x34\x12", 4), host::REG_DWORD), "&h12345678");
    EXPECT_EQ(read(QByteArray("\xFF\x00\x00\x80", 4), host::REG_DWORD), "&h800000FF");
    EXPECT_EQ(read("/bin/sh", host::REG_EXPAND_SZ), "avant"); // other types leave it as it was
    EXPECT_EQ(read(QByteArray(1024, 'a'), host::REG_SZ), QString(1024, 'a'));
    EXPECT_EQ(read(QByteArray(1023, 'a') + '\0', host::REG_SZ), QString(1023, 'a'));
    bool ok = true;
    EXPECT_EQ(read(QByteArray(1024, 'a') + '\0', host::REG_SZ, &ok), ""); // 1025 bytes: missing
    EXPECT_FALSE(ok);
    EXPECT_EQ(registry.openHandles, 0);
}

// ---- the real host ----

void makeScript(const QString& path, const QString& marker) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QStringLiteral("#!/bin/sh\necho \"$#\" > '%1'\n").arg(marker).toUtf8());
    file.setPermissions(file.permissions() | QFile::ExeOwner);
}

TEST(PlatformRegistryView, NamesTheFirstSysInfoProgramOnPath) {
    QTemporaryDir dir;
    makeScript(dir.filePath("gnome-system-monitor"), {});
    makeScript(dir.filePath("kinfocenter"), {});
    const QByteArray savedPath = qgetenv("PATH");
    qputenv("PATH", dir.path().toLocal8Bit());
    host::PlatformRegistry registry;
    QString value;
    EXPECT_TRUE(about::readKeyValue(registry, HKLM, about::sysInfoKey, about::sysInfoValue, value));
    EXPECT_EQ(value, dir.filePath("kinfocenter"));
    EXPECT_FALSE(
        about::readKeyValue(registry, HKLM, about::sysInfoFolderKey, about::sysInfoFolderValue, value));

    host::KeyHandle key = 0;
    unsigned char small[4];
    std::uint32_t count = sizeof small, type = 0;
    ASSERT_EQ(registry.openKey(HKLM, firstKey.toLower(), 0, host::KEY_READ, &key), 0);
    EXPECT_EQ(registry.queryValue(key, "path", &type, small, &count), host::ERROR_MORE_DATA);
    EXPECT_EQ(count, dir.filePath("kinfocenter").size() + 1u);
    EXPECT_EQ(registry.closeKey(key), host::ERROR_SUCCESS);
    EXPECT_EQ(registry.queryValue(key, "PATH", &type, small, &count), host::ERROR_INVALID_HANDLE);

    qputenv("PATH", dir.filePath("vide").toLocal8Bit());
    EXPECT_FALSE(about::readKeyValue(registry, HKLM, about::sysInfoKey, about::sysInfoValue, value));
    qputenv("PATH", savedPath);
}

TEST(RealHost, StartsAProgramByItsWholePathWithNoArguments) {
    QTemporaryDir dir;
    QDir(dir.path()).mkdir("outils système");
    makeScript(dir.filePath("outils"), dir.filePath("decoy")); // what a split at the blank would start
    makeScript(dir.filePath("outils système/info"), dir.filePath("started"));
    host::QtHost host;
    host.startProgram(dir.filePath("outils système/info"));
    QElapsedTimer timer;
    timer.start();
    while (QFileInfo(dir.filePath("started")).size() == 0 && timer.elapsed() < 10000)
        QThread::msleep(20);
    QFile marker(dir.filePath("started"));
    ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
    EXPECT_EQ(marker.readAll(), "0\n"); // no arguments
    EXPECT_FALSE(QFile::exists(dir.filePath("decoy")));

    EXPECT_THROW(host.startProgram(QString()), host::Failure);
    EXPECT_THROW(host.startProgram(dir.filePath("absent")), host::Failure);
    EXPECT_THROW(host.startProgram(dir.filePath("outils") + QChar(u'\0') + "x"), host::Failure);
}

} // namespace
