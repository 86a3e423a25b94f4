// The two libraries, linked directly, under bad input and file-system faults: each case ends in a
// code, never a crash, never a code of another text, and a file already at the target stays as it
// was. Also the host's own care of the folders they write in.
#include "Failure.h"
#include "FileOps.h"
#include "FakeHost.h" // readable QString values
#include "Lumo_Image_BmpJpg.h"
#include "AtomicWrite.h"
#include "QRCodeLib.h"
#include "QrDecode.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <mutex>
#include <optional>
#include <csignal>
#include <functional>
#include <vector>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

// ---- The steps of every write in this process, the libraries' included ----------------------------
//
// These definitions stand before the C library's for the whole process: while a case records, the
// flushes and the steps that give a file its name are written down in order; with anonymous files
// off, O_TMPFILE fails as it does on a file system that has none.
namespace steps {
std::atomic<bool> recording{false};
std::atomic<bool> anonymousFiles{true};
std::mutex mutex;
QStringList log;

void note(const QString& line) {
    const std::lock_guard lock(mutex);
    log << line;
}
QString pathOf(int fd) {
    char target[PATH_MAX];
    const ssize_t size = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), target, sizeof target);
    return size < 0 ? QStringLiteral("?") : QString::fromUtf8(target, size);
}
template <typename Fn>
Fn next(const char* name) {
    return reinterpret_cast<Fn>(::dlsym(RTLD_NEXT, name));
}
// Records from construction to take(), with or without anonymous files.
struct Recording {
    explicit Recording(bool anonymous) {
        log.clear();
        anonymousFiles = anonymous;
        recording = true;
    }
    ~Recording() {
        recording = false;
        anonymousFiles = true;
    }
    // The steps under folder, its name and the random part of hidden names left out.
    QStringList take(const QString& folder) {
        recording = false;
        const std::lock_guard lock(mutex);
        QStringList steps;
        for (QString line : log) {
            if (!line.contains(folder))
                continue;
            line.replace(folder + u'/', QString());
            line.replace(QRegularExpression(QStringLiteral("#\\d+ \\(deleted\\)")), QStringLiteral("(anonyme)"));
            line.replace(QRegularExpression(QStringLiteral("(\\.lumo-[^ ]+\\.)[a-z0-9]{6}\\b")),
                         QStringLiteral("\\1XXXXXX"));
            steps << line;
        }
        return steps;
    }
};
} // namespace steps

#define LUMO_INTERPOSED __attribute__((visibility("default")))
extern "C" {
LUMO_INTERPOSED int fsync(int fd) {
    static const auto real = steps::next<int (*)(int)>("fsync");
    if (steps::recording)
        steps::note(QStringLiteral("fsync ") + steps::pathOf(fd));
    return real(fd);
}
LUMO_INTERPOSED int syncfs(int fd) noexcept {
    static const auto real = steps::next<int (*)(int)>("syncfs");
    if (steps::recording)
        steps::note(QStringLiteral("syncfs ") + steps::pathOf(fd));
    return real(fd);
}
LUMO_INTERPOSED int rename(const char* from, const char* to) noexcept {
    static const auto real = steps::next<int (*)(const char*, const char*)>("rename");
    if (steps::recording)
        steps::note(QStringLiteral("rename %1 %2").arg(QString::fromUtf8(from), QString::fromUtf8(to)));
    return real(from, to);
}
LUMO_INTERPOSED int linkat(int fromFolder, const char* from, int toFolder, const char* to, int flags) noexcept {
    static const auto real = steps::next<int (*)(int, const char*, int, const char*, int)>("linkat");
    if (steps::recording)
        steps::note(QStringLiteral("link ") + QString::fromUtf8(to));
    return real(fromFolder, from, toFolder, to, flags);
}
LUMO_INTERPOSED int open(const char* path, int flags, ...) {
    static const auto real = steps::next<int (*)(const char*, int, ...)>("open");
    va_list args;
    va_start(args, flags);
    const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(args, mode_t) : 0;
    va_end(args);
    if ((flags & O_TMPFILE) == O_TMPFILE && !steps::anonymousFiles) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return real(path, flags, mode);
}
}

