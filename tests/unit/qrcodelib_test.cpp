// QRCodeLib through its C interface: every picture is read back pixel by pixel and decoded.
#include "QRCodeLib.h"
#include "QrDecode.h"

#define ZX_USE_UTF8
#include <ZXing/ReadBarcode.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <qrencode.h>

#include <cerrno>
#include <csignal>
#include <dlfcn.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>

extern "C" int32_t qrclCallFromC(const char* text, int32_t length, const char* path);

namespace {

std::string repeat(std::string_view unit, std::size_t bytes) {
    std::string text;
    while (text.size() < bytes)
        text += unit;
    text.resize(bytes);
    return text;
}

const std::string kLetters = "abcdefghijklmnopqrstuvwxyz"; // byte mode only: lower case, no digits

struct Geometry {
    int scale = 0;
    int version = 0;
};

// Reads the module grid back from the picture; any pixel that breaks it fails the test.
Geometry measure(const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const int side = image.width();
    EXPECT_EQ(side, QRCL_PICTURE_LIMIT);
    EXPECT_EQ(image.height(), side);
    const auto black = [&](int x, int y) { return image.pixel(x, y) == qRgb(0, 0, 0); };
    // The top edge of the top-left finder pattern is 7 modules long and starts after the quiet
    // zone; the bottom-left finder pattern ends the symbol.
    int quiet = 0, run = 0, bottom = side - 1;
    while (quiet < side && !black(quiet, quiet))
        ++quiet;
    while (quiet + run < side && black(quiet + run, quiet))
        ++run;
    while (bottom > quiet && !black(quiet, bottom))
        --bottom;
    const int extent = bottom + 1 - quiet; // the symbol's pixels a side
    if (run == 0 || run % 7 != 0 || extent % (run / 7) != 0) {
        ADD_FAILURE() << "no module grid in a " << side << " pixel picture";
        return {};
    }
    Geometry g{run / 7, 0};
    const int modules = extent / g.scale;
    g.version = (modules - 17) / 4;
    EXPECT_EQ((modules - 17) % 4, 0);
    EXPECT_EQ(quiet, (side - extent) / 2) << "not centred, or the odd pixel left and top";
    EXPECT_GE(quiet, 4 * g.scale) << "quiet zone too narrow";
    EXPECT_GT((modules + 8) * (g.scale + 1), side) << "a larger module would fit";
    for (int k = 0; k < run; ++k) // top-right finder: rows are not upside down
        EXPECT_TRUE(black(quiet + extent - 1 - k, quiet)) << "top-right finder pattern missing";
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool inSymbol = std::min(x, y) >= quiet && std::max(x, y) < quiet + extent;
            const QRgb corner = inSymbol ? image.pixel(x - (x - quiet) % g.scale, y - (y - quiet) % g.scale)
                                         : qRgb(255, 255, 255);
            if (image.pixel(x, y) != corner || (corner != qRgb(0, 0, 0) && corner != qRgb(255, 255, 255))) {
                ADD_FAILURE() << "pixel " << x << "," << y << " breaks the module grid";
                return g;
            }
        }
    return g;
}

// The drawing at path as rsvg-convert renders it with scale pixels a module, as its viewBox says.
QImage rasterise(const QString& path, int scale) {
    QFile file(path);
    const QString svg = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    const int units =
        QRegularExpression(R"(<svg\b[^>]*\sviewBox="0 0 (\d+) \1")").match(svg).captured(1).toInt();
    const QString side = QString::number(units * scale), png = path + ".png";
    QProcess rsvg;
    rsvg.start("rsvg-convert", {"-w", side, "-h", side, "-o", png, path});
    if (units == 0 || !rsvg.waitForFinished(30000) || rsvg.exitStatus() != QProcess::NormalExit ||
        rsvg.exitCode() != 0) {
        ADD_FAILURE() << "no viewBox, or rsvg-convert failed (scripts/install-deps test installs it)";
        return {};
    }
    return QImage(png).convertToFormat(QImage::Format_RGB32);
}

std::string ecLevel(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(), ZXing::ImageFormat::Lum,
                                static_cast<int>(gray.bytesPerLine()));
    return ZXing::ReadBarcode(view, ZXing::DecodeHints().setFormats(ZXing::BarcodeFormat::QRCode)).ecLevel();
}

