// Lumo_Image_BmpJpg, linked directly: QR pictures survive the JPEG round trip, pixels keep their
// colours whatever BMP kind or row pitch they come in, and every failure has its code and leaves
// the target folder as it was.
#include "Lumo_Image_BmpJpg.h"
#include "QrDecode.h"
#include "QrPainting.h"

#include <gtest/gtest.h>
#include <qrencode.h>
#include <turbojpeg.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/stat.h>

extern "C" int32_t bmpjpg_convert_from_c(const char* bmpPath, const char* jpgPath);

namespace {

constexpr int kSide = lumo::test::kPictureSide;
constexpr int kFlag420 = 0;
constexpr int kFlag444 = 1;

struct QrPicture {
    QImage image;
    int version = 0;
    int scale = 0;
};

// The tool's picture of text, in the mode and ECI it would use.
QrPicture drawQr(const std::string& text, bool eciUtf8 = false) {
    QRinput* input = QRinput_new2(0, QR_ECLEVEL_M);
    if (eciUtf8)
        QRinput_appendECIheader(input, 26);
    QRinput_append(input, QR_MODE_8, static_cast<int>(text.size()),
                   reinterpret_cast<const unsigned char*>(text.data()));
    QRcode* code = QRcode_encodeInput(input);
    QRinput_free(input);
    if (!code)
        return {};
    QrPicture picture{lumo::test::paintQr(*code), code->version, lumo::test::moduleScale(*code)};
    QRcode_free(code);
    return picture;
}

std::string longLink() {
    std::string link = "https://www.exemple.org/partage?ref=lumo-razazu";
    for (int i = 0; link.size() < 2000; ++i)
        link.append("&champ").append(std::to_string(i)).append("=valeur-").append(std::to_string(i * 7919 % 1000));
    return link.substr(0, 2000);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

struct JpegHeader {
    int width = -1, height = -1, subsampling = -1;
    bool baseline = false;
};

JpegHeader readHeader(const QString& path) {
    const QByteArray bytes = readAll(path);
    JpegHeader header;
    tjhandle decoder = tjInitDecompress();
    int colorspace = 0;
    if (tjDecompressHeader3(decoder, reinterpret_cast<const unsigned char*>(bytes.constData()),
                            static_cast<unsigned long>(bytes.size()), &header.width, &header.height,
                            &header.subsampling, &colorspace) != 0)
        header.subsampling = -1;
    tjDestroy(decoder);
    header.baseline = bytes.contains(QByteArray("\xFF\xC0", 2));  // SOF0 frame marker
    return header;
}

// 32-bit BMPs: Qt writes 24-bit ones, so this one is built by hand (top-down when asked, a
// layout rarely written and not read).
QByteArray bmp32(const QImage& image, bool topDown) {
    const int w = image.width(), h = image.height();
    QByteArray bytes(54, '\0');
    auto put = [&](int at, qint64 value, int size) {
        for (int i = 0; i < size; ++i)
            bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put(2, 54 + 4LL * w * h, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, w, 4);
    put(22, topDown ? -h : h, 4);
    put(26, 1, 2);
    put(28, 32, 2);
    for (int row = 0; row < h; ++row) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(topDown ? row : h - 1 - row));
        for (int x = 0; x < w; ++x) {
            const char bgra[4] = {char(qBlue(line[x])), char(qGreen(line[x])), char(qRed(line[x])), 0};
            bytes.append(bgra, 4);
        }
    }
    return bytes;
}

// Four flat quadrants: red, green, blue, grey. A swapped channel or a skewed row shows at once.
QImage quadrants(int w, int h) {
    QImage image(w, h, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(0, 0, w / 2, h / 2, QColor(220, 30, 30));
    painter.fillRect(w / 2, 0, w - w / 2, h / 2, QColor(30, 200, 40));
    painter.fillRect(0, h / 2, w / 2, h - h / 2, QColor(20, 40, 210));
    painter.fillRect(w / 2, h / 2, w - w / 2, h - h / 2, QColor(128, 128, 128));
    return image;
}

void expectSameColours(const QImage& expected, const QImage& actual) {
    ASSERT_EQ(expected.size(), actual.size());
    const int w = expected.width(), h = expected.height();
    for (const QPoint p : {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4), QPoint(w / 4, 3 * h / 4),
                           QPoint(3 * w / 4, 3 * h / 4)}) {
        const QColor e = expected.pixelColor(p), a = actual.pixelColor(p);
        EXPECT_NEAR(e.red(), a.red(), 8) << p.x() << "," << p.y();
        EXPECT_NEAR(e.green(), a.green(), 8) << p.x() << "," << p.y();
        EXPECT_NEAR(e.blue(), a.blue(), 8) << p.x() << "," << p.y();
    }
}

// Lower-case so that `ctest -R bmpjpg` picks every case of this library.
class bmpjpg : public ::testing::Test {
protected:
    QTemporaryDir dir;
    std::string path(const QString& name) const { return dir.filePath(name).toStdString(); }
    QStringList entries() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
    }
    std::string saveBmp(const QImage& image, const QString& name = "qr.bmp") const {
        EXPECT_TRUE(image.save(dir.filePath(name), "BMP"));
        return path(name);
    }
};

