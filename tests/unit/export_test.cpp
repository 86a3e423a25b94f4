// The save command on the fake host, from the real main window: dialog set-up and read-back,
// target naming, BMP and JPEG writing, the typed ratio, and what every failure leaves behind.
#include "FakeHost.h"
#include "Lumo_Image_BmpJpg.h"
#include "MainWindow.h"
#include "Naming.h"
#include "NumericValue.h"
#include "PictureBox.h"
#include "Fifo.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>

using testsupport::FakeHost;

namespace {

const QString filter = QStringLiteral("Image en mode point  (*.BMP)|*.BMP|Format JPG-Ratio 100% (*.JPG)|*.JPG|"
                                      "Format JPG-Ratio 80%  (*.JPG)|*.JPG|Format JPG-Ratio 50%  (*.JPG)|*.JPG|"
                                      "Format JPG-Ratio personnalisé (*.JPG)|*.JPG|Image PNG (*.PNG)|*.png|"
                                      "Image vectorielle SVG (*.SVG)|*.svg|Image PNG, taille au choix (*.PNG)|*.png");

// What the save dialog gives back when a person confirms this path with this type.
std::function<void(host::SaveDialog&)> confirm(const QString& path, int type) {
    return [path, type](host::SaveDialog& dialog) {
        dialog.fileName = path;
        dialog.fileTitle = QFileInfo(path).fileName();
        dialog.typeIndex = type;
    };
}

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QByteArray formatOf(const QString& path) {
    return QImageReader(path).format();
}

struct Save : ::testing::Test {
    FakeHost host;
    lumo::MainWindow window{host};
    QString out; // the folder the person saves into

    QPushButton* command(int number) const {
        return window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
    }
    lumo::PictureBox* previewBox() const {
        return window.findChild<lumo::PictureBox*>(QStringLiteral("PicImage"));
    }

