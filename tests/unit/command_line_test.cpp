// The command line on a fake of its services, over the real encoder and converter loaded by
// absolute path as the tool loads them: what each line asks for, each format written and decoded,
// standard input, printing, the exit statuses.
#include "CommandLine.h"
#include "NativeLibrary.h"
#include "PlainFailure.h"
#include "QrDecode.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <mutex>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using app::Request;

namespace {

Request read(std::vector<const char*> arguments) {
    arguments.insert(arguments.begin(), "lumo-razazu");
    return app::readArguments(int(arguments.size()), arguments.data());
}

TEST(command_line, OnlyNothingOrOneLinkOpensTheWindowAndEveryWrongLineIsRefusedInFrench) {
    EXPECT_EQ(read({}).kind, Request::Kind::Window);
    EXPECT_FALSE(read({}).link);
    EXPECT_EQ(read({"https://exemple.fr/"}).link, "https://exemple.fr/");
    EXPECT_EQ(read({"--", "-moins"}).link, "-moins");
    EXPECT_EQ(read({"--help"}).kind, Request::Kind::Help);
    EXPECT_EQ(read({"-v"}).kind, Request::Kind::Version);

    const Request jpeg = read({"-o", "qr.JPG", "L"});
    EXPECT_EQ(jpeg.kind, Request::Kind::Write);
    EXPECT_EQ(jpeg.quality, 100);
    EXPECT_FALSE(jpeg.module);
    const Request both = read({"--output=qr.jpeg", "--quality", "20", "-m", "3", "-"});
    EXPECT_EQ(both.kind, Request::Kind::Write);
    EXPECT_EQ(both.output, "qr.jpeg");
    EXPECT_EQ(both.link, "-");
    EXPECT_EQ(both.quality, 20);
    EXPECT_EQ(both.module, 3);
    const Request look = read({"-o", "x.svg", "--ecc", "q", "--size", "52,5", "--margin=2", "--foreground", "#767676", "L"});
    EXPECT_EQ(look.kind, Request::Kind::Write);
    EXPECT_EQ(look.level, 3);
    EXPECT_EQ(look.size, 52.5);
    EXPECT_EQ(look.margin, 2);
    EXPECT_EQ(look.foreground, 0x767676u); // 4.5:1 on white

    // --print's queue is the next word only when the link comes otherwise.
    const Request printed = read({"--print", "L"});
    EXPECT_EQ(printed.kind, Request::Kind::Write);
    EXPECT_EQ(printed.print, "");
    EXPECT_EQ(printed.link, "L");
    EXPECT_FALSE(printed.output);
    const Request queued = read({"--print", "Q", "-o", "x.png", "--size", "30", "L"});
    EXPECT_EQ(queued.print, "Q");
    EXPECT_EQ(queued.link, "L");
    EXPECT_EQ(queued.size, 30);
    EXPECT_EQ(read({"--print", "Q", "--batch", "l.txt"}).print, "Q");
    EXPECT_EQ(read({"--print=Q", "-"}).print, "Q");

    const std::vector<std::pair<std::vector<const char*>, QString>> wrongLines = {
        {{"--ouptut", "x.png", "L"}, "Option inconnue : « --ouptut »"},
        {{"--out=x.png", "L"}, "Option inconnue : « --out=x.png »"},
        {{"-ox.png", "L"}, "Option inconnue : « -ox.png »"},
        {{"-platform", "offscreen"}, "Option inconnue : « -platform »"},
        {{"-q", "50", "L"}, "« --quality » ne sert qu'avec --output"},
        {{"--module", "4", "L"}, "« --module » ne sert qu'avec --output"},
        {{"-o", "x.png", "-q", "50", "L"}, "ne vaut que pour un fichier JPEG"},
        {{"-o", "x.svg", "-m", "2", "L"}, "ne vaut pas pour un dessin SVG"},
        {{"-o", "x.jpg", "-q", "10", "L"}, "La qualité va de 20 à 100."},
        {{"-o", "x.jpg", "-q", "+50", "L"}, "La qualité va de 20 à 100."},
        {{"-o", "x.png", "-m", "0", "L"}, "Les pixels par module vont de 1 à 100."},
        {{"-o", "x.gif", "L"}, "l'extension dit le format"},
        {{"-o", "x.png", "L", "M"}, "Un seul lien à la fois"},
        {{"a", "b"}, "Un seul lien à la fois"},
        {{"-o", "x.png"}, "Indiquez un lien"},
        {{"-"}, "Indiquez le fichier à écrire"},
        {{"L", "-o"}, "L'option « -o » attend une valeur."},
        {{"-o", "a.png", "--output", "b.png", "L"}, "« --output » est donnée deux fois"},
        {{"--version=2"}, "« --version » ne prend pas de valeur"},
        {{"--size", "50", "L"}, "« --size » ne sert qu'avec --output"},
        {{"--batch", "l.txt"}, "« --batch » ne sert qu'avec --output"},
        {{"-o", "x.png", "--size", "50", "L"}, "« --size » ne vaut que pour un dessin SVG"},
        {{"-o", "x.svg", "--size", "4.99", "L"}, "La taille va de 5 à 1000 mm."},
        {{"-o", "x.svg", "--size", "20.125", "L"}, "La taille va de 5 à 1000 mm."},
        {{"-o", "x.png", "--ecc", "LM", "L"}, "L, M, Q ou H"},
        {{"-o", "x.png", "--margin", "41", "L"}, "La marge va de 0 à 40 modules."},
        {{"-o", "x.png", "--background", "FFFFF", "L"}, "« --background » s'écrit RRVVBB"},
        {{"-o", "x.png", "--foreground", "999999", "L"}, "d'au moins 3:1 (ici 2,84:1)"},
        {{"-o", "x.png", "--foreground", "FFFFFF", "--background", "000000", "L"}, "modules foncés sur un fond clair"},
        {{"--batch", "l.txt", "-o", "x.png"}, "contient {n} ou {}"},
        {{"--batch", "l.txt", "-o", "{n}.png", "L"}, "n'en donnez pas d'autre"},
        {{"--print", "-m", "3", "L"}, "« --module » ne sert qu'avec --output"},
        {{"--print", "Q", "L", "M"}, "Un seul lien à la fois."},
    };
    for (const auto& [line, message] : wrongLines) {
        const Request request = read(line);
        SCOPED_TRACE(message.toStdString());
        EXPECT_EQ(request.kind, Request::Kind::Wrong);
        EXPECT_EQ(request.status, 2);
        const QString error = QString::fromStdString(request.error);
        EXPECT_TRUE(error.contains(message)) << request.error;
        EXPECT_TRUE(error.endsWith(QStringLiteral("Voir « lumo-razazu --help »."))) << request.error;
    }

    // A link that is not UTF-8 is refused as the encoder refuses it, window or file.
    const Request bytes = read({"caf\xE9"});
    EXPECT_EQ(bytes.kind, Request::Kind::Wrong);
    EXPECT_EQ(bytes.status, 1);
}

// The real services, each call recorded; any of them can fail once; print jobs recorded, not sent.
const std::string binDir = qEnvironmentVariable("LUMO_BIN_DIR", QStringLiteral(LUMO_TEST_BIN_DIR)).toStdString();

struct FakeServices final : app::CommandServices {
    std::unique_ptr<app::CommandServices> real = app::systemServices({binDir});
    QStringList log;
    QString failing;
    struct Job {
        std::string queue;
        std::vector<int> widths;
        int margin;
        double sideMm;
    };
    std::vector<Job> jobs;
    std::string printRefusal; // non-empty: the printer's answer

