// The tool's binding of the two libraries when one is missing or broken: a clear message naming
// what is missing, and a library put in place later is taken at its next use; and where the
// program's layout puts its working files. Not linked with the
// libraries, which would let the loader find them already in the process.
#include "Failure.h"
#include "FakeHost.h" // readable QString values
#include "LazyLibrary.h"
#include "QRCodeLib.h"
#include "QrDecode.h"
#include "WorkFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kBinDir = QStringLiteral(LIBRARY_BIN_DIR);

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// Said in French, with the file and every folder it was looked for in. Run again with the
// library's own folder in LD_LIBRARY_PATH: a search by bare name would find it there.
TEST(LibraryBinding, MissingLibraryIsNamedWithTheFoldersSearchedAndNothingElseIsTried) {
    if (!qEnvironmentVariableIsSet("LUMO_LIBRARY_PATH_SET")) {
        QProcess child;
        auto env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("LUMO_LIBRARY_PATH_SET"), QStringLiteral("1"));
        env.insert(QStringLiteral("LD_LIBRARY_PATH"), kBinDir);
        child.setProcessEnvironment(env);
        child.setProcessChannelMode(QProcess::MergedChannels);
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=%1.%2").arg(info->test_suite_name(), info->name())});
        ASSERT_TRUE(child.waitForFinished(60000));
        const std::string output = child.readAll().toStdString();
        EXPECT_EQ(child.exitCode(), 0) << output;
        EXPECT_NE(output.find("[  PASSED  ] 1 test"), std::string::npos) << output;
    }
    QTemporaryDir empty;
    host::LazyLibrary library(QStringLiteral("QRCodeLib"), {empty.path(), empty.path() + "/../absent"});
    try {
        library.entry("FastQRCode");
        FAIL() << "no library in its folders, yet an entry point";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.whatFailed(), QStringLiteral("La bibliothèque QRCodeLib est introuvable ou illisible."));
        EXPECT_EQ(failure.reason(), "Le fichier « libQRCodeLib.so » manque ; il a été cherché dans : « " +
                                        empty.path() + " », « " + QDir::cleanPath(empty.path() + "/../absent") +
                                        " ».");
    }
}

TEST(LibraryBinding, FileThatIsNotALibraryIsNamedWithoutTheLoadersText) {
    QTemporaryDir folder;
    writeAll(folder.filePath(QStringLiteral("libLumo_Image_BmpJpg.so")), "Ceci n'est pas une bibliothèque.\n");
    host::LazyLibrary library(QStringLiteral("Lumo_Image_BmpJpg"), {folder.path()});
    try {
        library.entry("LIBmpToJpg");
        FAIL() << "a text file served as a library";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.whatFailed(),
                  QStringLiteral("La bibliothèque Lumo_Image_BmpJpg est introuvable ou illisible."));
        EXPECT_EQ(failure.reason(), "Le fichier « " + folder.filePath("libLumo_Image_BmpJpg.so") +
                                        " » ne peut pas être chargé : il est abîmé, fait pour un autre système, ou "
                                        "une bibliothèque dont il dépend manque.");
    }
}

TEST(LibraryBinding, LibraryWithoutTheEntryPointIsNamedAndARepairIsTakenAtTheNextUse) {
    QTemporaryDir folder;
    const QString name = folder.filePath(QStringLiteral("libQRCodeLib.so"));
    // A real library under the name, but the other one: it has no FastQRCode.
    ASSERT_TRUE(QFile::copy(kBinDir + QStringLiteral("/libLumo_Image_BmpJpg.so"), name));
    {
        host::LazyLibrary library(QStringLiteral("QRCodeLib"), {folder.path()});
        try {
            library.entry("FastQRCode");
            FAIL() << "an entry point out of nowhere";
        } catch (const host::Failure& failure) {
            EXPECT_EQ(failure.whatFailed(),
                      QStringLiteral("Le point d'entrée FastQRCode est introuvable dans la bibliothèque QRCodeLib."));
        }
    }
    // A missing library put in place while the tool runs is found at the next use.
    QTemporaryDir later;
    host::LazyLibrary library(QStringLiteral("QRCodeLib"), {later.path()});
    EXPECT_THROW(library.entry("FastQRCode"), host::Failure);
    ASSERT_TRUE(QFile::copy(kBinDir + QStringLiteral("/libQRCodeLib.so"), later.filePath("libQRCodeLib.so")));
    using Fn = int32_t (*)(const char*, const char*);
    const auto encode = reinterpret_cast<Fn>(library.entry("FastQRCode"));
    ASSERT_NE(encode, nullptr);
    const QString target = later.filePath(QStringLiteral("QRCODE.bmp"));
    EXPECT_EQ(encode("réparé", target.toUtf8().constData()), QRCL_OK);
    EXPECT_EQ(testsupport::zxingDecode(QImage(target)), "réparé");
}

// Where the working files go, in each layout the program can be found in.
TEST(ProgramLayout, WorkFolderFollowsWhereTheProgramIs) {
    using host::WorkFolderFacts;
    const QString data = QStringLiteral("/home/ana/.local/share");
    const QString own = data + QStringLiteral("/lumo-razazu");
    struct Row {
        const char* layout;
        WorkFolderFacts facts;
        QString folder;
        bool own;
    };
    const Row rows[] = {
        {"build or copied folder", {"/home/ana/build/bin", false, true, data}, "/home/ana/build/bin", false},
        {"installed, even where root could write", {"/usr/bin", true, true, data}, own, true},
        {"installed", {"/usr/bin", true, false, data}, own, true},
        {"read-only copied folder", {"/media/cd", false, false, data}, own, true},
        {"nowhere to write", {"/media/cd", false, false, {}}, {}, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.layout);
        const host::WorkFolderChoice choice = host::chooseWorkFolder(row.facts);
        EXPECT_EQ(choice.folder, row.folder);
        EXPECT_EQ(choice.ownDataFolder, row.own);
    }
    // The XDG rules: a relative XDG_DATA_HOME is ignored.
    EXPECT_EQ(host::xdgDataHome("/home/ana", "/srv/donnees/"), "/srv/donnees");
    EXPECT_EQ(host::xdgDataHome("/home/ana", "donnees"), data);
    EXPECT_EQ(host::xdgDataHome("/home/ana", ""), data);
    EXPECT_EQ(host::xdgDataHome("", "donnees"), "");
}

} // namespace