    Save() {
        out = host.tempPath() + QStringLiteral("/sortie");
        QDir().mkpath(out);
        command(1)->click(); // a code on view: the save command is enabled
    }
    void save(const QString& name, int type) {
        host.saveAnswers.push_back(confirm(out + u'/' + name, type));
        command(3)->click();
    }
    QString temp() const { return host.tempPath() + QStringLiteral("/Temp.bmp"); }
    QStringList jpegQualities() const { return host.log.filter(QStringLiteral("convertToJpeg quality")); }
};

// ---- naming ----

TEST(Naming, WithTrailingSeparatorAppendsTheSeparatorOnlyWhenMissing) {
    using exporting::withTrailingSeparator;
    EXPECT_EQ(withTrailingSeparator("/"), "/");
    EXPECT_EQ(withTrailingSeparator("/home/ana/QR"), "/home/ana/QR/");
    EXPECT_EQ(withTrailingSeparator("/home/ana/QR/"), "/home/ana/QR/");
    EXPECT_EQ(withTrailingSeparator(""), "/");
    const QString kept = QStringLiteral("/a/b");
    withTrailingSeparator(kept);
    EXPECT_EQ(kept, "/a/b");
}

TEST(Naming, TitleTakesTheExtensionOfTheTypeAfterTheFirstDot) {
    using exporting::titleWithExtension;
    EXPECT_EQ(titleWithExtension("qr", 1), "qr.bmp");
    EXPECT_EQ(titleWithExtension("qr.png", 3), "qr.jpg");
    EXPECT_EQ(titleWithExtension("a.b.c", 1), "a.bmp");
    EXPECT_EQ(titleWithExtension("name.", 2), "name.jpg");
    EXPECT_EQ(titleWithExtension("QR.BMP", 2), "QR.jpg");
    EXPECT_EQ(titleWithExtension("qr.bmp", 6), "qr.png");
    EXPECT_EQ(titleWithExtension("a.b.c", 7), "a.svg");
    EXPECT_EQ(titleWithExtension(".cache", 4), ".jpg");
    EXPECT_EQ(titleWithExtension("été 2024", 5), "été 2024.jpg");
    EXPECT_EQ(exporting::folderOf("/a/b/qr.png", "qr.png"), "/a/b/");
    EXPECT_EQ(exporting::folderOf("qr", "longer"), "");
}

TEST(Naming, OrdinaryFileExistsCountsOrdinaryFilesOnly) {
    FakeHost host;
    const QString dir = host.tempPath();
    put(dir + "/qr.bmp", "x");
    put(dir + "/.cache", "x");
    QDir().mkpath(dir + "/dossier.bmp");
    EXPECT_TRUE(exporting::ordinaryFileExists(host, dir + "/qr.bmp"));
    EXPECT_FALSE(exporting::ordinaryFileExists(host, dir + "/absent.bmp"));
    EXPECT_FALSE(exporting::ordinaryFileExists(host, dir + "/.cache"));      // hidden
    EXPECT_FALSE(exporting::ordinaryFileExists(host, dir + "/dossier.bmp")); // a folder
    EXPECT_TRUE(exporting::ordinaryFileExists(host, dir + "/*.bmp"));        // the file, not the folder
    EXPECT_TRUE(exporting::ordinaryFileExists(host, dir + "/q?.bmp"));
    EXPECT_FALSE(exporting::ordinaryFileExists(host, dir + "/*.jpg"));
    EXPECT_FALSE(exporting::ordinaryFileExists(host, dir + "/manquant/qr.bmp"));
}

// ---- the leading-number reading ----

TEST(NumericValue, ReadsTheLeadingNumberWhateverFollows) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); // "," there: must not matter
    const std::vector<std::pair<QString, double>> cases = {
        {"75", 75},       {"19.5", 19.5},    {" 5 0", 50},     {"5\t0\n1", 501}, {"50%", 50},
        {"1e2", 100},     {"1E+2", 100},     {"25e-1", 2.5},   {"1e", 1},        {"1e+", 1},
        {"-5", -5},       {"+ 7", 7},        {".5", 0.5},      {"1.2.3", 1.2},   {"2,5", 2},
        {"abc", 0},       {"", 0},           {"  ", 0},        {"-", 0},         {".", 0},
        {"e5", 0},        {"0x1A", 0},       {"٣", 0},         {"1e-400", 0},    {"007", 7},
        {"3\r4", 3}, // a carriage return is no blank here
    };
    for (const auto& [text, expected] : cases)
        EXPECT_DOUBLE_EQ(exporting::numericValue(text), expected) << text.toStdString();
    EXPECT_EQ(exporting::numericValue("1e400"), INFINITY);
    EXPECT_EQ(exporting::numericValue("-1e400"), -INFINITY);
    EXPECT_EQ(exporting::numericValue("9" + QString(399, u'9')), INFINITY);
    EXPECT_EQ(exporting::numericValue("1e99999999999999999999"), INFINITY);
    EXPECT_DOUBLE_EQ(exporting::numericValue("0." + QString(400, u'0') + "1e500"), 1e99);
    QLocale::setDefault(before);
}

TEST(NumericValue, RoundsHalfwayToEven) {
    const std::vector<std::pair<double, double>> cases = {
        {0.5, 0}, {1.5, 2}, {2.5, 2}, {19.5, 20}, {20.5, 20}, {100.5, 100}, {99.5, 100},
        {19.4, 19}, {19.6, 20}, {-2.5, -2}, {-3.5, -4}, {-0.4, 0}, {7, 7}};
    for (const auto& [value, expected] : cases)
        EXPECT_EQ(exporting::roundHalfEven(value), expected) << value;
    EXPECT_EQ(exporting::roundHalfEven(INFINITY), INFINITY);
}

// ---- the dialog ----