    std::mutex mutex; // a batch encodes on several threads

    void failNext(const QString& name) { failing = name; }
    void call(const QString& name) {
        const std::lock_guard<std::mutex> lock(mutex);
        log << name;
        if (failing == name) {
            failing.clear();
            throw host::PlainFailure("Échec simulé.");
        }
    }
    app::Symbol encodeSymbol(const std::string& text, int options) override {
        call("encodeSymbol");
        return real->encodeSymbol(text, options);
    }
    app::LibraryResult writeJpeg(const app::Picture& picture, const std::string& path, int quality, int flag) override {
        call("writeJpeg");
        log << QStringLiteral("writeJpeg quality %1 flag %2").arg(quality).arg(flag);
        return real->writeJpeg(picture, path, quality, flag);
    }
    void writeFile(const std::string& path, const std::string& bytes) override {
        call("writeFile");
        real->writeFile(path, bytes);
    }
    std::unique_ptr<host::TurnLock> lockFile(const std::string& path) override {
        call("lockFile");
        return real->lockFile(path);
    }
    int printCodes(const LumoPrintJob& job, std::string& reason) override {
        call("printCodes");
        Job recorded{job.queue ? job.queue : "(défaut)", {}, job.margin, job.sideMm};
        for (int i = 0; i < job.count; ++i)
            recorded.widths.push_back(job.codes[i].width);
        jobs.push_back(recorded);
        reason = printRefusal;
        return printRefusal.empty() ? 0 : 1;
    }
};

struct command_line_run : ::testing::Test {
    FakeServices services;
    host::NativeLibrary encoderLib{"QRCodeLib", {binDir}};
    QTemporaryDir temporary;
    QDir out{temporary.path()};