namespace {

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

class LibraryFaults : public ::testing::Test {
protected:
    // Runs a write in a child that is killed (SIGXFSZ) beyond its 200th byte, halfway through the file.
    static void killHalfway(const std::function<void()>& write, bool anonymousFiles) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            steps::anonymousFiles = anonymousFiles;
            const rlimit limit{200, 200};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            write();
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ);
    }
    QTemporaryDir m_dir;
    QString file(const QString& name) const { return m_dir.filePath(name); }
    // Everything in the folder, hidden files included: no temporary may survive a failure.
    QStringList entries(const QString& folder = {}) const {
        return QDir(folder.isEmpty() ? m_dir.path() : folder)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }
    std::optional<std::string> decode(const QString& path) const { return testsupport::zxingDecode(QImage(path)); }
    // A small BMP that the converter reads.
    QString sourceBmp() const {
        const QString path = file(QStringLiteral("Temp.bmp"));
        EXPECT_EQ(FastQRCode("https://exemple.fr/", path.toUtf8().constData()), QRCL_OK);
        return path;
    }
};

// ---- Texts: a code of exactly that text, or a refusal ------------------------------------------

TEST_F(LibraryFaults, PastedMegabyteIsRefusedAsTooLongWithoutAFile) {
    const QByteArray target = file(QStringLiteral("QRCODE.bmp")).toUtf8();
    const std::string megabyte(1 << 20, 'x');
    EXPECT_EQ(FastQRCode(megabyte.c_str(), target.constData()), QRCL_ERR_TOO_LONG);
    EXPECT_EQ(FastQRCodeN(megabyte.data(), static_cast<int32_t>(megabyte.size()), target.constData()),
              QRCL_ERR_TOO_LONG);
    const std::string digits(1 << 20, '7');
    EXPECT_EQ(FastQRCode(digits.c_str(), target.constData()), QRCL_ERR_TOO_LONG);
    std::string accents;
    while (accents.size() < (1u << 20))
        accents += "é";
    EXPECT_EQ(FastQRCode(accents.c_str(), target.constData()), QRCL_ERR_TOO_LONG);
    EXPECT_TRUE(entries().isEmpty());
}

TEST_F(LibraryFaults, RightToLeftAndControlCharactersReadBackExactly) {
    std::string controls;
    for (char c = 1; c < 32; ++c)
        controls += c;
    controls += '\x7F';
    const std::string texts[] = {
        "שלום עולם https://exemple.fr/שלום",               // Hebrew around a left-to-right link
        "مرحبا بالعالم ١٢٣ 456",                          // Arabic with Arabic-Indic and Latin digits
        "\u202Egnp.exe\u202C \u200Flien\u200E \u2067x\u2069", // direction overrides, marks, isolates
        controls,
        "ligne 1\r\nligne 2\ttab\x1b[31mrouge\x1b[0m",
    };
    const QString target = file(QStringLiteral("QRCODE.bmp"));
    for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        ASSERT_EQ(FastQRCode(text.c_str(), target.toUtf8().constData()), QRCL_OK);
        EXPECT_EQ(decode(target), text);
    }
}

// ---- Targets that must not be replaced, and links ------------------------------------------------

TEST_F(LibraryFaults, ReadOnlyTargetsAreWriteFailuresAndStayAsTheyWere) {
    const QString bmp = sourceBmp();
    const QString code = file(QStringLiteral("QRCODE.bmp"));
    const QString jpg = file(QStringLiteral("image.jpg"));
    writeAll(code, "older code");
    writeAll(jpg, "older picture");
    // No write right for anyone: root too must leave them, as it would for a program writing in place.
    ASSERT_EQ(::chmod(code.toUtf8().constData(), 0444), 0);
    ASSERT_EQ(::chmod(jpg.toUtf8().constData(), 0444), 0);

    EXPECT_EQ(FastQRCode("https://exemple.fr/", code.toUtf8().constData()), QRCL_ERR_WRITE);
    EXPECT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), jpg.toUtf8().constData(), 80, 1), LIBJ_ERR_WRITE);
    EXPECT_EQ(readAll(code), "older code");
    EXPECT_EQ(readAll(jpg), "older picture");
    struct stat st {};
    ASSERT_EQ(::stat(code.toUtf8().constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0444u);
    EXPECT_EQ(entries(), QStringList({"QRCODE.bmp", "Temp.bmp", "image.jpg"}));
}