TEST_F(Save, DialogIsSetUpFromTheRememberedChoicesAndReadBack) {
    host.log.clear();
    command(3)->click(); // first save of the run, cancelled
    ASSERT_EQ(host.saveDialogsSeen.size(), 1u);
    const host::SaveDialog first = host.saveDialogsSeen[0];
    EXPECT_TRUE(first.cancelThrows);
    EXPECT_EQ(first.typeIndex, 1);
    EXPECT_EQ(first.fileName, "");
    EXPECT_EQ(first.title, "Enregistrer Sous");
    EXPECT_EQ(first.filter, filter);
    EXPECT_EQ(first.flags, 2);
    EXPECT_FALSE(window.saveDialog().cancelThrows);
    EXPECT_EQ(window.saveChoices().lastType, 1);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.log, QStringList{"chooseSaveFile"}); // nothing else happens after Cancel

    command(3)->click(); // after Cancel, the same dialog again
    EXPECT_EQ(host.saveDialogsSeen[1].fileName, first.fileName);
    EXPECT_EQ(host.saveDialogsSeen[1].typeIndex, first.typeIndex);

    save("qr.jpg", 3);
    command(3)->click();
    EXPECT_EQ(host.saveDialogsSeen[3].fileName, out + "/qr.jpg");
    EXPECT_EQ(host.saveDialogsSeen[3].typeIndex, 3);
    EXPECT_TRUE(host.saveDialogsSeen[3].cancelThrows);

    // The name as typed is what the next dialog offers when writing failed; the type chosen too.
    host.failNext("writePicture");
    save("Mon QR.png", 1);
    EXPECT_EQ(window.saveChoices().lastFile, out + "/Mon QR.png");
    EXPECT_EQ(window.saveChoices().lastType, 1);
}

TEST_F(Save, CancelLeavesEverythingAsItWas) {
    save("qr.jpg", 2);
    const QImage preview = previewBox()->picture();
    const QStringList files = QDir(out).entryList(QDir::Files);
    host.messages.clear();
    command(3)->click();
    EXPECT_EQ(window.saveChoices().lastFile, out + "/qr.jpg");
    EXPECT_EQ(window.saveChoices().lastType, 2);
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.jpg");
    EXPECT_EQ(previewBox()->picture(), preview);
    EXPECT_EQ(QDir(out).entryList(QDir::Files), files);
    EXPECT_FALSE(window.saveDialog().cancelThrows);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Save, TargetCarriesTheExtensionOfTheChosenType) {
    struct Case {
        QString typed;
        int type;
        QString written;
        QByteArray format;
    };
    const std::vector<Case> cases = {
        {"qr", 1, "qr.bmp", "bmp"},         {"qr.png", 3, "qr.jpg", "jpeg"},
        {"a.b.c", 1, "a.bmp", "bmp"},       {"name.", 2, "name.jpg", "jpeg"},
        {"CODE.BMP", 2, "CODE.jpg", "jpeg"},    {"Noël à Zürich.gif", 4, "Noël à Zürich.jpg", "jpeg"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        host.messages.clear();
        save(c.typed, c.type);
        const QString target = out + u'/' + c.written;
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(formatOf(target), c.format);
        EXPECT_FALSE(QFile::exists(out + u'/' + c.typed) && c.typed != c.written);
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : " + c.written);
        EXPECT_EQ(window.saveChoices().lastFile, target);
        EXPECT_EQ(window.saveChoices().lastType, c.type);
        EXPECT_TRUE(window.saveDialog().cancelThrows); // only the failure path sets it back
    }
    EXPECT_FALSE(QFile::exists(temp()));
    // The link, the remembered link and the commands are not the save's business.
    EXPECT_EQ(window.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), lumo::MainWindow::initialLink);
    EXPECT_EQ(window.lastEncodedLink(), lumo::MainWindow::initialLink);
    EXPECT_TRUE(command(2)->isEnabled() && command(3)->isEnabled() && command(4)->isEnabled());
}

// The dialog asks about the name typed; a different final name that exists is asked about here.
TEST_F(Save, ExistingFinalNameIsAskedAboutWhenTheNamingStepsChangeIt) {
    struct Case {
        QString typed;
        int type;
        QString final;
    };
    for (const Case& c : {Case{"rapport.v2.bmp", 1, "rapport.bmp"}, Case{"qr", 1, "qr.bmp"},
                          Case{"photo.JPG", 2, "photo.jpg"}}) {
        SCOPED_TRACE(c.typed.toStdString());
        put(out + u'/' + c.final, "d'avant");
        const exporting::SaveChoices before = window.saveChoices();
        host.questions.clear();
        save(c.typed, c.type); // Non, the default answer
        ASSERT_EQ(host.questions.size(), 1u);
        EXPECT_EQ(host.questions[0].text,
                  "Le fichier « " + c.final + " » existe déjà. Voulez-vous le remplacer ?");
        EXPECT_EQ(contents(out + u'/' + c.final), "d'avant");
        EXPECT_EQ(window.saveChoices().lastFile, before.lastFile); // as after a Cancel
        EXPECT_EQ(window.saveChoices().lastType, std::max<qint16>(before.lastType, 1));
        host.yesNoAnswers.push_back(true);
        save(c.typed, c.type);
        EXPECT_EQ(formatOf(out + u'/' + c.final), c.type == 1 ? "bmp" : "jpeg");
        EXPECT_EQ(window.saveChoices().lastFile, out + u'/' + c.final);
    }
    host.questions.clear();
    save("qr.bmp", 1); // the very name the dialog asked about: no second question
    EXPECT_TRUE(host.questions.empty());
}