class qrcodelib : public ::testing::Test {
protected:
    QTemporaryDir m_dir;
    const std::string m_target = (m_dir.path() + "/code.bmp").toStdString();

    int32_t write(const std::string& text) const {
        return FastQRCodeN(text.data(), static_cast<int32_t>(text.size()), m_target.c_str());
    }
    QImage picture() const { return QImage(QString::fromStdString(m_target)); }
    QByteArray fileBytes() const {
        QFile file(QString::fromStdString(m_target));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // Everything in the folder, hidden files included: temporaries must not survive.
    QStringList entries() const {
        return QDir(m_dir.path())
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
};

// ---- Round trips: both readers must give back exactly the text -------------------------------

struct Sample {
    const char* name;
    std::string text;
};
void PrintTo(const Sample& sample, std::ostream* out) {
    *out << sample.name;
}

class qrcodelib_corpus : public qrcodelib, public ::testing::WithParamInterface<Sample> {};

TEST_P(qrcodelib_corpus, DecodesToTheSameTextWithBothReaders) {
    const std::string& text = GetParam().text;
    ASSERT_EQ(write(text), QRCL_OK);
    EXPECT_EQ(entries(), QStringList{"code.bmp"});
    const QImage image = picture();
    ASSERT_FALSE(image.isNull());
    const Geometry g = measure(image);
    EXPECT_EQ(testsupport::zxingDecode(image), text);

    // The drawing is the picture's code, quiet zone of 4 included, printed at its size at 96 dpi.
    const QString svgPath = m_dir.filePath("code.svg");
    ASSERT_EQ(FastQRCodeSvgN(text.data(), int32_t(text.size()), svgPath.toUtf8().constData()), QRCL_OK);
    EXPECT_EQ(entries(), (QStringList{"code.bmp", "code.svg"}));
    QFile svgFile(svgPath);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QString svg = QString::fromUtf8(svgFile.readAll());
    const auto attribute = [&](const char* name) {
        return QRegularExpression(QString(R"re(<svg\b[^>]*\s%1="([^"]*)")re").arg(name))
            .match(svg)
            .captured(1);
    };
    const int units = 4 * g.version + 17 + 8, pixels = units * g.scale;
    EXPECT_EQ(attribute("viewBox").toStdString(), QString("0 0 %1 %1").arg(units).toStdString());
    EXPECT_EQ(attribute("height").toStdString(), attribute("width").toStdString());
    EXPECT_TRUE(attribute("width").endsWith("mm")) << attribute("width").toStdString();
    // Three decimals: within half a thousandth.
    EXPECT_NEAR(attribute("width").chopped(2).toDouble(), pixels * 25.4 / 96, 0.0005001);
    const int margin = (QRCL_PICTURE_LIMIT - pixels) / 2;
    const QImage code = image.copy(margin, margin, pixels, pixels).convertToFormat(QImage::Format_RGB32);
    const QImage drawn = rasterise(svgPath, g.scale);
    EXPECT_TRUE(drawn == code) << "the drawing is not the picture's code";
    EXPECT_EQ(testsupport::zxingDecode(drawn), text);

    // zbar misses some large symbols drawn with 1-pixel modules; nearest-neighbour scaling keeps
    // the very same module grid.
    QString zbarFile = QString::fromStdString(m_target);
    QTemporaryDir scaled;
    if (g.scale == 1) {
        zbarFile = scaled.filePath("x3.png");
        ASSERT_TRUE(
            image.scaled(image.size() * 3, Qt::IgnoreAspectRatio, Qt::FastTransformation).save(zbarFile));
    }
    EXPECT_EQ(testsupport::zbarDecodeFile(zbarFile), text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, qrcodelib_corpus,
    ::testing::Values(Sample{"Url", "https://www.example.org/chemin/page?id=42&lang=fr#haut"},
                      Sample{"Naive", "naïve"}, Sample{"Noel", "Noël"}, Sample{"Foret", "forêt"},
                      Sample{"Zurich", "Zürich"}, Sample{"Garcon", "garçon"}, Sample{"Eleve", "élève"},
                      Sample{"HotelReseau", "Hôtel Réseau"}, Sample{"OeEuro", "cœur à 20 €"},
                      Sample{"Emoji", "Bonne année 🎉😀"}, Sample{"Chinese", "二维码生成器"},
                      Sample{"SpacesOnly", "     "}, Sample{"Ascii2953", repeat(kLetters + "./-_", 2953)},
                      Sample{"Digits7089", repeat("0123456789", 7089)},
                      Sample{"Utf8Largest", repeat("é", 2952)}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Capacity, level and picture ------------------------------------------------------------

TEST_F(qrcodelib, LargestTextsTakeVersion40AtLevelLAndOneByteMoreIsRefused) {
    const struct {
        const char* what;
        std::string largest;
        std::string tail; // one more character
        bool full = true; // held in one mode, the text fills the largest symbol
    } limits[] = {
        {"bytes", repeat(kLetters, 2953), "a"},
        {"digits", repeat("31415", 7089), "9"},
        {"alphanumeric", repeat("ABC $%*+-./:", 4296), "Z"},
        {"UTF-8 behind ECI 26: its header costs one byte", repeat("é", 2952), "a"},
        {"UTF-8, 3-byte characters", repeat("€", 2952), "a"},
        // Short digit runs as numeric segments cost more than the whole text in one mode: it goes
        // whole, as bytes or as alphanumeric characters.
        {"bytes with short digit runs", repeat("123456a", 2953), "a"},
        {"alphanumeric with short digit runs", repeat("1234567A", 4296), "B"},
        {"phone numbers", repeat("tel:0612345678,", 2953), "8"},
        // Long digit runs split out would hold more, but a text never goes beyond its class's
        // limit: the one a refusal states.
        {"long digit runs", repeat("n=0123456789012345678901234567890123456789;", 2953), "9", false},
        {"capitals, long digit runs", repeat("ID 012345678901234567890123456789 ", 4296), "X", false},
    };
    for (const auto& limit : limits) {
        SCOPED_TRACE(limit.what);
        ASSERT_EQ(write(limit.largest), QRCL_OK);
        const QByteArray written = fileBytes();
        if (limit.full) {
            EXPECT_EQ(measure(picture()).version, 40);
            EXPECT_EQ(ecLevel(picture()), "L");
        }
        EXPECT_EQ(testsupport::zxingDecode(picture()), limit.largest);
        EXPECT_EQ(write(limit.largest + limit.tail), QRCL_ERR_TOO_LONG);
        EXPECT_EQ(fileBytes(), written);
    }
    EXPECT_EQ(write(std::string(100000, 'a')), QRCL_ERR_TOO_LONG);
    EXPECT_EQ(entries(), QStringList{"code.bmp"});
}

TEST_F(qrcodelib, ChoosesTheStrongestLevelThatKeepsTheSizeLevelMNeeds) {
    const struct {
        std::string text;
        const char* level;
        int version;
    } cases[] = {
        {"a", "H", 1},
        {"é", "H", 1},
        {"abcdefgh", "Q", 1},     // H would need version 2
        {"éééé", "Q", 1},         // with the ECI header, H would need version 2
        {"abcdefghijkl", "M", 1}, // Q and H would need version 2
        {repeat(kLetters, 2331), "M", 40},
        {repeat(kLetters, 2332), "L", 36}, // too long for M at any size
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20));
        ASSERT_EQ(write(c.text), QRCL_OK);
        EXPECT_EQ(ecLevel(picture()), c.level);
        EXPECT_EQ(measure(picture()).version, c.version);
    }
}

// The library chooses the mask itself, counting libqrencode's penalties on rows of bits: every
// symbol is libqrencode's own, module for module, at every level and size.
TEST_F(qrcodelib, SymbolsAreLibqrencodesOwnMaskIncluded) {
    std::vector<unsigned char> ours(QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT);
    const std::string kinds[] = {"https://www.exemple.fr/produit/42?ref=lien-", "0123456789", "HTTP://EXEMPLE.FR/QR-42 $%*+"};
    int compared = 0;
    for (std::size_t length = 1; length <= 2900; length += 1 + length / 4)
        for (const std::string& kind : kinds)
            for (int level = QRCL_SYMBOL_LEVEL_L; level <= QRCL_SYMBOL_LEVEL_H; ++level) {
                const std::string text = repeat(kind, length);
                std::unique_ptr<QRcode, void (*)(QRcode*)> theirs(
                    QRcode_encodeString(text.c_str(), 0, QRecLevel(level - 1), QR_MODE_8, 1), QRcode_free);
                int32_t width = 0;
                const int32_t status = QRCodeLibSymbol(text.data(), int32_t(text.size()), level, ours.data(),
                                                       int32_t(ours.size()), &width);
                if (!theirs) // too long for libqrencode's split: the library may take it whole
                    continue;
                ASSERT_EQ(status, QRCL_OK);
                ASSERT_EQ(width, theirs->width);
                for (int i = 0; i < width * width; ++i)
                    ASSERT_EQ(ours[std::size_t(i)], theirs->data[i] & 1)
                        << text.size() << " bytes at level " << level << ", module " << i % width << ", " << i / width;
                ++compared;
            }
    EXPECT_GT(compared, 300);
}

TEST_F(qrcodelib, PicturesFillTheLimitWithTheLargestWholePixelModulesCentredAsBottomUp24BitBmp) {
    std::set<int> scales;
    for (const std::size_t length : {1, 14, 30, 60, 100, 200, 300, 500, 800, 1200, 1700, 2300, 2953}) {
        SCOPED_TRACE(length);
        const std::string text = repeat(kLetters, length);
        ASSERT_EQ(write(text), QRCL_OK);
        const QByteArray bmp = fileBytes();
        ASSERT_GE(bmp.size(), 54);
        const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(bmp.constData() + at); };
        const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(bmp.constData() + at); };
        const quint32 side = u32(18);
        EXPECT_EQ(side, quint32(QRCL_PICTURE_LIMIT));
        EXPECT_EQ(bmp.left(2), "BM");
        EXPECT_EQ(u32(2), quint32(bmp.size()));
        EXPECT_EQ(u32(10), 54u);
        EXPECT_EQ(u32(14), 40u);
        EXPECT_EQ(u32(22), side); // positive: bottom-up rows
        EXPECT_EQ(u16(28), 24);
        EXPECT_EQ(u32(30), 0u); // uncompressed
        EXPECT_EQ(quint32(bmp.size()), 54 + (side * 3 + 3) / 4 * 4 * side);
        scales.insert(measure(picture()).scale);
        EXPECT_EQ(testsupport::zxingDecode(picture()), text);

        // The symbol handed over in memory is the one in the picture, module for module.
        std::vector<unsigned char> modules(QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT, 7);
        int32_t width = 0;
        ASSERT_EQ(QRCodeLibSymbol(text.data(), int32_t(text.size()), QRCL_SYMBOL_DEFAULTS, modules.data(),
                                  int32_t(modules.size()), &width),
                  QRCL_OK);
        const QImage image = picture().convertToFormat(QImage::Format_RGB32);
        const int scale = std::max(1, QRCL_PICTURE_LIMIT / (width + 8));
        const int margin = (QRCL_PICTURE_LIMIT - width * scale) / 2;
        int differing = 0;
        for (int y = 0; y < width; ++y)
            for (int x = 0; x < width; ++x)
                differing += modules[y * width + x] != (image.pixel(margin + x * scale, margin + y * scale) == qRgb(0, 0, 0));
        EXPECT_EQ(differing, 0);
    }
    EXPECT_EQ(scales, (std::set<int>{1, 2, 3, 4, 5, 6}));
}

// ---- Refusals and failed writes ---------------------------------------------------------------

TEST_F(qrcodelib, RefusesBadInputBeforeWritingAnything) {
    const char* target = m_target.c_str();
    EXPECT_EQ(FastQRCode(nullptr, target), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCode("a", nullptr), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCode("a", ""), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCode("", ""), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeN(nullptr, 1, target), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeN("a", 1, nullptr), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeN("a", -1, target), QRCL_ERR_ARGUMENT);

    EXPECT_EQ(FastQRCode("", target), QRCL_ERR_EMPTY);
    EXPECT_EQ(FastQRCodeN("a", 0, target), QRCL_ERR_EMPTY);

    EXPECT_EQ(FastQRCodeN("ab\0cd", 5, target), QRCL_ERR_NUL);
    EXPECT_EQ(FastQRCodeN("\0", 1, target), QRCL_ERR_NUL);
    EXPECT_EQ(FastQRCodeN("\xFF\0", 2, target), QRCL_ERR_NUL);

    for (const char* bad :
         {"\x80", "a\xC3", "\xC3(", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE2\x82", "\xED\xA0\x80",
          "\xF0\x8F\xBF\xBF", "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xFF", "caf\xE9"}) {
        SCOPED_TRACE(::testing::PrintToString(bad));
        EXPECT_EQ(FastQRCode(bad, target), QRCL_ERR_ENCODING);
    }
    EXPECT_EQ(FastQRCode(repeat("\xE9", 9000).c_str(), target), QRCL_ERR_ENCODING);

    // The drawing's entries check their own arguments, then share the rest.
    EXPECT_EQ(FastQRCodeSvg(nullptr, target), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeSvgN("a", -1, target), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeSvg("", ""), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(FastQRCodeSvgN("\xFF\0", 2, target), QRCL_ERR_NUL);
    EXPECT_TRUE(entries().isEmpty());

    // The symbol in memory: the same checks, plus its own room and its reserved options.
    unsigned char modules[21 * 21];
    int32_t width = 0;
    EXPECT_EQ(QRCodeLibSymbol("a", 1, QRCL_SYMBOL_LEVEL_H + 1, modules, sizeof modules, &width), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(QRCodeLibSymbol("a", 1, -1, modules, sizeof modules, &width), QRCL_ERR_ARGUMENT);
    // A chosen level is kept whatever the size: 7089 digits fit at L only.
    std::vector<unsigned char> room(QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT);
    const std::string digits = repeat("7", 7089), link = "https://exemple.fr/" + repeat("a", 80);
    EXPECT_EQ(QRCodeLibSymbol(digits.c_str(), 7089, QRCL_SYMBOL_LEVEL_L, room.data(), int32_t(room.size()), &width), QRCL_OK);
    EXPECT_EQ(QRCodeLibSymbol(digits.c_str(), 7089, QRCL_SYMBOL_LEVEL_M, room.data(), int32_t(room.size()), &width),
              QRCL_ERR_TOO_LONG);
    int32_t low = 0, high = 0;
    EXPECT_EQ(QRCodeLibSymbol(link.c_str(), int32_t(link.size()), QRCL_SYMBOL_LEVEL_L, room.data(), int32_t(room.size()), &low), QRCL_OK);
    EXPECT_EQ(QRCodeLibSymbol(link.c_str(), int32_t(link.size()), QRCL_SYMBOL_LEVEL_H, room.data(), int32_t(room.size()), &high), QRCL_OK);
    EXPECT_LT(low, high);
    EXPECT_EQ(QRCodeLibSymbol("a", 1, QRCL_SYMBOL_DEFAULTS, modules, 21 * 21, nullptr), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(QRCodeLibSymbol("a", 0, QRCL_SYMBOL_DEFAULTS, modules, 21 * 21, &width), QRCL_ERR_EMPTY);
    EXPECT_EQ(QRCodeLibSymbol("\xFF", 1, QRCL_SYMBOL_DEFAULTS, modules, 21 * 21, &width), QRCL_ERR_ENCODING);
    EXPECT_EQ(QRCodeLibSymbol("a", 1, QRCL_SYMBOL_DEFAULTS, modules, 21 * 21 - 1, &width), QRCL_ERR_ARGUMENT);
    EXPECT_EQ(width, 21); // told, so the caller can make room
    EXPECT_EQ(QRCodeLibSymbol(repeat("7", 7090).c_str(), 7090, QRCL_SYMBOL_DEFAULTS, modules, 21 * 21, &width),
              QRCL_ERR_TOO_LONG);

    // The edges of the valid ranges must pass.
    for (const char* good :
         {"\xC2\x80", "\xED\x9F\xBF", "\xEE\x80\x80", "\xEF\xBF\xBF", "\xF0\x90\x80\x80", "\xF4\x8F\xBF\xBF"})
        EXPECT_EQ(FastQRCode(good, target), QRCL_OK) << ::testing::PrintToString(good);
}

TEST_F(qrcodelib, ExplicitLengthNeedsNoTerminatorAndBothEntriesWorkFromC) {
    ASSERT_EQ(qrclCallFromC("abcdef", 3, m_target.c_str()), QRCL_OK);
    EXPECT_EQ(testsupport::zxingDecode(picture()), "abc");
    ASSERT_EQ(qrclCallFromC("Noël", -1, m_target.c_str()), QRCL_OK);
    EXPECT_EQ(testsupport::zxingDecode(picture()), "Noël");
}

TEST_F(qrcodelib, FailedWritesLeaveNoTemporaryAndKeepTheOldFile) {
    const std::string missing = (m_dir.path() + "/missing/code.bmp").toStdString();
    EXPECT_EQ(FastQRCode("a", missing.c_str()), QRCL_ERR_WRITE);
    EXPECT_EQ(FastQRCodeSvg("a", missing.c_str()), QRCL_ERR_WRITE);
    EXPECT_EQ(QRCodeLibLastError(), ENOENT);
    EXPECT_TRUE(entries().isEmpty());

    // A folder by the target's name (root may write anywhere, but cannot replace a folder by a file).
    ASSERT_TRUE(QDir(m_dir.path()).mkpath("code.bmp/inside"));
    EXPECT_EQ(FastQRCode("a", m_target.c_str()), QRCL_ERR_WRITE);
    EXPECT_TRUE(QFileInfo(QString::fromStdString(m_target) + "/inside").isDir());
    EXPECT_EQ(entries(), QStringList{"code.bmp"});
    ASSERT_TRUE(QDir(QString::fromStdString(m_target)).removeRecursively());

    // Disk full, as the file size limit stages it: the write fails halfway.
    {
        QFile old(QString::fromStdString(m_target));
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("old picture");
    }
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t status = FastQRCode("https://www.example.org/", m_target.c_str());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(status, QRCL_ERR_WRITE);
    EXPECT_EQ(fileBytes(), "old picture");
    EXPECT_EQ(entries(), QStringList{"code.bmp"});
}

TEST_F(qrcodelib, ReplacesAnExistingFileWithPermissionsFromTheUmaskAndWritesADrawingThroughALink) {
    const mode_t oldMask = umask(027);
    const int32_t first = write("first");
    const int32_t second = write("second");
    umask(oldMask);
    ASSERT_EQ(first, QRCL_OK);
    ASSERT_EQ(second, QRCL_OK);
    EXPECT_EQ(testsupport::zxingDecode(picture()), "second");
    struct stat info {};
    ASSERT_EQ(stat(m_target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u); // as any new file, not private
    EXPECT_EQ(entries(), QStringList{"code.bmp"});

    // A drawing is a person's file: the link at its name keeps pointing at it.
    const QString drawing = m_dir.filePath("drawing.svg"), link = m_dir.filePath("link.svg");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(m_target), drawing));
    ASSERT_TRUE(QFile::link(drawing, link));
    ASSERT_EQ(FastQRCodeSvg("third", link.toUtf8().constData()), QRCL_OK);
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), drawing);
    EXPECT_EQ(testsupport::zxingDecode(rasterise(drawing, 4)), "third");
}

TEST(qrcodelib_loading, LoadsByPlainNameWithItsEntryPoints) {
    void* library = dlopen(QRCODELIB_BIN_DIR "/libQRCodeLib.so", RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_NE(dlsym(library, "FastQRCode"), nullptr);
    EXPECT_NE(dlsym(library, "FastQRCodeN"), nullptr);
    EXPECT_NE(dlsym(library, "FastQRCodeSvg"), nullptr);
    EXPECT_NE(dlsym(library, "FastQRCodeSvgN"), nullptr);
    EXPECT_NE(dlsym(library, "QRCodeLibSymbol"), nullptr);
    const auto version = reinterpret_cast<int32_t (*)()>(dlsym(library, "QRCodeLibVer"));
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), 0x010200);
    dlclose(library);
}

} // namespace