// A FIFO or a device is what the person named, not a place for a picture: refused before it is
// opened (a FIFO with no reader would block) and left as it is, directly or through a link.
TEST_F(LibraryFaults, FifosAndDevicesAreRefusedAndLeftAsTheyAre) {
    const QString bmp = sourceBmp();
    const QString fifo = file(QStringLiteral("tube"));
    ASSERT_EQ(::mkfifo(fifo.toUtf8().constData(), 0644), 0);
    ASSERT_TRUE(QFile::link(fifo, file(QStringLiteral("tube.jpg"))));
    QStringList specials = {fifo};
    // A null device of our own, so that a fault replaces no system's node; root may make one.
    const QString device = file(QStringLiteral("nul"));
    if (::mknod(device.toUtf8().constData(), S_IFCHR | 0666, makedev(1, 3)) == 0) {
        ASSERT_TRUE(QFile::link(device, file(QStringLiteral("nul.jpg"))));
        specials << device;
    }
    for (const QString& special : specials) {
        SCOPED_TRACE(special.toStdString());
        EXPECT_EQ(FastQRCode("lien", special.toUtf8().constData()), QRCL_ERR_WRITE);
        EXPECT_EQ(QRCodeLibLastError(), 4096);
        EXPECT_EQ(FastQRCodeSvg("lien", special.toUtf8().constData()), QRCL_ERR_WRITE);
        EXPECT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), special.toUtf8().constData(), 80, 1), LIBJ_ERR_WRITE);
        EXPECT_EQ(LILastError(), 4096);
        // A person's target is written through its link: what the link points at decides.
        EXPECT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), (special + ".jpg").toUtf8().constData(), 80, 1),
                  LIBJ_ERR_WRITE);
        EXPECT_EQ(LILastError(), 4096);
        struct stat st {};
        ASSERT_EQ(::lstat(special.toUtf8().constData(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));
        EXPECT_TRUE(QFileInfo(special + ".jpg").isSymLink());
    }
    EXPECT_EQ(entries().size(), 1 + 2 * specials.size());
}

// The encoder's path is a working file: a link planted there is replaced. The converter's target
// is a person's: a link there is written through and keeps pointing at the new picture.
TEST_F(LibraryFaults, LinksAreReplacedAtWorkingFilesAndWrittenThroughAtTargets) {
    const QString bmp = sourceBmp();
    QTemporaryDir elsewhere;
    const QString existing = elsewhere.filePath(QStringLiteral("mine.jpg"));
    writeAll(existing, "older picture");
    const QString dangling = elsewhere.filePath(QStringLiteral("gone.bmp"));
    ASSERT_TRUE(QFile::link(dangling, file(QStringLiteral("QRCODE.bmp"))));
    ASSERT_TRUE(QFile::link(existing, file(QStringLiteral("image.jpg"))));

    ASSERT_EQ(FastQRCode("lien", file(QStringLiteral("QRCODE.bmp")).toUtf8().constData()), QRCL_OK);
    ASSERT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), file(QStringLiteral("image.jpg")).toUtf8().constData(), 80, 1),
              LIBJ_OK);

    EXPECT_FALSE(QFileInfo(file(QStringLiteral("QRCODE.bmp"))).isSymLink());
    EXPECT_EQ(decode(file(QStringLiteral("QRCODE.bmp"))), "lien");
    EXPECT_TRUE(QFileInfo(file(QStringLiteral("image.jpg"))).isSymLink());
    EXPECT_EQ(decode(existing), "https://exemple.fr/");
    EXPECT_EQ(entries(elsewhere.path()), QStringList{"mine.jpg"});
}