// ---- what is written ----

TEST_F(Save, BmpIsTheBoxSizedRenderedImage) {
    const QImage code = previewBox()->picture();
    save("qr.bmp", 1);
    const QImage written(out + "/qr.bmp");
    ASSERT_EQ(written.size(), QSize(201, 201));
    const QColor background = previewBox()->backgroundColor();
    ASSERT_LT(code.width(), 201); // the fake encoder's picture is smaller than the box
    EXPECT_EQ(written.pixelColor(0, 0),
              testsupport::pictureOf(lumo::MainWindow::initialLink.toUtf8()).pixelColor(0, 0));
    EXPECT_EQ(written.pixelColor(code.width(), 0), background);  // right of the code
    EXPECT_EQ(written.pixelColor(0, code.height()), background); // below it
    EXPECT_EQ(written.pixelColor(200, 200), background);
    // Loaded back: the preview now holds the box-sized bitmap.
    EXPECT_EQ(previewBox()->picture().size(), QSize(201, 201));

    previewBox()->setPicture(QImage()); // an empty preview saves as background only
    save("vide.bmp", 1);
    const QImage empty(out + "/vide.bmp");
    ASSERT_EQ(empty.size(), QSize(201, 201));
    EXPECT_EQ(empty.pixelColor(100, 100), background);
    EXPECT_EQ(empty.pixelColor(0, 0), background);
}