    int run(std::vector<const char*> arguments, const std::string& input = {}) {
        std::istringstream stream(input);
        return app::runWithoutWindow(services, read(std::move(arguments)), stream);
    }
    int width(const std::string& link, int options) { return services.real->encodeSymbol(link, options).width; }
    QByteArray path(const char* name) const { return QFile::encodeName(out.filePath(name)); }
    std::optional<std::string> decoded(const char* name) const { return testsupport::zxingDecode(QImage(out.filePath(name))); }
    QByteArray readAll(const char* name) const {
        QFile file(out.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

TEST_F(command_line_run, WritesEachFormatOnceUnderItsLockAndNothingElse) {
    const std::string link = "https://www.exemple.fr/ligne?été=1&n=42";
    for (const char* name : {"qr.png", "qr.bmp", "qr.jpg", "qr.JPEG"}) {
        SCOPED_TRACE(name);
        services.log.clear();
        ASSERT_EQ(run({"-o", path(name).constData(), link.c_str()}), 0);
        EXPECT_EQ(decoded(name), link);
        EXPECT_EQ(QImage(out.filePath(name)).size(), QSize(201, 201)); // the window's picture
        // No working file on the way: the lock is taken, then the target written once.
        const QStringList steps = services.log.filter(QRegularExpression("^(lockFile|write|encode)\\w*$"));
        EXPECT_EQ(steps.mid(0, 2), (QStringList{"encodeSymbol", "lockFile"}));
        EXPECT_TRUE(steps.size() == 3 && steps[2].startsWith("write")) << steps.join(", ").toStdString();
    }
    EXPECT_TRUE(services.log.contains("writeJpeg quality 100 flag 1"));
    // The window's very picture, pixel for pixel, as the encoder draws it into a file.
    using Draw = int32_t (*)(const char*, const char*);
    ASSERT_EQ(reinterpret_cast<Draw>(encoderLib.entry("FastQRCode"))(link.c_str(), path("window.bmp")), 0);
    EXPECT_EQ(QImage(out.filePath("qr.bmp")).convertToFormat(QImage::Format_RGB32),
              QImage(out.filePath("window.bmp")).convertToFormat(QImage::Format_RGB32));
    ASSERT_TRUE(out.remove("window.bmp"));
    QStringList left = out.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    left.sort();
    EXPECT_EQ(left, (QStringList{"qr.JPEG", "qr.bmp", "qr.jpg", "qr.png"}));

    services.log.clear();
    ASSERT_EQ(run({"-o", path("q.jpg").constData(), "--quality", "20", link.c_str()}), 0);
    EXPECT_TRUE(services.log.contains("writeJpeg quality 20 flag 1"));

    // Three pixels a module, and a quiet zone of four modules on each side.
    ASSERT_EQ(run({"-o", path("m3.png").constData(), "--module", "3", link.c_str()}), 0);
    const int side = (width(link, 0) + 8) * 3;
    EXPECT_EQ(QImage(out.filePath("m3.png")).size(), QSize(side, side));
    EXPECT_EQ(decoded("m3.png"), link);

    // The drawing is the encoder's own, its colours apart.
    ASSERT_EQ(run({"-o", path("qr.svg").constData(), link.c_str()}), 0);
    ASSERT_EQ(reinterpret_cast<Draw>(encoderLib.entry("FastQRCodeSvg"))(link.c_str(), path("own.svg")), 0);
    EXPECT_EQ(readAll("qr.svg"), readAll("own.svg").replace("#fff", "#ffffff").replace("#000", "#000000"));
}

TEST_F(command_line_run, SizeLevelMarginAndColoursShapeEachFormat) {
    const std::string link = "https://www.exemple.fr/taille";
    ::testing::internal::CaptureStderr();
    ASSERT_EQ(run({"-o", path("look.png").constData(), "-m", "3", "--margin", "1", "--ecc", "H", "--foreground",
                   "1A237E", "--background", "FFF8E1", link.c_str()}),
              0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Note : une marge de moins de 4 modules peut gêner certains lecteurs.\n");
    EXPECT_EQ(decoded("look.png"), link);
    const QImage look(out.filePath("look.png"));
    const int high = width(link, 4);
    EXPECT_GT(high, width(link, 1));
    EXPECT_EQ(look.size(), QSize((high + 2) * 3, (high + 2) * 3));
    EXPECT_EQ(look.pixel(0, 0), qRgb(0xFF, 0xF8, 0xE1));
    EXPECT_EQ(look.pixel(3, 3), qRgb(0x1A, 0x23, 0x7E)); // the finder's corner, one module in

    ASSERT_EQ(run({"-o", path("look.svg").constData(), "--size", "30", "--margin", "6", "--background", "EEEEEE",
                   link.c_str()}),
              0);
    const QByteArray svg = readAll("look.svg");
    const QByteArray span = QByteArray::number(width(link, 0) + 12);
    EXPECT_TRUE(svg.contains("width=\"30.000mm\" height=\"30.000mm\" viewBox=\"0 0 " + span + " " + span + "\""));
    EXPECT_TRUE(svg.contains("fill=\"#eeeeee\"/>\n<path fill=\"#000000\" d=\"M6 6h7v1h-7z")) << svg.toStdString();

    // A level too high for the text's length is said so, not "too long for a QR code".
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"-o", path("h.png").constData(), "--ecc", "H", std::string(3100, '7').c_str()}), 1);
    EXPECT_TRUE(QString::fromStdString(::testing::internal::GetCapturedStderr()).contains("au niveau de correction H"));
}

TEST_F(command_line_run, ABatchWritesEveryGoodLineNamesEachBadOneAndNeverReplacesItsOwnFiles) {
    std::string lines = "https://a.fr/1\r\n\na\xFF\nhttps://b.fr/4\n";
    for (int i = 5; i <= 9; ++i)
        lines += "\n";
    lines += "https://c.fr/10";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"--batch", "-", "-o", path("{n}.png").constData()}, lines), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(),
              "Ligne 3 : Le lien contient un caractère invalide : il ne peut pas être encodé.\n");
    EXPECT_EQ(out.entryList(QDir::Files), (QStringList{"01.png", "04.png", "10.png"}));
    EXPECT_EQ(decoded("01.png"), "https://a.fr/1");
    EXPECT_EQ(decoded("10.png"), "https://c.fr/10");

    // The line's own text as the name, made safe; the same name twice is the second line's fault.
    QFile list(out.filePath("list.txt"));
    ASSERT_TRUE(list.open(QIODevice::WriteOnly));
    list.write("https://x.fr/a\n../.cach\xC3\xA9\nhttps://x.fr/a\ntab\there\xC2\x85\n" + QByteArray(130, 'e') + "\xC3\xA9\n");
    list.close();
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"--batch", path("list.txt").constData(), "-o", path("s-{}.svg").constData()}), 1);
    const QString said = QString::fromStdString(::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(said.startsWith(QStringLiteral("Ligne 3 : le fichier « %1 » vient d'être écrit pour la ligne 1")
                                    .arg(out.filePath("s-https:__x.fr_a.svg")))) << said.toStdString();
    EXPECT_EQ(said.count(u'\n'), 1);
    QStringList names = out.entryList({"s-*"}, QDir::Files | QDir::Hidden);
    names.sort();
    EXPECT_EQ(names, (QStringList{QStringLiteral("s-___.caché.svg"), "s-" + QString(120, u'e') + ".svg",
                                  "s-https:__x.fr_a.svg", "s-tab_here_.svg"}));

    // A long list is made on every core, and still said and written line by line, in order.
    std::string many, refused;
    for (int line = 1; line <= 40; ++line) {
        many += line % 10 == 3 ? "a\xFF\n" : "https://d.fr/" + std::to_string(line) + "\n";
        if (line % 10 == 3)
            refused += "Ligne " + std::to_string(line) + " : Le lien contient un caractère invalide : il ne peut pas être encodé.\n";
    }
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"--batch", "-", "-o", path("m{n}.png").constData()}, many), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), refused);
    EXPECT_EQ(out.entryList({"m*"}, QDir::Files | QDir::Hidden).size(), 36);
    for (int line = 1; line <= 40; ++line) {
        if (line % 10 != 3) {
            EXPECT_EQ(decoded(QStringLiteral("m%1.png").arg(line, 2, 10, QLatin1Char('0')).toUtf8().constData()),
                      "https://d.fr/" + std::to_string(line));
        }
    }

    EXPECT_EQ(run({"--batch", path("absent.txt").constData(), "-o", path("{n}.png").constData()}), 1);
    EXPECT_EQ(run({"--batch", out.path().toUtf8().constData(), "-o", path("{n}.png").constData()}), 1);
}

