// The main window's commands on the fake host: states, creation outcomes, paste, reset, print, copy.
#include "FakeHost.h"
#include "LumoQRCode.h"
#include "PictureBox.h"
#include "QRCodeLib.h"
#include "frmAbout.h"

#include <QFile>
#include <cerrno>
#include <QLockFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using lumo::LumoQRCode;
using testsupport::FakeHost;

namespace {

struct MainWindow : ::testing::Test {
    FakeHost host;
    LumoQRCode window{host};

    // create, print, save, copy
    std::array<bool, 4> states() const {
        return {window.Command1->isEnabled(), window.Command2->isEnabled(), window.Command3->isEnabled(),
                window.Command4->isEnabled()};
    }
    static constexpr std::array<bool, 4> empty{false, false, false, false};
    static constexpr std::array<bool, 4> edited{true, false, false, false};
    static constexpr std::array<bool, 4> shown{true, true, true, true};

    void type(const QString& text) { window.Text1->setText(text); }
    void create() { window.Command1->click(); }
    QString workingPath() const { return host.tempPath() + QStringLiteral("/QRCODE.bmp"); }
};

TEST_F(MainWindow, StartsEditedWithTheMakersLink) {
    EXPECT_EQ(window.Text1->text(), LumoQRCode::initialLink);
    EXPECT_FALSE(window.Text1->text().isEmpty());
    EXPECT_EQ(states(), edited);
    EXPECT_TRUE(window.OldLiens().isEmpty());
    EXPECT_TRUE(window.PicImage->picture().isNull());
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu");
    for (auto* always : {window.Command5, window.Command6, window.Command7, window.Command8})
        EXPECT_TRUE(always->isEnabled());
}

TEST_F(MainWindow, CommandRulesFollowTheField) {
    type("");
    EXPECT_EQ(states(), empty);
    type("   "); // spaces only are a link
    EXPECT_EQ(states(), edited);
    create();
    EXPECT_EQ(states(), shown);
    EXPECT_EQ(window.OldLiens(), "   ");

    type("https://exemple.fr/Page");
    create();
    const QImage preview = window.PicImage->picture();
    type("https://exemple.fr/page"); // case counts
    EXPECT_EQ(states(), edited);
    type("https://exemple.fr/Pag");
    EXPECT_EQ(states(), edited);
    EXPECT_EQ(window.PicImage->picture(), preview); // the last code stays on view
    type("https://exemple.fr/Page"); // back to the link shown, no new creation
    EXPECT_EQ(states(), shown);
    type(" https://exemple.fr/Page"); // no trimming
    EXPECT_EQ(states(), edited);
}

TEST_F(MainWindow, CreationEncodesTheLinkIntoTheWorkingFileAndShowsIt) {
    // Accents, emoji, CJK, right-to-left text and control characters all reach the encoder as typed.
    const QString link = QStringLiteral("Noël à Zürich œ € 😀 中文 שלום \u202Eabc\x01\t\x1b");
    type(link);
    create();
    ASSERT_TRUE(host.messages.empty());
    EXPECT_EQ(window.PicImage->picture(), testsupport::pictureOf(link.toUtf8()).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(window.OldLiens(), link);
    EXPECT_TRUE(QFile::exists(workingPath()));

    // Twice from the same link: encoded again, same OldLiens.
    QByteArray seenText, seenPath;
    host.encoder = [&](const QByteArray& text, const QByteArray& path) {
        seenText = text;
        seenPath = path;
        return FakeHost().encoder(text, path);
    };
    create();
    EXPECT_EQ(seenText, link.toUtf8());
    EXPECT_EQ(QString::fromUtf8(seenPath), workingPath());
    EXPECT_EQ(window.OldLiens(), link);
}

TEST_F(MainWindow, WorkingPathIsThePlainConcatenationOfTheFolder) {
    QByteArray seenPath;
    host.workFolderPath = host.tempPath() + "/"; // a folder already ending in the separator
    host.encoder = [&](const QByteArray& text, const QByteArray& path) {
        seenPath = path;
        return FakeHost().encoder(text, path);
    };
    create();
    EXPECT_EQ(QString::fromUtf8(seenPath), host.tempPath() + "//QRCODE.bmp");
    EXPECT_EQ(states(), shown);
}

// Two copies of the tool in one folder: the working file is theirs alone from writing to reading back.
TEST_F(MainWindow, WorkingFileIsLockedFromEncodingToReadingBack) {
    std::map<QString, bool> lockedDuring;
    host.onOperation = [&](const QString& operation) {
        QLockFile other(host.tempPath() + "/.QRCODE.bmp.lock");
        lockedDuring[operation] = !other.tryLock(0);
    };
    create();
    EXPECT_TRUE(lockedDuring.at("fastQRCode"));
    EXPECT_TRUE(lockedDuring.at("loadPicture"));
    QLockFile after(host.tempPath() + "/.QRCODE.bmp.lock");
    EXPECT_TRUE(after.tryLock(0)); // released once the preview shows the code

    host.failNext("lockFile"); // the other copy never lets go: a message, nothing encoded
    host.log.clear();
    type("autre lien");
    create();
    EXPECT_FALSE(host.log.contains("fastQRCode"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(window.OldLiens(), LumoQRCode::initialLink);
}

TEST_F(MainWindow, EmptyLinkOnlyDisablesTheOutputCommands) {
    create();
    const QImage preview = window.PicImage->picture();
    host.log.clear();
    window.Text1->blockSignals(true); // the handler run with an empty field despite the rules
    window.Text1->clear();
    window.Text1->blockSignals(false);
    window.Command1_Click();
    EXPECT_FALSE(host.log.contains("fastQRCode"));
    EXPECT_EQ(window.OldLiens(), LumoQRCode::initialLink);
    EXPECT_EQ(window.PicImage->picture(), preview);
    EXPECT_FALSE(window.Command2->isEnabled());
    EXPECT_FALSE(window.Command3->isEnabled());
    EXPECT_FALSE(window.Command4->isEnabled());
}

// Every failed creation leaves preview, OldLiens and commands as they were, and says why.
TEST_F(MainWindow, FailedCreationChangesNothingAndSaysWhy) {
    type("premier");
    create();
    const QImage preview = window.PicImage->picture();
    type("second");

    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString link;
        QString expected; // part of the message
        bool encoderCalled;
    };
    const auto tooLong = [&] { host.encoder = [](const QByteArray&, const QByteArray&) { return QRCL_ERR_TOO_LONG; }; };
    bool lockedAtMessage = false; // another copy would wait for this one's message
    host.onOperation = [&](const QString& operation) {
        if (operation == "messageBox")
            lockedAtMessage = !QLockFile(host.tempPath() + "/.QRCODE.bmp.lock").tryLock(0);
    };
    const std::vector<Case> cases = {
        {"library missing", [&] { host.encoderMissing = true; }, "second", "QRCodeLib", true},
        {"encoder failure over an earlier QRCODE.bmp",
         [&] { host.encoder = [](const QByteArray&, const QByteArray&) { return QRCL_ERR_INTERNAL; }; }, "second",
         "mémoire insuffisante ou erreur interne", true},
        {"encoder cannot write: the system's reason, in French",
         [&] {
             host.encoder = [](const QByteArray&, const QByteArray&) { return QRCL_ERR_WRITE; };
             host.encoderSystemError = ENOSPC;
         },
         "second", "QRCODE.bmp ».\nDisque plein.", true},
        {"unreadable file",
         [&] {
             host.encoder = [](const QByteArray&, const QByteArray& path) {
                 QFile f(QString::fromUtf8(path));
                 f.open(QIODevice::WriteOnly);
                 f.write("pas une image");
                 return 0;
             };
         },
         "second", "Impossible de lire l'image", true},
        {"text too long", tooLong, QString(2954, QLatin1Char('a')), "2954 caractères (2954 octets).\nUn QR-Code contient au plus 2953 octets", true},
        {"emoji count one each, against the UTF-8 limit", tooLong, QString("😀").repeated(1000),
         "1000 caractères (4000 octets).\nUn QR-Code contient au plus 2952 octets", true},
        {"longer than any code", [] {}, QString(7090, QLatin1Char('7')), "au plus 7089 chiffres", false},
        {"a pasted megabyte", [] {}, QString(1 << 20, QLatin1Char('x')), "1048576 caractères", false},
        {"NUL", [] {}, QStringLiteral("a") + QChar(0) + QStringLiteral("b"), "caractère nul", false},
        {"lone surrogate", [] {}, QStringLiteral("a") + QChar(0xD800), "caractère invalide", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.encoder = FakeHost().encoder;
        host.encoderMissing = false;
        c.arrange();
        type(c.link);
        host.messages.clear();
        host.log.clear();
        create();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_TRUE(host.messages[0].text.contains(c.expected)) << host.messages[0].text.toStdString();
        EXPECT_EQ(host.messages[0].title, "Lumo-RAZazu");
        EXPECT_EQ(host.messages[0].style, host::vbCritical);
        EXPECT_EQ(host.log.contains("fastQRCode"), c.encoderCalled);
        EXPECT_FALSE(lockedAtMessage);
        EXPECT_EQ(window.PicImage->picture(), preview);
        EXPECT_EQ(window.OldLiens(), "premier");
        EXPECT_EQ(states(), edited);
    }
}

TEST_F(MainWindow, PasteTakesTheClipboardTextUnchanged) {
    host.clipboard = QStringLiteral("  https://ex.fr/?q=é&x=😀\t");
    window.Command6->click();
    EXPECT_EQ(window.Text1->text(), host.clipboard);
    EXPECT_EQ(states(), edited);

    create();
    window.Command6->click(); // the same text again: nothing changes
    EXPECT_EQ(states(), shown);

    host.clipboard.clear(); // a picture or nothing on the clipboard: the link typed stays
    window.Command6->click();
    EXPECT_EQ(window.Text1->text(), QStringLiteral("  https://ex.fr/?q=é&x=😀\t"));
    EXPECT_EQ(states(), shown);
}

TEST_F(MainWindow, FailedClipboardReadKeepsTheFieldAndIsReported) {
    host.failNext("clipboardText");
    window.Command6->click();
    EXPECT_EQ(window.Text1->text(), LumoQRCode::initialLink);
    EXPECT_EQ(states(), edited);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Lumo-RAZazu");
}

TEST_F(MainWindow, ResetEmptiesFieldPreviewAndRememberedLink) {
    create();
    window.setWindowTitle("Lumo-RAZazu : qr.jpg"); // as a save leaves it
    window.Command8->click();
    EXPECT_EQ(window.Text1->text(), "");
    EXPECT_TRUE(window.PicImage->picture().isNull());
    EXPECT_EQ(states(), empty);
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.jpg");
    EXPECT_TRUE(QFile::exists(workingPath()));
    // The last link typed again does not bring the output commands back over an empty preview.
    type(LumoQRCode::initialLink);
    EXPECT_EQ(states(), edited);
    window.Command8->click(); // with an empty field already
    EXPECT_EQ(states(), empty);
}

TEST_F(MainWindow, QuitEndsTheProgram) {
    window.Command5->click();
    EXPECT_TRUE(host.ended);
}

TEST_F(MainWindow, AboutIsCreatedOnceAndShownModalEachTime) {
    std::vector<QDialog*> shownDialogs;
    host.onShowModal = [&](QDialog& dialog) { shownDialogs.push_back(&dialog); };
    EXPECT_EQ(window.aboutDialog(), nullptr);
    window.Command7->click();
    window.Command7->click();
    ASSERT_EQ(shownDialogs.size(), 2u);
    EXPECT_EQ(shownDialogs[0], shownDialogs[1]);
    EXPECT_EQ(shownDialogs[0], window.aboutDialog());
    EXPECT_EQ(window.aboutDialog()->windowTitle(), "A propos Lumo-RAZazu");
}

TEST_F(MainWindow, CopyPutsTheBoxSizedPictureOnTheClipboard) {
    window.Command4_Click(); // no picture yet: the empty background
    ASSERT_EQ(host.clipboardImage.size(), QSize(201, 201));
    EXPECT_EQ(host.clipboardImage.pixelColor(100, 100), window.PicImage->backgroundColor());

    create();
    window.Command4->click();
    const QImage picture = window.PicImage->picture();
    ASSERT_EQ(host.clipboardImage.size(), QSize(201, 201));
    EXPECT_EQ(host.clipboardImage.pixel(0, 0), picture.pixel(0, 0));
    EXPECT_EQ(host.clipboardImage.pixelColor(200, 200), window.PicImage->backgroundColor());
}

TEST_F(MainWindow, PrintDrawsTheLoadedPictureOneMillimetreFromTheCorner) {
    create();
    host.log.clear();
    window.Command2->click();
    const QStringList expected = {"showPrinter", "printer.printEmptyLine", "printer.setScaleMode",
                                  "printer.paintPicture", "printer.endDoc"};
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(host.fakePrinter.scaleMode, host::vbMillimeters);
    EXPECT_EQ(host.fakePrinter.paintedAt, QPointF(1.0, 1.0));
    EXPECT_EQ(host.fakePrinter.painted, window.PicImage->picture()); // not the box-sized image
    EXPECT_EQ(host.fakePrinter.pages, 1);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MainWindow, PrintCancelIsSilent) {
    create();
    host.printerAnswers = {false};
    host.log.clear();
    window.Command2->click();
    EXPECT_EQ(host.log, QStringList{"showPrinter"});
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fakePrinter.pages, 0);
}

TEST_F(MainWindow, PrintFailureAtEachStepShowsThePrinterErrorAndAborts) {
    create();
    for (const char* step : {"printer.printEmptyLine", "printer.setScaleMode", "printer.paintPicture",
                             "printer.endDoc"}) {
        SCOPED_TRACE(step);
        host.messages.clear();
        host.log.clear();
        host.failNext(step);
        window.Command2->click();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
        EXPECT_EQ(host.messages[0].title, "Erreur");
        EXPECT_EQ(host.messages[0].style, host::vbCritical);
        EXPECT_EQ(host.log.last(), "printer.killDoc");
        EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    }
    EXPECT_EQ(host.fakePrinter.pages, 0);
}

TEST_F(MainWindow, HourglassWhilePrintingOnly) {
    create();
    std::map<QString, Qt::CursorShape> pointer;
    host.onOperation = [&](const QString& operation) {
        pointer[operation] = window.cursor().shape();
    };
    host.failNext("printer.endDoc");
    window.Command2->click();
    EXPECT_EQ(pointer["showPrinter"], Qt::ArrowCursor);
    EXPECT_EQ(pointer["printer.paintPicture"], Qt::WaitCursor);
    EXPECT_EQ(pointer["messageBox"], Qt::WaitCursor);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