// PNG: the BMP's pixels, losslessly. SVG: the encoder draws the link the preview came from.
// Neither changes the preview.
TEST_F(Save, PngAndSvgCarryTheCodeAndLeaveThePreview) {
    const QImage code = previewBox()->picture();
    QByteArray svgText;
    host.svgEncoder = [&](const QByteArray& text, const QByteArray& path) {
        svgText = text;
        return FakeHost().svgEncoder(text, path);
    };
    save("qr.bmp", 6);
    EXPECT_EQ(formatOf(out + "/qr.png"), "png");
    EXPECT_EQ(QImage(out + "/qr.png").convertToFormat(QImage::Format_RGB32), previewBox()->renderedImage());
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.png");
    save("qr", 7);
    EXPECT_EQ(svgText, lumo::MainWindow::initialLink.toUtf8());
    EXPECT_TRUE(contents(out + "/qr.svg").startsWith("<svg"));
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.svg");
    EXPECT_EQ(previewBox()->picture(), code);
    EXPECT_EQ(window.saveChoices().lastFile, out + "/qr.svg");
    EXPECT_EQ(window.saveChoices().lastType, 7);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(Save, JpegLeavesThePreviewLosslessForTheNextSave) {
    // A picture with sharp detail, so that JPEG 50 cannot keep it.
    QImage sharp(201, 201, QImage::Format_RGB32);
    for (int y = 0; y < 201; ++y)
        for (int x = 0; x < 201; ++x)
            sharp.setPixel(x, y, ((x / 3 + y / 3) % 2) ? 0xFF000000 : 0xFFFFFFFF);
    previewBox()->setPicture(sharp);
    save("qr.jpg", 4);
    EXPECT_NE(QImage(out + "/qr.jpg").convertToFormat(QImage::Format_RGB32), sharp);
    EXPECT_EQ(previewBox()->picture(), sharp);
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.jpg");
    save("qr.bmp", 1);
    EXPECT_EQ(QImage(out + "/qr.bmp").convertToFormat(QImage::Format_RGB32), sharp);
}

TEST_F(Save, JpegGoesThroughTempBmpInTheWorkingFolderAtTheTypesQuality) {
    const QString work = host.tempPath() + "/travail";
    QDir().mkpath(work);
    host.workFolderPath = work + "/"; // already ending in the separator: no second one
    QByteArray bmpSeen, jpgSeen;
    QSize tempSize;
    host.converter = [&](const QByteArray& bmp, const QByteArray& jpg, int quality, int flag) {
        bmpSeen = bmp;
        jpgSeen = jpg;
        tempSize = QImage(QString::fromUtf8(bmp)).size();
        return FakeHost().converter(bmp, jpg, quality, flag);
    };
    for (int type : {2, 3, 4})
        save("été.jpg", type);
    EXPECT_EQ(jpegQualities(),
              (QStringList{"convertToJpeg quality 100 flag 1", "convertToJpeg quality 80 flag 1",
                           "convertToJpeg quality 50 flag 1"}));
    EXPECT_EQ(QString::fromUtf8(bmpSeen), work + "/Temp.bmp");
    EXPECT_EQ(QString::fromUtf8(jpgSeen), out + "/été.jpg");
    EXPECT_EQ(tempSize, QSize(201, 201));
    EXPECT_FALSE(QFile::exists(work + "/Temp.bmp"));
    EXPECT_FALSE(QFile::exists(host.tempPath() + "/Temp.bmp"));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : été.jpg");
}

TEST_F(Save, TempBmpLeftOverIsRemovedAtTheNextJpegSave) {
    put(temp(), "reste d'un échec");
    host.log.clear();
    save("qr.jpg", 2);
    const QStringList expected = {
        "chooseSaveFile",    "workFolder", "lockFile",      "firstMatchingFile",
        "deleteFile",        "writePicture",   "convertToJpeg", "convertToJpeg quality 100 flag 1",
        "firstMatchingFile", "deleteFile", "loadPicture"};
    EXPECT_EQ(host.log, expected);
    EXPECT_FALSE(QFile::exists(temp()));
    EXPECT_EQ(formatOf(out + "/qr.jpg"), "jpeg");
    EXPECT_TRUE(host.messages.empty());
}

// Only Temp.bmp itself is the working file: not a name differing in case, and never what a link
// planted at its name points at.
TEST_F(Save, TempBmpIsMatchedWithCaseAndNeverWrittenThroughALink) {
    put(host.tempPath() + "/temp.bmp", "à quelqu'un");
    // Windows: one file under both names, and its links are shortcuts.
    if (QFileInfo::exists(host.tempPath() + "/TEMP.BMP"))
        GTEST_SKIP() << "names match without case on this file system";
    save("qr.jpg", 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(formatOf(out + "/qr.jpg"), "jpeg");
    EXPECT_EQ(contents(host.tempPath() + "/temp.bmp"), "à quelqu'un");

    QTemporaryDir elsewhere;
    const QString outside = elsewhere.filePath("planted.bmp");
    ASSERT_TRUE(QFile::link(outside, temp()));
    save("qr.jpg", 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(QFile::exists(outside));
}

// ---- the typed ratio ----

TEST_F(Save, TypedRatioTable) {
    struct Case {
        std::optional<QString> answer; // nullopt: Cancel
        int quality;
        QString offeredNext;
    };
    const std::vector<Case> cases = {
        {"75", 75, "75"},      {"20", 20, "20"},          {"100", 100, "100"},    {"101", 100, "101"},
        {"19.4", 100, "19.4"}, {"19.5", 20, "19.5"},      {"100.5", 100, "100.5"}, {"-5", 100, "-5"},
        {QString(400, u'7'), 100, QString(400, u'7')},    {"5 0", 50, "5 0"},     {"50%", 50, "50%"},
        {"1e2", 100, "1e2"},   {"abc", 100, "abc"},       {"", 100, "100"},       {"33", 33, "33"},
    };
    QString offered = "100"; // the first question of a run
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("<Annuler>").left(20).toStdString());
        host.log.clear();
        host.textAnswers.clear();
        if (c.answer)
            host.textAnswers.push_back(*c.answer);
        host.yesNoAnswers = {true}; // qr.jpg, from the case before
        save("qr", 5);
        const QStringList asked = host.log.filter("askText ");
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked[0], "askText Indiquez le ratio de compression (20-100) pour le fichier qr.jpg."
                            "|Valeur du ratio de compression|" + offered);
        EXPECT_EQ(jpegQualities(),
                  QStringList{QStringLiteral("convertToJpeg quality %1 flag 1").arg(c.quality)});
        EXPECT_EQ(window.saveChoices().lastRatio, c.answer.value_or(""));
        EXPECT_EQ(formatOf(out + "/qr.jpg"), "jpeg");
        offered = c.offeredNext;
    }
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(window.saveChoices().lastType, 5);

    // Annuler ends the save as the dialog's Cancel does.
    const QByteArray older = contents(out + "/qr.jpg");
    save("autre", 2);
    const exporting::SaveChoices before = window.saveChoices();
    host.log.clear();
    host.textAnswers = {std::nullopt};
    host.yesNoAnswers = {true};
    save("qr", 5);
    EXPECT_TRUE(host.log.filter("convertToJpeg").isEmpty());
    EXPECT_EQ(contents(out + "/qr.jpg"), older);
    EXPECT_EQ(window.saveChoices().lastFile, before.lastFile);
    EXPECT_EQ(window.saveChoices().lastType, before.lastType);
    EXPECT_EQ(window.saveChoices().lastRatio, before.lastRatio);
}

