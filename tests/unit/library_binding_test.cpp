// The tool's binding of the two libraries when one is missing or broken: a clear message naming
// what is missing, and a library put in place later is taken at its next use. Not linked with the
// libraries, which would let the loader find them already in the process.
#include "Failure.h"
#include "LazyLibrary.h"
#include "QRCodeLib.h"
#include "QrDecode.h"

#include <QFile>
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

TEST(LibraryBinding, MissingLibraryIsNamed) {
    QTemporaryDir empty;
    host::LazyLibrary library(QStringLiteral("QRCodeLib"), {empty.path()});
    try {
        library.entry("FastQRCode");
        FAIL() << "no library, yet an entry point";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.whatFailed(), QStringLiteral("La bibliothèque QRCodeLib est introuvable ou illisible."));
    }
}

TEST(LibraryBinding, FileThatIsNotALibraryIsNamedWithTheLoadersReason) {
    QTemporaryDir folder;
    writeAll(folder.filePath(QStringLiteral("libLumo_Image_BmpJpg.so")), "Ceci n'est pas une bibliothèque.\n");
    host::LazyLibrary library(QStringLiteral("Lumo_Image_BmpJpg"), {folder.path()});
    try {
        library.entry("LIBmpToJpg");
        FAIL() << "a text file served as a library";
    } catch (const host::Failure& failure) {
        EXPECT_EQ(failure.whatFailed(),
                  QStringLiteral("La bibliothèque Lumo_Image_BmpJpg est introuvable ou illisible."));
        EXPECT_TRUE(failure.reason().contains(QStringLiteral("libLumo_Image_BmpJpg.so")))
            << failure.reason().toStdString();
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

} // namespace