// A process killed in the middle of a write leaves the older file and nothing beside it. Without
// anonymous files it leaves its hidden part: the next write of that name removes it, the working
// folder's sweep any of the writer's; nobody else's file goes, nor a part still being written.
TEST_F(LibraryFaults, KilledWriterLeavesNoPartOrOneTheNextWriteRemoves) {
    const QString bmp = sourceBmp();
    const QString code = file(QStringLiteral("QRCODE.bmp"));
    const QString jpg = file(QStringLiteral("victim.jpg"));
    writeAll(code, "older code");
    writeAll(jpg, "older picture");
    const std::function<void()> writers[] = {
        [&] { FastQRCode("https://exemple.fr/", code.toUtf8().constData()); },
        [&] { LIBmpToJpg(bmp.toUtf8().constData(), jpg.toUtf8().constData(), 100, 1); }};
    for (const auto& write : writers)
        killHalfway(write, true);
    EXPECT_EQ(readAll(code), "older code");
    EXPECT_EQ(readAll(jpg), "older picture");
    EXPECT_EQ(entries(), QStringList({"QRCODE.bmp", "Temp.bmp", "victim.jpg"}));

    for (const auto& write : writers)
        killHalfway(write, false);
    const QStringList parts = entries().filter(QRegularExpression(QStringLiteral("^\\.lumo-")));
    ASSERT_EQ(parts.size(), 2);
    for (const char* name : {".lumo-user-notes", ".lumo-QRCODE.bmp.ABCDEF", ".lumo-.abcdef", "lumo-QRCODE.bmp.abcdef"})
        writeAll(file(name), "à quelqu'un");
    // Another user's part, of the writer's very name; root may give it away.
    writeAll(file(QStringLiteral(".lumo-QRCODE.bmp.zzzzzz")), "à quelqu'un");
    const QByteArray others = file(QStringLiteral(".lumo-QRCODE.bmp.zzzzzz")).toUtf8();
    const bool givenAway = ::chown(others.constData(), 65534, 65534) == 0;
    // A minute old, all of them; then a part of a write in progress.
    for (const QString& name : entries()) {
        const timespec times[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, file(name).toUtf8().constData(), times, AT_SYMLINK_NOFOLLOW), 0);
    }
    writeAll(file(QStringLiteral(".lumo-QRCODE.bmp.abc123")), "en cours");
    QStringList expected = entries();
    if (!givenAway)
        expected.removeAll(QStringLiteral(".lumo-QRCODE.bmp.zzzzzz")); // ours after all

    ASSERT_EQ(FastQRCode("lien", code.toUtf8().constData()), QRCL_OK);
    expected.removeAll(parts.filter(QStringLiteral("QRCODE")).value(0));
    EXPECT_EQ(entries(), expected);
    host::removeLeftovers(m_dir.path());
    expected.removeAll(parts.filter(QStringLiteral("victim")).value(0));
    EXPECT_EQ(entries(), expected);
}