// ---- the picture of a chosen size ----

// The symbol in square modules of the largest whole size that leaves 4 modules of white around
// it, centred; only black and white.
void expectDrawnAt(const QImage& picture, const host::Symbol& symbol, int side) {
    ASSERT_EQ(picture.size(), QSize(side, side));
    const int scale = side / (symbol.width + 8);
    const int margin = (side - symbol.width * scale) / 2;
    EXPECT_LE(side - symbol.width * scale - 2 * margin, 1);
    const QImage rgb = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const int mx = x < margin ? -1 : (x - margin) / scale, my = y < margin ? -1 : (y - margin) / scale;
            const bool dark = mx >= 0 && my >= 0 && mx < symbol.width && my < symbol.width &&
                              symbol.modules[my * symbol.width + mx];
            if (rgb.pixel(x, y) != (dark ? qRgb(0, 0, 0) : qRgb(255, 255, 255)))
                return ADD_FAILURE() << "pixel " << x << ", " << y;
        }
}

TEST_F(Save, PngOfAChosenSizeTable) {
    const host::Symbol symbol = host.symbolEncoder(lumo::MainWindow::initialLink.toUtf8(), 0); // 21 modules
    const QImage preview = previewBox()->picture();
    struct Case {
        std::optional<QString> answer; // nullopt: Cancel
        int side;                       // 0: nothing written
        QString said;                   // in the message when nothing is written
    };
    const QString range = "de 21 à 8192", tooSmall = "il lui en faut au moins 29";
    const std::vector<Case> cases = {{"1024", 1024, {}}, {"29", 29, {}},        {"58", 58, {}},
                                     {"1 000", 1000, {}}, {"8192", 8192, {}},    {"28", 0, tooSmall},
                                     {"21", 0, tooSmall}, {"8193", 0, range},    {"abc", 0, range},
                                     {"", 0, range},      {std::nullopt, 0, {}}};
    QString offered = "1024"; // the first question of a run
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer.value_or("<Annuler>").toStdString());
        QFile::remove(out + "/grand.png");
        put(out + "/grand.png", "earlier");
        host.log.clear();
        host.messages.clear();
        host.textAnswers = {c.answer};
        host.yesNoAnswers = {true};
        save("grand", 8);
        EXPECT_EQ(host.log.filter("askText "), QStringList{"askText Taille de l'image en pixels|Taille de l'image|" +
                                                           offered});
        if (c.answer)
            offered = c.answer->isEmpty() ? "1024" : *c.answer;
        if (c.side == 0) {
            EXPECT_EQ(contents(out + "/grand.png"), "earlier");
            ASSERT_EQ(host.messages.size(), c.answer ? 1u : 0u);
            if (c.answer) {
                EXPECT_TRUE(host.messages[0].text.contains(c.said)) << host.messages[0].text.toStdString();
            }
            continue;
        }
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(formatOf(out + "/grand.png"), "png");
        const QImage saved = host.loadPicture(out + "/grand.png");
        if (c.side <= 1024)
            expectDrawnAt(saved, symbol, c.side);
        else
            EXPECT_EQ(saved.size(), QSize(c.side, c.side));
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : grand.png");
    }
    EXPECT_EQ(window.saveChoices().lastSide, "");
    EXPECT_EQ(window.saveChoices().lastType, 8);
    EXPECT_EQ(previewBox()->picture(), preview); // the preview stays the 201-pixel picture
}