TEST_F(command_line_run, PrintsEveryCodeOfTheRunInOneJobAndSaysTheRefusal) {
    ASSERT_EQ(run({"--print", "https://a.fr/"}), 0);
    ASSERT_EQ(run({"--print", "Bureau", "-o", path("p.png").constData(), "--size", "40", "--margin", "6", "https://a.fr/"}), 0);
    EXPECT_EQ(decoded("p.png"), "https://a.fr/");
    ASSERT_EQ(run({"--print", "--batch", "-"}, "https://a.fr/1\n\n" + std::string(3000, 'a') + "\nhttps://a.fr/4\n"), 1);
    ASSERT_EQ(services.jobs.size(), 3u);
    EXPECT_EQ(services.jobs[0].queue, "(défaut)");
    EXPECT_EQ(services.jobs[0].sideMm, 0);
    EXPECT_EQ(services.jobs[1].queue, "Bureau");
    EXPECT_EQ(services.jobs[1].sideMm, 40);
    EXPECT_EQ(services.jobs[1].margin, 6);
    EXPECT_EQ(services.jobs[2].widths, (std::vector<int>{21, 21})); // the good lines, in one job

    services.printRefusal = "L'imprimante « Bureau » est introuvable.";
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"--print", "Bureau", "L"}), 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), services.printRefusal + "\n");
}

