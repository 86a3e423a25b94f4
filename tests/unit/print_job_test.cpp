// The real printer job on a PDF printer (a real QPrinter, safe offscreen), driven by the main
// window's print command: the page is read back with poppler and two QR decoders.
#include "FakeHost.h"
#include "MainWindow.h"
#include "PictureBox.h"
#include "PrintCommand.h"
#include "QRCodeLib.h"
#include "QrDecode.h"
#include "QtPrinterJob.h"

#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::FakeHost;

namespace {

constexpr int renderDpi = 600;
constexpr double mmPerRenderPixel = 25.4 / renderDpi;
constexpr double mmPerPicturePixel = 25.4 / 96;

QString run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Bounding box of the dark pixels.
QRect darkBox(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    QRect box;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* line = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            if (line[x] < 128)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

struct PdfImage {
    int width = 0;
    QString encoding;
    QString interpolate;
};

// The images of the PDF as pdfimages lists them.
std::vector<PdfImage> imagesOf(const QString& pdf) {
    std::vector<PdfImage> images;
    const QStringList lines = run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts);
    for (qsizetype i = 2; i < lines.size(); ++i) { // two header lines
        const QStringList cells = lines[i].simplified().split(' ');
        if (cells.size() > 9)
            images.push_back({cells[3].toInt(), cells[8], cells[9]});
    }
    return images;
}

struct PrintPage : ::testing::Test {
    QTemporaryDir dir;
    QString pdf = dir.filePath("page.pdf");
    QPrinter printer{QPrinter::HighResolution};
    printing::QtPrinterJob job{printer};
    FakeHost host;
    lumo::MainWindow window{host};

    QPushButton* command(int number) const {
        return window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
    }
    lumo::PictureBox* previewBox() const {
        return window.findChild<lumo::PictureBox*>(QStringLiteral("PicImage"));
    }

    PrintPage() {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        host.realPrinter = &job;
        host.encoder = [](const QByteArray& text, const QByteArray& path) {
            return FastQRCode(text.constData(), path.constData());
        };
    }

    void create(const QString& link) {
        window.findChild<QLineEdit*>(QStringLiteral("Text1"))->setText(link);
        command(1)->click();
        ASSERT_FALSE(previewBox()->picture().isNull());
    }

    // The top-left part of the printed page, rendered as a printer would.
    QImage renderPage() {
        const QString base = dir.filePath("page");
        run("pdftoppm", {"-r", QString::number(renderDpi), "-gray", "-singlefile", "-x", "0", "-y", "0", "-W",
                         "2400", "-H", "2400", pdf, base});
        return QImage(base + ".pgm");
    }
};

TEST_F(PrintPage, CarriesTheCodeAtNaturalSizeOneMillimetreIntoThePrintableArea) {
    // Large modules, then one-pixel modules in a code that needs UTF-8; page margins as Qt gives them,
    // then wider: neither moves the picture off the printable area.
    const QString links[] = {"https://exemple.fr/a",
                             "https://www.exemple.fr/chemin/très/long?été=1&" + QString(180, 'x') + "#fin"};
    const QMarginsF margins[] = {printer.pageLayout().margins(QPageLayout::Millimeter), {12.5, 20, 12.5, 20}};
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(links[i].toStdString());
        printer.setPageMargins(margins[i], QPageLayout::Millimeter);
        QFile::remove(pdf);
        create(links[i]);
        const QImage picture = previewBox()->picture();
        command(2)->click();
        ASSERT_TRUE(host.messages.empty());
        ASSERT_TRUE(QFile::exists(pdf));
        EXPECT_FALSE(job.isOpen());
        EXPECT_FALSE(printer.fullPage()); // the session's printer keeps its mode

        EXPECT_TRUE(run("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+1\\n")));
        // Stored lossless at device resolution, so nothing smooths or blurs the module edges.
        const auto images = imagesOf(pdf);
        ASSERT_EQ(images.size(), 1u);
        EXPECT_NE(images[0].encoding, "jpeg");
        EXPECT_EQ(images[0].width, qRound(picture.width() * printer.resolution() / 96.0));
        EXPECT_EQ(images[0].interpolate, "no");

        const QImage page = renderPage();
        ASSERT_FALSE(page.isNull());
        EXPECT_EQ(testsupport::zxingDecode(page), links[i].toStdString());
        EXPECT_EQ(testsupport::zbarDecodeFile(dir.filePath("page.pgm")), links[i].toStdString());

        // The picture's white border is invisible on paper: place it by its dark modules.
        const QRect printed = darkBox(page);
        const QRect drawn = darkBox(picture);
        // The printable area the printer declares: the whole page for a PDF file.
        QPageLayout layout = printer.pageLayout();
        layout.setUnits(QPageLayout::Millimeter);
        const QMarginsF area = layout.minimumMargins();
        EXPECT_NEAR(printed.left() * mmPerRenderPixel - drawn.left() * mmPerPicturePixel, area.left() + 1.0, 0.1);
        EXPECT_NEAR(printed.top() * mmPerRenderPixel - drawn.top() * mmPerPicturePixel, area.top() + 1.0, 0.1);
        EXPECT_NEAR(printed.width() * mmPerRenderPixel, drawn.width() * mmPerPicturePixel, 0.1);
        EXPECT_NEAR(printed.height() * mmPerRenderPixel, drawn.height() * mmPerPicturePixel, 0.1);
    }
}

TEST_F(PrintPage, EmptyPreviewTakesThePrinterErrorPathAndPrintsNothing) {
    create("https://exemple.fr/vide");
    command(8)->click(); // reset: the preview holds no picture
    // The button is off; the print command still copes.
    printing::printPicture(host, previewBox()->picture(), window);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
    EXPECT_EQ(host.messages[0].title, "Erreur");
    EXPECT_FALSE(job.isOpen());
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    EXPECT_THROW(job.drawPicture(QImage(), QPointF(1, 1)), host::Failure);
}

TEST_F(PrintPage, KilledJobLeavesNothingForTheNextOne) {
    create("https://exemple.fr/abandonné");
    job.startPage();
    job.drawPicture(previewBox()->picture(), QPointF(1, 1));
    job.abort();
    EXPECT_FALSE(QFile::exists(pdf));

    create("https://exemple.fr/suivant");
    command(2)->click();
    ASSERT_TRUE(host.messages.empty());
    EXPECT_EQ(imagesOf(pdf).size(), 1u);
    EXPECT_EQ(testsupport::zxingDecode(renderPage()), "https://exemple.fr/suivant");
}

TEST_F(PrintPage, UnwritableOutputFailsWhenTheDocumentEnds) {
    printer.setOutputFileName(dir.filePath("absent/page.pdf"));
    create("https://exemple.fr/x");
    command(2)->click();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].text, "Erreur sur l'imprimante");
    EXPECT_FALSE(job.isOpen());

    job.startPage();
    EXPECT_THROW(job.finish(), host::Failure);
    EXPECT_FALSE(job.isOpen());
}

} // namespace