// ---- failures ----

// Every failure: a critical message titled "Erreur" naming the target and the reason; cancelThrows
// false; the type remembered; nothing lost at the target; no Temp.bmp left when it can go.
TEST_F(Save, FailuresAreReportedAndLoseNothing) {
    const QString blocker = host.tempPath() + "/fichier-ordinaire";
    put(blocker, "x");
    struct Case {
        const char* name;
        QString typed;
        int type;
        std::function<void()> arrange;
        QString reason;       // part of the message
        QString lastFile;     // relative to out, or absolute
        bool tempStays = false;
    };
    const std::vector<Case> cases = {
        {"BMP write fails", "qr.png", 1, [&] { host.failNext("writePicture"); }, "raison simulée", "qr.png"},
        {"removing an old Temp.bmp fails", "qr.png", 2,
         [&] {
             put(temp(), "vieux");
             host.failNext("deleteFile");
         },
         "raison simulée", "qr.png", true},
        {"Temp.bmp cannot be written", "qr.png", 3, [&] { host.failNext("writePicture"); }, "raison simulée", "qr.png"},
        {"working folder absent", "qr.png", 4, [&] { host.workFolderPath = blocker + "/dossier"; },
         "Temp.bmp » ne peut pas être créé.\nDossier absent.", "qr.png"},
        {"converter library missing", "qr.png", 2, [&] { host.converterMissing = true; }, "Lumo_Image_BmpJpg",
         "qr.png"},
        {"converter fails over an older readable file: the system's reason", "qr.png", 3,
         [&] {
             host.converter = [](const QByteArray&, const QByteArray&, int, int) { return LIBJ_ERR_WRITE; };
             host.converterSystemError = EROFS;
         },
         "La conversion en JPEG a échoué.\nSupport en lecture seule.", "qr.png"},
        {"converter refuses the picture", "qr", 4,
         [&] { host.converter = [](const QByteArray&, const QByteArray&, int, int) { return LIBJ_ERR_READ_BMP; }; },
         "L'image temporaire est illisible.", "qr"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.messages.clear();
        host.workFolderPath.clear();
        host.converterMissing = false;
        host.converter = FakeHost().converter;
        host.converterSystemError = 0;
        QFile::remove(temp());
        const QString target = out + (c.type == 1 ? "/qr.bmp" : "/qr.jpg");
        // An older readable file at the target, the preview and caption as they were.
        host.saveAnswers.push_back(confirm(target, c.type));
        command(3)->click();
        const QByteArray older = contents(target);
        previewBox()->setPicture(testsupport::pictureOf("autre"));
        window.setWindowTitle("Lumo-RAZazu : avant");
        const QImage preview = previewBox()->picture();
        host.messages.clear();

        c.arrange();
        host.yesNoAnswers = {true}; // replacing the older file
        save(c.typed, c.type);
        ASSERT_EQ(host.messages.size(), 1u);
        const auto& message = host.messages[0];
        EXPECT_EQ(message.title, "Erreur");
        EXPECT_EQ(message.kind, host::MessageKind::Critical);
        EXPECT_TRUE(message.text.contains("« " + QDir::toNativeSeparators(target) + " »")) << message.text.toStdString();
        EXPECT_TRUE(message.text.contains(c.reason)) << message.text.toStdString();
        EXPECT_EQ(contents(target), older);
        EXPECT_EQ(previewBox()->picture(), preview);
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : avant");
        EXPECT_EQ(window.saveChoices().lastFile, out + u'/' + c.lastFile);
        EXPECT_EQ(window.saveChoices().lastType, c.type);
        EXPECT_FALSE(window.saveDialog().cancelThrows);
        EXPECT_EQ(QFile::exists(temp()), c.tempStays);
        for (const QString& name : QDir(out).entryList(QDir::Files | QDir::Hidden))
            EXPECT_TRUE(name == "qr.bmp" || name == "qr.jpg") << "stray " << name.toStdString();
    }
}

TEST_F(Save, TargetsThatCannotBeWritten) {
    const QString blocker = out + "/fichier-ordinaire";
    put(blocker, "x");
    for (int type : {1, 2}) {
        SCOPED_TRACE(type);
        host.messages.clear();
        host.saveAnswers.push_back(confirm(blocker + "/qr", type));
        command(3)->click();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text.contains(QDir::toNativeSeparators(blocker + (type == 1 ? "/qr.bmp" : "/qr.jpg"))));
        EXPECT_EQ(contents(blocker), "x");
        EXPECT_FALSE(QFile::exists(temp()));
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu");
    }
}