// ---- QR codes survive the conversion ---------------------------------------------------------

struct LinkCase {
    const char* name;
    std::string link;
    bool eci;
};

void PrintTo(const LinkCase& linkCase, std::ostream* out) { *out << linkCase.name; }

class QrRoundTrip : public bmpjpg, public ::testing::WithParamInterface<std::tuple<LinkCase, int>> {};

TEST_P(QrRoundTrip, DecodesToTheLinkAt444) {
    const auto& [linkCase, quality] = GetParam();
    const QrPicture qr = drawQr(linkCase.link, linkCase.eci);
    ASSERT_GE(qr.scale, 2) << "the short links are drawn with modules of several pixels";
    const std::string bmp = saveBmp(qr.image);
    ASSERT_EQ(LIBmpToJpg(bmp.c_str(), path("qr.jpg").c_str(), quality, kFlag444), LIBJ_OK);

    const QImage jpeg(dir.filePath("qr.jpg"));
    ASSERT_EQ(jpeg.size(), QSize(kSide, kSide));
    EXPECT_EQ(testsupport::zxingDecode(jpeg), linkCase.link);
    EXPECT_EQ(entries(), QStringList({"qr.bmp", "qr.jpg"}));
}

INSTANTIATE_TEST_SUITE_P(
    bmpjpg, QrRoundTrip,
    ::testing::Combine(::testing::Values(LinkCase{"short", "https://exemple.fr", false},
                                         LinkCase{"medium", "https://www.exemple.org/lumo-razazu/telechargement?v=1.0.0&lang=fr", false},
                                         LinkCase{"accents", "https://exemple.fr/Noël/été?café=crème&prix=5€", true}),
                       ::testing::Values(100, 80, 50, 20)),
    [](const auto& info) {
        return std::string(std::get<0>(info.param).name) + "_q" + std::to_string(std::get<1>(info.param));
    });

// A 2000-byte link needs a version near 40 and leaves one pixel per module in 201 pixels: the
// results per quality are reported; only the best quality must decode.
TEST_F(bmpjpg, LongLinkDecodeReportPerQuality) {
    const std::string link = longLink();
    const QrPicture qr = drawQr(link);
    ASSERT_GE(qr.version, 35);
    ASSERT_EQ(qr.scale, 1);
    const std::string bmp = saveBmp(qr.image);
    for (const int quality : {100, 80, 50, 20}) {
        const std::string jpg = path(QString("long-%1.jpg").arg(quality));
        ASSERT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), quality, kFlag444), LIBJ_OK);
        const bool decoded = testsupport::zxingDecode(QImage(QString::fromStdString(jpg))) == link;
        std::printf("long link (%zu bytes, version %d, 1 px/module), quality %3d, 4:4:4: %s\n", link.size(),
                    qr.version, quality, decoded ? "decodes" : "does not decode");
        RecordProperty(QString("q%1").arg(quality).toStdString(), decoded ? "decodes" : "does not decode");
        if (quality == 100) {
            EXPECT_TRUE(decoded);
        }
    }
}

// ---- Pixels and JPEG layout ------------------------------------------------------------------

TEST_F(bmpjpg, FlagChoosesChromaSubsamplingOfABaselineJpeg) {
    const std::string bmp = saveBmp(quadrants(64, 48));
    ASSERT_EQ(LIBmpToJpg(bmp.c_str(), path("444.jpg").c_str(), 90, kFlag444), LIBJ_OK);
    ASSERT_EQ(LIBmpToJpg(bmp.c_str(), path("420.jpg").c_str(), 90, kFlag420), LIBJ_OK);
    const JpegHeader h444 = readHeader(dir.filePath("444.jpg")), h420 = readHeader(dir.filePath("420.jpg"));
    EXPECT_EQ(h444.subsampling, TJSAMP_444);
    EXPECT_EQ(h420.subsampling, TJSAMP_420);
    EXPECT_TRUE(h444.baseline);
    EXPECT_TRUE(h420.baseline);
    EXPECT_EQ(h444.width, 64);
    EXPECT_EQ(h444.height, 48);
}

