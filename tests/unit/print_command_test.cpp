// The print and copy commands on the fake host: the printer error path, which must finish whatever
// fails, and what is printed and copied after the preview was saved as JPEG.
#include "FakeHost.h"
#include "MainWindow.h"
#include "PictureBox.h"
#include "QRCodeLib.h"
#include "QrDecode.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::FakeHost;

namespace {

struct PrintCommand : ::testing::Test {
    FakeHost host;
    lumo::MainWindow window{host};
    QPushButton* print = window.findChild<QPushButton*>(QStringLiteral("Command2"));
    PrintCommand() { window.findChild<QPushButton*>(QStringLiteral("Command1"))->click(); }
};

TEST_F(PrintCommand, AFailureInsideTheErrorPathStillDropsTheJobAndRestoresThePointer) {
    for (const char* inErrorPath : {"showMessage", "printer.abort"}) {
        SCOPED_TRACE(inErrorPath);
        host.messages.clear();
        host.log.clear();
        host.failNext("printer.finish");
        host.failNext(inErrorPath);
        print->click();
        EXPECT_TRUE(host.log.contains("printer.abort"));
        EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
        // The failure itself reaches the window's report.
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.back().title, "Lumo-RAZazu");
        EXPECT_TRUE(host.messages.back().text.contains(inErrorPath));
    }
    // Nothing is left over for the next print.
    host.messages.clear();
    print->click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fakePrinter.pages, 1);
}

TEST_F(PrintCommand, AnyKindOfFailureWhilePrintingTakesTheErrorPath) {
    host.onOperation = [](const QString& operation) {
        if (operation == "printer.drawPicture")
            throw std::runtime_error("out of memory");
    };
    print->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
    EXPECT_EQ(host.messages[0].title, "Erreur");
    EXPECT_EQ(host.log.last(), "printer.abort");
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(host.fakePrinter.pages, 0);
}

TEST(PrintAndCopy, AfterAJpegSaveTheReloadedPictureIsPrintedAndCopied) {
    FakeHost host;
    host.encoder = [](const QByteArray& text, const QByteArray& path) {
        return FastQRCode(text.constData(), path.constData());
    };
    lumo::MainWindow window{host};
    const auto command = [&](const char* name) {
        return window.findChild<QPushButton*>(QLatin1String(name));
    };
    auto* preview = window.findChild<lumo::PictureBox*>(QStringLiteral("PicImage"));
    const QString link = QStringLiteral("https://exemple.fr/enregistré-en-jpeg");
    window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(link);
    command("Command1")->click();
    const QImage bmp = preview->picture().convertToFormat(QImage::Format_RGB32);

    // A save as JPEG at 50 leaves its file, read back, in the preview.
    const QString jpg = host.tempPath() + QStringLiteral("/code.jpg");
    ASSERT_TRUE(bmp.save(jpg, "JPEG", 50));
    preview->setPicture(host.loadPicture(jpg));
    const QImage reloaded = preview->picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_NE(reloaded, bmp);

    command("Command2")->click();
    EXPECT_EQ(host.fakePrinter.painted.convertToFormat(QImage::Format_RGB32), reloaded);
    EXPECT_EQ(testsupport::zxingDecode(host.fakePrinter.painted), link.toStdString());
    command("Command4")->click();
    EXPECT_EQ(host.clipboardImage.copy(reloaded.rect()).convertToFormat(QImage::Format_RGB32), reloaded);
    EXPECT_EQ(testsupport::zxingDecode(host.clipboardImage), link.toStdString());
}

} // namespace
