// The print and copy commands on the fake host: the printer error path, which must finish whatever
// fails, and what is printed and copied after the preview was saved as JPEG.
#include "FakeHost.h"
#include "LumoQRCode.h"
#include "PictureBox.h"
#include "QRCodeLib.h"
#include "QrDecode.h"

#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>
#include <stdexcept>

using lumo::LumoQRCode;
using testsupport::FakeHost;

namespace {

struct PrintCommand : ::testing::Test {
    FakeHost host;
    LumoQRCode window{host};
    PrintCommand() { window.Command1->click(); }
};

TEST_F(PrintCommand, AFailureInsideTheErrorPathStillDropsTheJobAndRestoresThePointer) {
    for (const char* inErrorPath : {"messageBox", "printer.killDoc"}) {
        SCOPED_TRACE(inErrorPath);
        host.messages.clear();
        host.log.clear();
        host.failNext("printer.endDoc");
        host.failNext(inErrorPath);
        window.Command2->click();
        EXPECT_TRUE(host.log.contains("printer.killDoc"));
        EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
        // The failure itself reaches the window's report.
        ASSERT_FALSE(host.messages.empty());
        EXPECT_EQ(host.messages.back().title, "Lumo-RAZazu");
        EXPECT_TRUE(host.messages.back().text.contains(inErrorPath));
    }
    // Nothing is left over for the next print.
    host.messages.clear();
    window.Command2->click();
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(host.fakePrinter.pages, 1);
}

TEST_F(PrintCommand, AnyKindOfFailureWhilePrintingTakesTheErrorPath) {
    host.onOperation = [](const QString& operation) {
        if (operation == "printer.paintPicture")
            throw std::runtime_error("out of memory");
    };
    window.Command2->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
    EXPECT_EQ(host.messages[0].title, "Erreur");
    EXPECT_EQ(host.log.last(), "printer.killDoc");
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(host.fakePrinter.pages, 0);
}

TEST(PrintAndCopy, AfterAJpegSaveTheReloadedPictureIsPrintedAndCopied) {
    FakeHost host;
    host.encoder = [](const QByteArray& text, const QByteArray& path) {
        return FastQRCode(text.constData(), path.constData());
    };
    LumoQRCode window{host};
    const QString link = QStringLiteral("https://exemple.fr/enregistré-en-jpeg");
    window.Text1->setText(link);
    window.Command1->click();
    const QImage bmp = window.PicImage->picture().convertToFormat(QImage::Format_RGB32);

    // A save as JPEG at 50 leaves its file, read back, in the preview.
    const QString jpg = host.tempPath() + QStringLiteral("/code.jpg");
    ASSERT_TRUE(bmp.save(jpg, "JPEG", 50));
    window.PicImage->setPicture(host.loadPicture(jpg));
    const QImage reloaded = window.PicImage->picture().convertToFormat(QImage::Format_RGB32);
    ASSERT_NE(reloaded, bmp);

    window.Command2->click();
    EXPECT_EQ(host.fakePrinter.painted.convertToFormat(QImage::Format_RGB32), reloaded);
    EXPECT_EQ(testsupport::zxingDecode(host.fakePrinter.painted), link.toStdString());
    window.Command4->click();
    EXPECT_EQ(host.clipboardImage.copy(reloaded.rect()).convertToFormat(QImage::Format_RGB32), reloaded);
    EXPECT_EQ(testsupport::zxingDecode(host.clipboardImage), link.toStdString());
}

} // namespace