// Nothing gets its name before its bytes are on disk, whether the file system has anonymous files
// or the bytes go through a hidden name first.
TEST_F(LibraryFaults, BytesAreFlushedBeforeTheNameAppears) {
    const QString bmp = sourceBmp();
    const QString code = file(QStringLiteral("QRCODE.bmp"));
    writeAll(code, "older code");
    for (const bool anonymous : {true, false}) {
        SCOPED_TRACE(anonymous ? "anonymous file" : "hidden name");
        const QString jpg = file(anonymous ? QStringLiteral("a.jpg") : QStringLiteral("b.jpg"));
        steps::Recording recording(anonymous);
        ASSERT_EQ(FastQRCode("https://exemple.fr/", code.toUtf8().constData()), QRCL_OK);
        ASSERT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), jpg.toUtf8().constData(), 80, 1), LIBJ_OK);
        const QString name = QFileInfo(jpg).fileName();
        const QStringList expected =
            anonymous ? QStringList{"fsync (anonyme)", "link .lumo-QRCODE.bmp.XXXXXX",
                                    "rename .lumo-QRCODE.bmp.XXXXXX QRCODE.bmp", "fsync (anonyme)", "link " + name}
                      : QStringList{"fsync .lumo-QRCODE.bmp.XXXXXX", "rename .lumo-QRCODE.bmp.XXXXXX QRCODE.bmp",
                                    "fsync .lumo-" + name + ".XXXXXX", "rename .lumo-" + name + ".XXXXXX " + name};
        EXPECT_EQ(recording.take(m_dir.path()), expected);
        EXPECT_EQ(decode(code), "https://exemple.fr/");
        EXPECT_EQ(decode(jpg), "https://exemple.fr/");
    }
    EXPECT_EQ(entries(), QStringList({"QRCODE.bmp", "Temp.bmp", "a.jpg", "b.jpg"}));

    // Many files, one flush: none is named before it, and none at all when they are dropped.
    const std::uint8_t bytes[] = {'q', 'r'};
    for (const bool anonymous : {true, false}) {
        SCOPED_TRACE(anonymous ? "staged, anonymous" : "staged, hidden names");
        steps::Recording recording(anonymous);
        {
            lumo::StagedWrites dropped;
            ASSERT_EQ(dropped.stage(QFile::encodeName(file("gone.svg")).constData(), bytes, lumo::Links::WriteThrough), 0);
        }
        lumo::StagedWrites staged;
        ASSERT_EQ(staged.stage(QFile::encodeName(file("s.svg")).constData(), bytes, lumo::Links::WriteThrough), 0);
        ASSERT_EQ(staged.stage(QFile::encodeName(code).constData(), bytes, lumo::Links::WriteThrough), 0);
        EXPECT_EQ(entries().filter(QRegularExpression("^(s|gone)\\.svg$")), QStringList());
        EXPECT_EQ(staged.publish(), (std::vector<int>{0, 0}));
        const QStringList expected =
            anonymous ? QStringList{"syncfs (anonyme)", "link s.svg", "link .lumo-QRCODE.bmp.XXXXXX",
                                    "rename .lumo-QRCODE.bmp.XXXXXX QRCODE.bmp"}
                      : QStringList{"syncfs .lumo-s.svg.XXXXXX", "rename .lumo-s.svg.XXXXXX s.svg",
                                    "rename .lumo-QRCODE.bmp.XXXXXX QRCODE.bmp"};
        EXPECT_EQ(recording.take(m_dir.path()).filter(QRegularExpression("^(sync|link|rename)")), expected);
        EXPECT_EQ(readAll(file("s.svg")), "qr");
        ASSERT_TRUE(QFile::remove(file("s.svg")));
    }

    // The command line flushes only what replaces an earlier file; a new name is left to the
    // system's own write-back, alone or in a batch.
    for (const bool anonymous : {true, false}) {
        SCOPED_TRACE(anonymous ? "when replacing, anonymous" : "when replacing, hidden names");
        steps::Recording recording(anonymous);
        const QByteArray alone = QFile::encodeName(file("n.svg")), batch = QFile::encodeName(file("m.svg"));
        for (int time = 0; time < 2; ++time) { // new, then replaced
            ASSERT_EQ(lumo::writeAtomically(alone.constData(), bytes, lumo::Links::WriteThrough,
                                            lumo::Flush::WhenReplacing), 0);
            lumo::StagedWrites staged(lumo::Flush::WhenReplacing);
            ASSERT_EQ(staged.stage(batch.constData(), bytes, lumo::Links::WriteThrough), 0);
            EXPECT_EQ(staged.publish(), std::vector<int>{0});
        }
        const auto temporary = [&](const char* name) {
            return anonymous ? QStringLiteral("(anonyme)") : ".lumo-" + QString(name) + ".XXXXXX";
        };
        EXPECT_EQ(recording.take(m_dir.path()).filter(QRegularExpression("sync")),
                  (QStringList{"fsync " + temporary("n.svg"), "syncfs " + temporary("m.svg")}));
        EXPECT_EQ(readAll(file("m.svg")), "qr");
        ASSERT_TRUE(QFile::remove(file("n.svg")) && QFile::remove(file("m.svg")));
    }
    EXPECT_EQ(entries(), QStringList({"QRCODE.bmp", "Temp.bmp", "a.jpg", "b.jpg"}));
}