TEST_F(command_line_run, ReadsStandardInputToABoundAndKeepsTheBytesOfNamesAndLinks) {
    ASSERT_EQ(run({"-o", path("in.png").constData(), "-"}, "Noël 2026\r\n"), 0);
    EXPECT_EQ(decoded("in.png"), "Noël 2026");
    ASSERT_EQ(run({"-o", path("digits.bmp").constData(), "-"}, std::string(7089, '7') + "\n"), 0);
    EXPECT_EQ(decoded("digits.bmp"), std::string(7089, '7'));

    // One byte past the largest text and its line break: refused as too long, nothing read further.
    std::istringstream endless(std::string(7092, 'y') + "never read");
    EXPECT_EQ(app::runWithoutWindow(services, read({"-o", path("y.png").constData(), "-"}), endless), 1);
    EXPECT_EQ(endless.tellg(), 7092);
    EXPECT_EQ(run({"-o", path("bad.png").constData(), "-"}, "a\xFF" "b"), 1);
    EXPECT_EQ(run({"-o", path("bad.png").constData(), "a\xFF\xFE"}), 1);
    EXPECT_EQ(run({"-o", path("nul.png").constData(), "-"}, std::string("a\0b", 3)), 1);

    // A name that is not UTF-8 is written under those very bytes, in a folder named likewise.
    const QByteArray folder = path("caf\xE9");
    ASSERT_EQ(::mkdir(folder.constData(), 0700), 0);
    const QByteArray target = folder + "/\xE9t\xE9.png";
    ASSERT_EQ(run({"-o", target.constData(), "https://exemple.fr/"}), 0);
    QFile written;
    ASSERT_TRUE(written.open(std::fopen(target.constData(), "rb"), QIODevice::ReadOnly, QFileDevice::AutoCloseHandle));
    EXPECT_EQ(testsupport::zxingDecode(QImage::fromData(written.readAll())), "https://exemple.fr/");
    // Removed by their bytes: the temporary folder's own removal goes by names Qt cannot spell.
    EXPECT_EQ(::unlink(target.constData()) | ::rmdir(folder.constData()), 0);

    EXPECT_EQ(out.entryList(QDir::Files), (QStringList{"digits.bmp", "in.png"}));
}

TEST_F(command_line_run, ExitStatusesAndAnEarlierFileIntactAfterAFailure) {
    EXPECT_EQ(run({"--version"}), 0);
    EXPECT_EQ(run({"-o", path("x.gif").constData(), "L"}), 2);
    // The target is the person's file: a failure names it so, and names no other file.
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run({"-o", path("absent/x.png").constData(), "L"}), 1);
    const QString said = QString::fromStdString(::testing::internal::GetCapturedStderr());
    EXPECT_TRUE(said.startsWith(QStringLiteral("Impossible d'écrire le fichier « %1 ».").arg(out.filePath("absent/x.png"))))
        << said.toStdString();
    EXPECT_EQ(said.count(QStringLiteral("«")), 1) << said.toStdString();
    QFile old(out.filePath("old.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("ancien") == 6);
    old.close();
    EXPECT_EQ(run({"-o", path("old.png").constData(), std::string(2954, 'a').c_str()}), 1);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "ancien");
    services.failNext("writeJpeg");
    EXPECT_EQ(run({"-o", path("new.jpg").constData(), "L"}), 1);
    EXPECT_FALSE(out.exists("new.jpg"));
}

} // namespace