// A FIFO, directly or through a link, is no picture file: it stays a FIFO, its reader gets nothing.
TEST_F(Save, AFifoIsNoPictureFile) {
    if (!testsupport::makeFifo(out + "/tube.png"))
        GTEST_SKIP() << "no FIFOs on this system";
    ASSERT_TRUE(QFile::link(out + "/tube.png", out + "/lien.bmp"));
    for (const auto& [name, type] : {std::pair{"tube.png", 6}, std::pair{"lien.bmp", 1}}) {
        SCOPED_TRACE(name);
        host.messages.clear();
        save(name, type);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "Le QR-Code n'a pas pu être enregistré dans le fichier « " + out + "/" +
                                             name + " ».\nImpossible d'écrire le fichier « " + out + "/" + name +
                                             " ».\nCe n'est pas un fichier ordinaire.");
        const auto fifo = std::filesystem::symlink_status(QFile::encodeName(out + "/tube.png").toStdString());
        EXPECT_TRUE(std::filesystem::is_fifo(fifo));
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu");
    }
}

TEST_F(Save, TempBmpThatCannotBeRemovedIsSaidAndGoesAtTheNextSave) {
    host.converterMissing = true;
    host.failNext("deleteFile");
    save("qr.jpg", 2);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(host.messages[0].text.contains("Lumo_Image_BmpJpg"));
    EXPECT_TRUE(host.messages[0].text.contains("fichier temporaire")) << host.messages[0].text.toStdString();
    EXPECT_TRUE(QFile::exists(temp()));

    host.converterMissing = false;
    host.messages.clear();
    save("qr.jpg", 2);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(QFile::exists(temp()));
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.jpg");
}

// Failures once the target is written: the file stays, and the message says it was written.
TEST_F(Save, FailuresAfterTheTargetIsWritten) {
    const QImage preview = previewBox()->picture();
    {
        SCOPED_TRACE("BMP not readable back: the caption shows the full path");
        host.failNext("loadPicture");
        save("qr.bmp", 1);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text.contains("a été écrit"));
        EXPECT_EQ(window.windowTitle(), QDir::toNativeSeparators(out + "/qr.bmp"));
        EXPECT_EQ(window.saveChoices().lastFile, out + "/qr.bmp");
        EXPECT_EQ(previewBox()->picture(), preview);
        EXPECT_EQ(formatOf(out + "/qr.bmp"), "bmp");
    }
    {
        SCOPED_TRACE("JPEG written unreadable");
        host.messages.clear();
        window.setWindowTitle("Lumo-RAZazu : avant");
        host.converter = [](const QByteArray&, const QByteArray& jpg, int, int) {
            QFile file(QString::fromUtf8(jpg));
            file.open(QIODevice::WriteOnly);
            file.write("pas un JPEG");
            return 0;
        };
        save("qr.jpg", 3);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text.contains("Impossible de lire l'image"));
        EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : avant");
        EXPECT_EQ(window.saveChoices().lastFile, out + "/qr.jpg");
        EXPECT_EQ(previewBox()->picture(), preview);
        EXPECT_FALSE(QFile::exists(temp()));
    }
    {
        SCOPED_TRACE("Temp.bmp cannot be removed after the conversion");
        host.messages.clear();
        host.converter = FakeHost().converter;
        host.failNext("deleteFile");
        save("qr2.jpg", 2);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text.contains("a été écrit"));
        EXPECT_EQ(formatOf(out + "/qr2.jpg"), "jpeg");
        EXPECT_TRUE(QFile::exists(temp()));
        EXPECT_FALSE(window.saveDialog().cancelThrows);
    }
}

} // namespace