TEST_F(bmpjpg, EveryReadableBmpKindKeepsItsColours) {
    const QImage colours = quadrants(40, 30);
    saveBmp(colours, "24.bmp");
    writeAll(dir.filePath("32.bmp"), bmp32(colours, false));
    // More than 16 colours, or Qt would write a 4-bit file.
    QImage indexed = colours.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    QList<QRgb> table = indexed.colorTable();
    while (table.size() < 32)
        table.append(qRgb(table.size(), 0, 0));
    indexed.setColorTable(table);
    saveBmp(indexed, "8.bmp");
    saveBmp(colours.convertToFormat(QImage::Format_Grayscale8), "8grey.bmp");

    for (const QString name : {"24.bmp", "32.bmp", "8.bmp", "8grey.bmp"}) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(LIBmpToJpg(path(name).c_str(), path("out.jpg").c_str(), 95, kFlag444), LIBJ_OK);
        const QImage expected = name == "8grey.bmp" ? colours.convertToFormat(QImage::Format_Grayscale8) : colours;
        expectSameColours(expected.convertToFormat(QImage::Format_RGB32), QImage(dir.filePath("out.jpg")));
    }
}

TEST_F(bmpjpg, WriteJpgHonoursThePitchAndDecodes) {
    // Rows padded with noise that must not leak into the picture.
    const QImage qr = drawQr("https://exemple.fr/pitch").image;
    const int pitch = kSide * 3 + 13;
    std::vector<unsigned char> rgb(static_cast<size_t>(pitch) * kSide, 0x5A);
    for (int y = 0; y < kSide; ++y)
        for (int x = 0; x < kSide; ++x) {
            const QRgb p = qr.pixel(x, y);
            unsigned char* at = &rgb[static_cast<size_t>(y) * pitch + 3 * x];
            at[0] = static_cast<unsigned char>(qRed(p));
            at[1] = static_cast<unsigned char>(qGreen(p));
            at[2] = static_cast<unsigned char>(qBlue(p));
        }
    ASSERT_EQ(LIWriteJpg(path("w.jpg").c_str(), rgb.data(), kSide, kSide, pitch, 80, kFlag444), LIBJ_OK);
    EXPECT_EQ(testsupport::zxingDecode(QImage(dir.filePath("w.jpg"))), "https://exemple.fr/pitch");

    const QImage colours = quadrants(33, 17).convertToFormat(QImage::Format_RGB888);
    ASSERT_EQ(LIWriteJpg(path("c.jpg").c_str(), colours.constBits(), 33, 17,
                         static_cast<int32_t>(colours.bytesPerLine()), 95, kFlag420),
              LIBJ_OK);
    expectSameColours(colours.convertToFormat(QImage::Format_RGB32), QImage(dir.filePath("c.jpg")));
    EXPECT_EQ(readHeader(dir.filePath("c.jpg")).subsampling, TJSAMP_420);
}

TEST_F(bmpjpg, FilesGetOrdinaryPermissionsAndUtf8Names) {
    const std::string bmp = saveBmp(quadrants(8, 8), "Noël à l'été.bmp");
    const std::string jpg = path("Noël à l'été.jpg");
    const mode_t mask = ::umask(022);
    ::umask(mask);
    ASSERT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), 80, kFlag444), LIBJ_OK);
    struct stat st {};
    ASSERT_EQ(::stat(jpg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666 & ~mask) << "not the 0600 of a temporary file";

    ASSERT_EQ(::chmod(jpg.c_str(), 0640), 0);
    ASSERT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), 50, kFlag444), LIBJ_OK);
    ASSERT_EQ(::stat(jpg.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "a replaced picture keeps its permissions";
}

// ---- Failures: the right code, and the folder as it was -------------------------------------

TEST_F(bmpjpg, ArgumentAndQualityFailuresComeFirst) {
    const std::string bmp = saveBmp(quadrants(8, 8));
    const std::string jpg = path("out.jpg");
    const unsigned char px[3] = {};
    EXPECT_EQ(LIBmpToJpg(nullptr, jpg.c_str(), 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIBmpToJpg("", jpg.c_str(), 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIBmpToJpg(bmp.c_str(), nullptr, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIBmpToJpg(bmp.c_str(), "", 80, 1), LIBJ_ERR_ARGUMENT);
    for (const int flag : {-1, 2, 0x100}) {
        EXPECT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), 80, flag), LIBJ_ERR_ARGUMENT) << flag;
    }
    for (const int quality : {0, 101, -5}) {
        EXPECT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), quality, 1), LIBJ_ERR_QUALITY) << quality;
    }
    EXPECT_EQ(LIBmpToJpg(bmp.c_str(), jpg.c_str(), 0, 7), LIBJ_ERR_ARGUMENT) << "argument before quality";
    EXPECT_EQ(LIBmpToJpg(path("missing.bmp").c_str(), jpg.c_str(), 0, 1), LIBJ_ERR_QUALITY)
        << "quality checked before the source is read";

    EXPECT_EQ(LIWriteJpg(jpg.c_str(), nullptr, 1, 1, 3, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(nullptr, px, 1, 1, 3, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 0, 1, 3, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 1, -1, 3, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 1, 1, 2, 80, 1), LIBJ_ERR_ARGUMENT) << "pitch below 3 * width";
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 65501, 1, 3 * 65501, 80, 1), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 1, 1, 3, 80, 3), LIBJ_ERR_ARGUMENT);
    EXPECT_EQ(LIWriteJpg(jpg.c_str(), px, 1, 1, 3, 101, 1), LIBJ_ERR_QUALITY);
    EXPECT_EQ(entries(), QStringList({"qr.bmp"}));
}