// The host's working folder: private whatever the umask, and a lock name taken by a folder is
// said as such, not taken for another copy's lock.
TEST_F(LibraryFaults, WorkingFolderIsPrivateAndItsLockNameIsChecked) {
    const mode_t umask = ::umask(0);
    const QString data = file(QStringLiteral("data"));
    host::makePrivateFolder(data + QStringLiteral("/share/lumo-razazu"));
    ASSERT_TRUE(QDir().mkdir(file(QStringLiteral("older"))));
    host::makePrivateFolder(file(QStringLiteral("older")));
    ::umask(umask);
    for (const QString& folder : {data, data + "/share", data + "/share/lumo-razazu", file(QStringLiteral("older"))}) {
        struct stat st {};
        ASSERT_EQ(::stat(folder.toUtf8().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 07777, 0700u) << folder.toStdString();
    }

    // A second copy waits while the first holds the lock, then takes its turn; let go, the lock
    // leaves nothing beside the file, nor does a killed run's left-over block anybody.
    const QString target = file(QStringLiteral("tour.png"));
    auto first = host::lockBeside(target);
    int waits = 0;
    auto second = host::lockBeside(target, [&] {
        if (++waits == 3)
            first.reset();
    });
    EXPECT_EQ(waits, 3);
    second.reset();
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral(".tour.png.lock"))));
    QFile leftOver(file(QStringLiteral(".tour.png.lock")));
    ASSERT_TRUE(leftOver.open(QIODevice::WriteOnly) && leftOver.write("12345\n") > 0);
    leftOver.close();
    host::lockBeside(target, [] { FAIL() << "a left-over lock file taken for a held lock"; });
    EXPECT_FALSE(QFileInfo::exists(file(QStringLiteral(".tour.png.lock"))));

    ASSERT_TRUE(QDir().mkdir(file(QStringLiteral(".QRCODE.bmp.lock"))));
    try {
        host::lockBeside(file(QStringLiteral("QRCODE.bmp")));
        FAIL() << "a folder taken for a lock";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.reason(), "Un dossier porte le nom de son fichier de verrou « " +
                                        file(QStringLiteral(".QRCODE.bmp.lock")) + " ».");
    }
}

// ---- A full disk and a read-only folder, on a file system of their own ---------------------------
//
// Mounting a small tmpfs needs root. So that no mount outlives a case, each of these cases runs
// again as a child of `unshare --mount` (a private mount namespace) and does its work there.

class OwnFileSystem : public LibraryFaults {
protected:
    static bool inPrivateMounts() { return qEnvironmentVariableIsSet("LUMO_PRIVATE_MOUNTS"); }

