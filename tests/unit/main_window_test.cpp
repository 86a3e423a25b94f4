// The main window's commands on the fake host: states, creation outcomes, paste, reset, print, copy.
#include "AboutDialog.h"
#include "FakeHost.h"
#include "MainWindow.h"
#include "PictureBox.h"
#include "QRCodeLib.h"

#include <QFile>
#include <cerrno>
#include <QLockFile>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using testsupport::FakeHost;

namespace {

struct MainWindow : ::testing::Test {
    FakeHost host;
    lumo::MainWindow window{host};

    QPushButton* command(int number) const {
        return window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
    }
    QLineEdit* field() const { return window.findChild<QLineEdit*>(QStringLiteral("Text1")); }
    lumo::PictureBox* previewBox() const {
        return window.findChild<lumo::PictureBox*>(QStringLiteral("PicImage"));
    }

    // create, print, save, copy
    std::array<bool, 4> states() const {
        return {command(1)->isEnabled(), command(2)->isEnabled(), command(3)->isEnabled(),
                command(4)->isEnabled()};
    }
    static constexpr std::array<bool, 4> empty{false, false, false, false};
    static constexpr std::array<bool, 4> edited{true, false, false, false};
    static constexpr std::array<bool, 4> shown{true, true, true, true};

    void type(const QString& text) { field()->setText(text); }
    void create() { command(1)->click(); }
    QString workingPath() const { return host.tempPath() + QStringLiteral("/QRCODE.bmp"); }
};

TEST_F(MainWindow, StartsEditedWithTheMakersLink) {
    EXPECT_EQ(field()->text(), lumo::MainWindow::initialLink);
    EXPECT_FALSE(field()->text().isEmpty());
    EXPECT_EQ(states(), edited);
    EXPECT_TRUE(window.lastEncodedLink().isEmpty());
    EXPECT_TRUE(previewBox()->picture().isNull());
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu");
    for (int always : {5, 6, 7, 8})
        EXPECT_TRUE(command(always)->isEnabled());
}

TEST_F(MainWindow, CommandRulesFollowTheField) {
    type("");
    EXPECT_EQ(states(), empty);
    type("   "); // spaces only are a link
    EXPECT_EQ(states(), edited);
    create();
    EXPECT_EQ(states(), shown);
    EXPECT_EQ(window.lastEncodedLink(), "   ");

    type("https://exemple.fr/Page");
    create();
    const QImage preview = previewBox()->picture();
    type("https://exemple.fr/page"); // case counts
    EXPECT_EQ(states(), edited);
    type("https://exemple.fr/Pag");
    EXPECT_EQ(states(), edited);
    EXPECT_EQ(previewBox()->picture(), preview); // the last code stays on view
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
    EXPECT_EQ(previewBox()->picture(),
              testsupport::pictureOf(link.toUtf8()).convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(window.lastEncodedLink(), link);
    EXPECT_TRUE(QFile::exists(workingPath()));

    // Twice from the same link: encoded again, same remembered link.
    QByteArray seenText, seenPath;
    host.encoder = [&](const QByteArray& text, const QByteArray& path) {
        seenText = text;
        seenPath = path;
        return FakeHost().encoder(text, path);
    };
    create();
    EXPECT_EQ(seenText, link.toUtf8());
    EXPECT_EQ(QString::fromUtf8(seenPath), workingPath());
    EXPECT_EQ(window.lastEncodedLink(), link);

    // Each class of text at its exact limit reaches the encoder; one more is refused (below).
    for (const QString& largest : {QString(7089, u'7'), QStringLiteral("A1").repeated(2148),
                                   QString(2953, u'a'), QStringLiteral("é").repeated(1476)}) {
        SCOPED_TRACE(largest.size());
        type(largest);
        create();
        EXPECT_TRUE(host.messages.empty());
        EXPECT_EQ(seenText, largest.toUtf8());
        EXPECT_EQ(window.lastEncodedLink(), largest);
    }
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
    EXPECT_TRUE(lockedDuring.at("encodeQrCode"));
    EXPECT_TRUE(lockedDuring.at("loadPicture"));
    QLockFile after(host.tempPath() + "/.QRCODE.bmp.lock");
    EXPECT_TRUE(after.tryLock(0)); // released once the preview shows the code

    host.failNext("lockFile"); // the other copy never lets go: a message, nothing encoded
    host.log.clear();
    type("autre lien");
    create();
    EXPECT_FALSE(host.log.contains("encodeQrCode"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(window.lastEncodedLink(), lumo::MainWindow::initialLink);
}

TEST_F(MainWindow, EmptyLinkOnlyDisablesTheOutputCommands) {
    create();
    const QImage preview = previewBox()->picture();
    host.log.clear();
    field()->blockSignals(true); // the handler run with an empty field despite the rules
    field()->clear();
    field()->blockSignals(false);
    command(1)->click(); // still on: the rules did not run
    EXPECT_FALSE(host.log.contains("encodeQrCode"));
    EXPECT_EQ(window.lastEncodedLink(), lumo::MainWindow::initialLink);
    EXPECT_EQ(previewBox()->picture(), preview);
    EXPECT_FALSE(command(2)->isEnabled());
    EXPECT_FALSE(command(3)->isEnabled());
    EXPECT_FALSE(command(4)->isEnabled());
}

// Every failed creation leaves preview, remembered link and commands as they were, and says why.
TEST_F(MainWindow, FailedCreationChangesNothingAndSaysWhy) {
    type("premier");
    create();
    const QImage preview = previewBox()->picture();
    type("second");

    struct Case {
        const char* name;
        std::function<void()> arrange;
        QString link;
        QString expected; // part of the message
        bool encoderCalled;
    };
    bool lockedAtMessage = false; // another copy would wait for this one's message
    host.onOperation = [&](const QString& operation) {
        if (operation == "showMessage")
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
        // One more than each class holds, stated with that class's limit.
        {"ASCII text too long", [] {}, QString(2954, QLatin1Char('a')),
         "2954 caractères (2954 octets).\nUn QR-Code contient au plus 2953 octets d'un tel texte.", false},
        {"emoji count one each, against the UTF-8 limit", [] {}, QString("😀").repeated(738) + "a",
         "739 caractères (2953 octets).\nUn QR-Code contient au plus 2952 octets d'un tel texte.", false},
        {"capitals and digits", [] {}, QStringLiteral("A1").repeated(2148) + "Z",
         "4297 caractères.\nUn QR-Code contient au plus 4296 caractères d'un tel texte (chiffres, "
         "majuscules sans accent, espace et $%*+-./: seulement).",
         false},
        {"longer than any code", [] {}, QString(7090, QLatin1Char('7')),
         "7090 caractères.\nUn QR-Code contient au plus 7089 chiffres.", false},
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
        EXPECT_EQ(host.messages[0].kind, host::MessageKind::Critical);
        EXPECT_EQ(host.log.contains("encodeQrCode"), c.encoderCalled);
        EXPECT_FALSE(lockedAtMessage);
        EXPECT_EQ(previewBox()->picture(), preview);
        EXPECT_EQ(window.lastEncodedLink(), "premier");
        EXPECT_EQ(states(), edited);
    }
}

TEST_F(MainWindow, PasteTakesTheClipboardTextUnchanged) {
    host.clipboard = QStringLiteral("  https://ex.fr/?q=é&x=😀\t");
    command(6)->click();
    EXPECT_EQ(field()->text(), host.clipboard);
    EXPECT_EQ(states(), edited);

    create();
    command(6)->click(); // the same text again: nothing changes
    EXPECT_EQ(states(), shown);

    host.clipboard.clear(); // a picture or nothing on the clipboard: the link typed stays
    command(6)->click();
    EXPECT_EQ(field()->text(), QStringLiteral("  https://ex.fr/?q=é&x=😀\t"));
    EXPECT_EQ(states(), shown);
}

TEST_F(MainWindow, FailedClipboardReadKeepsTheFieldAndIsReported) {
    host.failNext("clipboardText");
    command(6)->click();
    EXPECT_EQ(field()->text(), lumo::MainWindow::initialLink);
    EXPECT_EQ(states(), edited);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].title, "Lumo-RAZazu");
}

TEST_F(MainWindow, ResetEmptiesFieldPreviewAndRememberedLink) {
    create();
    window.setWindowTitle("Lumo-RAZazu : qr.jpg"); // as a save leaves it
    command(8)->click();
    EXPECT_EQ(field()->text(), "");
    EXPECT_TRUE(previewBox()->picture().isNull());
    EXPECT_EQ(states(), empty);
    EXPECT_EQ(window.windowTitle(), "Lumo-RAZazu : qr.jpg");
    EXPECT_TRUE(QFile::exists(workingPath()));
    // The last link typed again does not bring the output commands back over an empty preview.
    type(lumo::MainWindow::initialLink);
    EXPECT_EQ(states(), edited);
    command(8)->click(); // with an empty field already
    EXPECT_EQ(states(), empty);
}

TEST_F(MainWindow, QuitEndsTheProgram) {
    command(5)->click();
    EXPECT_TRUE(host.ended);
}

TEST_F(MainWindow, AboutIsCreatedOnceAndShownModalEachTime) {
    std::vector<QDialog*> shownDialogs;
    host.onShowModal = [&](QDialog& dialog) { shownDialogs.push_back(&dialog); };
    EXPECT_EQ(window.findChild<about::AboutDialog*>(), nullptr);
    command(7)->click();
    command(7)->click();
    ASSERT_EQ(shownDialogs.size(), 2u);
    EXPECT_EQ(shownDialogs[0], shownDialogs[1]);
    auto* about = window.findChild<about::AboutDialog*>();
    EXPECT_EQ(shownDialogs[0], about);
    EXPECT_EQ(about->windowTitle(), "A propos Lumo-RAZazu");
}

TEST_F(MainWindow, CopyPutsTheBoxSizedPictureOnTheClipboard) {
    create();
    command(4)->click();
    const QImage picture = previewBox()->picture();
    ASSERT_EQ(host.clipboardImage.size(), QSize(201, 201));
    EXPECT_EQ(host.clipboardImage.pixel(0, 0), picture.pixel(0, 0));
    EXPECT_EQ(host.clipboardImage.pixelColor(200, 200), previewBox()->backgroundColor());
}

TEST_F(MainWindow, PrintDrawsTheLoadedPictureOneMillimetreFromTheCorner) {
    create();
    host.log.clear();
    command(2)->click();
    const QStringList expected = {"choosePrinter", "printer.startPage", "printer.drawPicture",
                                  "printer.finish"};
    EXPECT_EQ(host.log, expected);
    EXPECT_EQ(host.fakePrinter.paintedAt, QPointF(1.0, 1.0));
    EXPECT_EQ(host.fakePrinter.painted, previewBox()->picture()); // not the box-sized image
    EXPECT_EQ(host.fakePrinter.pages, 1);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(host.messages.empty());
    // The natural size goes to the dialog; what it chooses is printed, and holds for the run.
    EXPECT_DOUBLE_EQ(host.naturalMmSeen, previewBox()->picture().width() * 25.4 / 96);
    EXPECT_EQ(host.fakePrinter.paintedChoices.sideMm, 0);
    host.printChoicesAnswer = host::PrintChoices{80, true};
    command(2)->click();
    host.printChoicesAnswer.reset();
    command(2)->click();
    EXPECT_EQ(host.fakePrinter.paintedChoices.sideMm, 80);
    EXPECT_TRUE(host.fakePrinter.paintedChoices.centred);
    EXPECT_EQ(host.fakePrinter.paintedAt, QPointF(1.0, 1.0));
}

TEST_F(MainWindow, PrintCancelIsSilent) {
    create();
    host.printerAnswers = {false};
    host.log.clear();
    command(2)->click();
    EXPECT_EQ(host.log, QStringList{"choosePrinter"});
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fakePrinter.pages, 0);
}

TEST_F(MainWindow, PrintFailureAtEachStepShowsThePrinterErrorAndAborts) {
    create();
    for (const char* step : {"printer.startPage", "printer.drawPicture", "printer.finish"}) {
        SCOPED_TRACE(step);
        host.messages.clear();
        host.log.clear();
        host.failNext(step);
        command(2)->click();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
        EXPECT_EQ(host.messages[0].title, "Erreur");
        EXPECT_EQ(host.messages[0].kind, host::MessageKind::Critical);
        EXPECT_EQ(host.log.last(), "printer.abort");
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
    host.failNext("printer.finish");
    command(2)->click();
    EXPECT_EQ(pointer["choosePrinter"], Qt::ArrowCursor);
    EXPECT_EQ(pointer["printer.drawPicture"], Qt::WaitCursor);
    EXPECT_EQ(pointer["showMessage"], Qt::WaitCursor);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
}

} // namespace