TEST_F(bmpjpg, UnreadableSourcesAreReadFailures) {
    writeAll(dir.filePath("text.bmp"), "Ceci n'est pas une image.\n");
    writeAll(dir.filePath("ppm.bmp"), "P6\n2 2\n255\n" + QByteArray(12, '\x7F'));
    const QByteArray good = bmp32(quadrants(16, 16), false);
    writeAll(dir.filePath("truncated.bmp"), good.left(good.size() / 2));
    writeAll(dir.filePath("topdown.bmp"), bmp32(quadrants(16, 16), true));
    QImage mono(16, 16, QImage::Format_Mono);
    mono.fill(1);
    saveBmp(mono, "1bit.bmp");
    QDir(dir.path()).mkdir("folder.bmp");
    writeAll(dir.filePath("target.jpg"), "previous picture");

    for (const QString name : {"missing.bmp", "text.bmp", "ppm.bmp", "truncated.bmp", "topdown.bmp", "1bit.bmp",
                              "folder.bmp"}) {
        EXPECT_EQ(LIBmpToJpg(path(name).c_str(), path("target.jpg").c_str(), 80, 1), LIBJ_ERR_READ_BMP)
            << name.toStdString();
    }
    EXPECT_EQ(readAll(dir.filePath("target.jpg")), "previous picture");
    EXPECT_EQ(entries().size(), 7) << entries().join(' ').toStdString();
}

TEST_F(bmpjpg, UnwritableTargetsAreWriteFailuresWithNothingLeftBehind) {
    const std::string bmp = saveBmp(quadrants(8, 8));
    QDir(dir.path()).mkdir("existing.jpg");
    EXPECT_EQ(LIBmpToJpg(bmp.c_str(), path("no/such/folder/out.jpg").c_str(), 80, 1), LIBJ_ERR_WRITE);
    EXPECT_EQ(LIBmpToJpg(bmp.c_str(), path("existing.jpg").c_str(), 80, 1), LIBJ_ERR_WRITE);
    const unsigned char px[3] = {1, 2, 3};
    EXPECT_EQ(LIWriteJpg(path("existing.jpg").c_str(), px, 1, 1, 3, 80, 1), LIBJ_ERR_WRITE);
    EXPECT_TRUE(QFileInfo(dir.filePath("existing.jpg")).isDir());
    EXPECT_EQ(entries(), QStringList({"existing.jpg", "qr.bmp"}));
}

// A write that fails halfway (here: file size limit, as a full disk would) must leave the old
// picture whole. Works as root too, unlike a read-only folder.
TEST_F(bmpjpg, FailedWriteLeavesExistingTargetWhole) {
    const std::string bmp = saveBmp(drawQr("https://exemple.fr/plein").image);
    writeAll(dir.filePath("target.jpg"), "previous picture");

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 512;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t result = LIBmpToJpg(bmp.c_str(), path("target.jpg").c_str(), 100, 1);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result, LIBJ_ERR_WRITE);
    EXPECT_EQ(readAll(dir.filePath("target.jpg")), "previous picture");
    EXPECT_EQ(entries(), QStringList({"qr.bmp", "target.jpg"}));
}

// ---- The library as the tool and C callers see it -------------------------------------------

TEST_F(bmpjpg, LoadsByPlainNameAndServesCCallers) {
    const QByteArray file = BMPJPG_BIN_DIR "/libLumo_Image_BmpJpg.so";
    void* library = ::dlopen(file.constData(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << ::dlerror();
    EXPECT_NE(::dlsym(library, "LIBmpToJpg"), nullptr);
    EXPECT_NE(::dlsym(library, "LIWriteJpg"), nullptr);
    ::dlclose(library);

    const std::string bmp = saveBmp(quadrants(8, 8));
    EXPECT_EQ(bmpjpg_convert_from_c(bmp.c_str(), path("c.jpg").c_str()), LIBJ_OK);
    EXPECT_EQ(readHeader(dir.filePath("c.jpg")).subsampling, TJSAMP_444);
}

} // namespace