    // In the parent: runs this very case in a private mount namespace and reports its outcome.
    // True when the case is to go on here (in the child).
    bool runInPrivateMounts() {
        if (inPrivateMounts())
            return true;
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        QProcess child;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUMO_PRIVATE_MOUNTS"), QStringLiteral("1"));
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(QStringLiteral("unshare"),
                    {"--mount", "--propagation", "private", QCoreApplication::applicationFilePath(),
                     QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
        EXPECT_TRUE(child.waitForFinished(120000));
        const std::string output = child.readAll().toStdString();
        EXPECT_EQ(child.exitStatus(), QProcess::NormalExit) << output;
        EXPECT_EQ(child.exitCode(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
        return false;
    }

    // A tmpfs of the given size on a new folder; the namespace takes it away with the process.
    QString mountTmpfs(const QString& name, int kilobytes) {
        const QString folder = file(name);
        EXPECT_TRUE(QDir().mkpath(folder));
        const QByteArray options = QByteArray("size=") + QByteArray::number(kilobytes) + "k";
        EXPECT_EQ(::mount("tmpfs", folder.toUtf8().constData(), "tmpfs", 0, options.constData()), 0)
            << std::strerror(errno);
        m_mounts << folder;
        return folder;
    }

    void SetUp() override {
        if (inPrivateMounts())
            return;
        if (::geteuid() != 0)
            GTEST_SKIP() << "mounting a tmpfs needs root";
        // A chroot whose root is no mount point cannot make its mounts private.
        QProcess probe;
        probe.setProcessChannelMode(QProcess::MergedChannels);
        probe.start(QStringLiteral("unshare"), {"--mount", "--propagation", "private", "true"});
        if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
            GTEST_SKIP() << "no private mount namespace here: " << probe.readAll().toStdString();
    }
    // Before the temporary folder goes: a mount point cannot be removed.
    void TearDown() override {
        for (const QString& folder : m_mounts)
            ::umount2(folder.toUtf8().constData(), MNT_DETACH);
    }

private:
    QStringList m_mounts;
};

TEST_F(OwnFileSystem, FullDiskIsAWriteFailureAndKeepsTheOlderFile) {
    if (!runInPrivateMounts())
        return;
    const QString bmp = sourceBmp();
    const QString disk = mountTmpfs(QStringLiteral("disk"), 256);
    const QString code = disk + QStringLiteral("/QRCODE.bmp");
    const QString jpg = disk + QStringLiteral("/image.jpg");
    writeAll(code, "older code");
    writeAll(jpg, "older picture");
    {
        QFile filler(disk + QStringLiteral("/filler"));
        ASSERT_TRUE(filler.open(QIODevice::WriteOnly));
        const QByteArray block(4096, '\0');
        while (filler.write(block) == block.size() && filler.flush()) {
        }
    }

    // A large code: its picture cannot fit in what is left.
    const std::string link = "https://exemple.fr/" + std::string(400, 'a');
    EXPECT_EQ(FastQRCode(link.c_str(), code.toUtf8().constData()), QRCL_ERR_WRITE);
    EXPECT_EQ(QRCodeLibLastError(), ENOSPC);
    EXPECT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), jpg.toUtf8().constData(), 100, 1), LIBJ_ERR_WRITE);
    EXPECT_EQ(LILastError(), ENOSPC);
    EXPECT_EQ(readAll(code), "older code");
    EXPECT_EQ(readAll(jpg), "older picture");
    EXPECT_EQ(entries(disk), QStringList({"QRCODE.bmp", "filler", "image.jpg"}));
}

TEST_F(OwnFileSystem, ReadOnlyFolderIsAWriteFailureAndKeepsTheOlderFile) {
    if (!runInPrivateMounts())
        return;
    const QString bmp = sourceBmp();
    const QString folder = mountTmpfs(QStringLiteral("readonly"), 1024);
    const QString code = folder + QStringLiteral("/QRCODE.bmp");
    const QString jpg = folder + QStringLiteral("/image.jpg");
    writeAll(code, "older code");
    writeAll(jpg, "older picture");
    // Read-only for root as well: the mount, not the permissions, refuses.
    ASSERT_EQ(::mount(nullptr, folder.toUtf8().constData(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0)
        << std::strerror(errno);

    EXPECT_EQ(FastQRCode("https://exemple.fr/", code.toUtf8().constData()), QRCL_ERR_WRITE);
    EXPECT_EQ(QRCodeLibLastError(), EROFS);
    EXPECT_EQ(LIBmpToJpg(bmp.toUtf8().constData(), jpg.toUtf8().constData(), 80, 1), LIBJ_ERR_WRITE);
    EXPECT_EQ(LILastError(), EROFS);
    EXPECT_EQ(readAll(code), "older code");
    EXPECT_EQ(readAll(jpg), "older picture");
    EXPECT_EQ(entries(folder), QStringList({"QRCODE.bmp", "image.jpg"}));
}

} // namespace
