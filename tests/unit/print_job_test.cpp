// The real printer job on a PDF printer (a real QPrinter, safe offscreen), driven by the main
// window's print command: the page is read back with poppler and two QR decoders.
#include "FakeHost.h"
#include "MainWindow.h"
#include "PictureBox.h"
#include "PrintCommand.h"
#include "QRCodeLib.h"
#include "QrDecode.h"
#include "QtPrinterJob.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QLineEdit>
#include <QPageLayout>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
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

// Bounding box of the pixels darker than the threshold.
QRect darkBox(const QImage& image, int threshold = 128) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    QRect box;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* line = gray.constScanLine(y);
        for (int x = 0; x < gray.width(); ++x)
            if (line[x] < threshold)
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

qsizetype greyPixels(const QImage& page) {
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    qsizetype count = 0;
    for (int y = 0; y < gray.height(); ++y) {
        const uchar* line = gray.constScanLine(y);
        count += std::count_if(line, line + gray.width(), [](uchar v) { return v != 0 && v != 255; });
    }
    return count;
}

// How many pictures the PDF holds, as pdfimages lists them.
qsizetype imageCount(const QString& pdf) {
    return run("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).size() - 2; // two header lines
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

    // The top-left part of the printed page, rendered as a printer would: a shape's edge blackens
    // a dot or leaves it white, never blends it grey as a screen viewer does.
    QImage renderPage(int side = 2400) {
        const QString base = dir.filePath("page");
        run("pdftoppm", {"-r", QString::number(renderDpi), "-gray", "-aaVector", "no", "-singlefile", "-x", "0",
                         "-y", "0", "-W", QString::number(side), "-H", QString::number(side * 3 / 2), pdf, base});
        return QImage(base + ".pgm");
    }
};

TEST_F(PrintPage, CarriesTheCodeAtNaturalSizeOneMillimetreIntoThePrintableArea) {
    // Large modules, then smaller ones in a code that needs UTF-8, then one-pixel modules (a long
    // link); page margins as Qt gives them, then wider: neither moves the picture off the printable
    // area.
    const QString links[] = {"https://exemple.fr/a",
                             "https://www.exemple.fr/chemin/très/long?été=1&" + QString(180, 'x') + "#fin",
                             "https://exemple.fr/long?" + QString(2100, 'q')};
    const QMarginsF margins[] = {printer.pageLayout().margins(QPageLayout::Millimeter), {12.5, 20, 12.5, 20},
                                 {12.5, 20, 12.5, 20}};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(links[i].left(60).toStdString());
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
        // Modules drawn as shapes, not a picture that a viewer or printer scales.
        EXPECT_EQ(imageCount(pdf), 0);

        const QImage page = renderPage();
        ASSERT_FALSE(page.isNull());
        // Only black and white on paper: no module edge smoothed into grey.
        EXPECT_EQ(greyPixels(page), 0);
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

TEST_F(PrintPage, ChosenSideAtTheCornerOrCentredOnThePaper) {
    QImageReader::setAllocationLimit(512); // the whole page at 600 dpi
    const QString link = QStringLiteral("https://exemple.fr/taille?été=1");
    create(link);
    const QRect drawn = darkBox(previewBox()->picture());
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF area = layout.minimumMargins();
    const QSizeF paper = layout.fullRect().size();
    for (const host::PrintChoices choices : {host::PrintChoices{30, false}, host::PrintChoices{120, true}}) {
        SCOPED_TRACE(choices.sideMm);
        QFile::remove(pdf);
        host.printChoicesAnswer = choices;
        command(2)->click();
        ASSERT_TRUE(host.messages.empty());
        const QImage page = renderPage(5000);
        EXPECT_EQ(greyPixels(page), 0);
        EXPECT_EQ(testsupport::zxingDecode(page), link.toStdString());
        const double mmPerPixel = choices.sideMm / previewBox()->picture().width();
        const QPointF corner = choices.centred ? QPointF((paper.width() - choices.sideMm) / 2,
                                                         (paper.height() - choices.sideMm) / 2)
                                               : QPointF(area.left() + 1, area.top() + 1);
        const QRect printed = darkBox(page);
        EXPECT_NEAR(printed.left() * mmPerRenderPixel, corner.x() + drawn.left() * mmPerPixel, 0.1);
        EXPECT_NEAR(printed.top() * mmPerRenderPixel, corner.y() + drawn.top() * mmPerPixel, 0.1);
        EXPECT_NEAR(printed.width() * mmPerRenderPixel, drawn.width() * mmPerPixel, 0.1);
        EXPECT_NEAR(printed.height() * mmPerRenderPixel, drawn.height() * mmPerPixel, 0.1);
    }
    // A PDF is printable to its edges; a printer's margins move the painter's origin, not the code.
    EXPECT_EQ(printing::centredCorner({210, 297}, {5, 10, 4, 8}, 100), QPointF(50, 88.5));
}

TEST_F(PrintPage, EmptyPreviewTakesThePrinterErrorPathAndPrintsNothing) {
    create("https://exemple.fr/vide");
    command(8)->click(); // reset: the preview holds no picture
    // The button is off; the print command still copes.
    host::PrintChoices choices;
    printing::printPicture(host, previewBox()->picture(), window, choices);
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

// A real CUPS queue whose description changes between two prints of one session: the second
// print places the code by the new printable area.
TEST(PrintableArea, IsReadFromTheQueueAtEachPrint) {
    const QString queue = QStringLiteral("QR_MARGES");
    ASSERT_FALSE(run(LUMO_SOURCE_DIR "/scripts/cups-pdf-queue", {queue, "--refusing"}).isEmpty()) << "no CUPS queue";
    const auto removeQueue = qScopeGuard([&] { QProcess::execute("lpadmin", {"-x", queue}); });
    QFile model(QStringLiteral("/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd"));
    ASSERT_TRUE(model.open(QIODevice::ReadOnly));
    const QByteArray original = model.readAll();
    QTemporaryDir dir;
    // The queue's A4 paper printable from left and top points in (the PPD counts from the bottom).
    const auto describe = [&](int left, int top) {
        QByteArray ppd = original;
        ppd.replace("*ImageableArea A4/A4: \"0 0 595 842\"",
                    QStringLiteral("*ImageableArea A4/A4: \"%1 %2 %3 %4\"")
                        .arg(left).arg(top).arg(595 - left).arg(842 - top).toLatin1());
        QFile file(dir.filePath(QStringLiteral("%1-%2.ppd").arg(left).arg(top)));
        return ppd != original && file.open(QIODevice::WriteOnly) && file.write(ppd) == ppd.size() && file.flush() &&
               QProcess::execute("lpadmin", {"-p", queue, "-P", file.fileName()}) == 0;
    };
    constexpr double mmPerPoint = 25.4 / 72;
    ASSERT_TRUE(describe(18, 36));
    QPrinter printer(QPrinter::HighResolution);
    printer.setPrinterName(queue);
    ASSERT_EQ(printer.printerName(), queue);
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_NEAR(printing::printableArea(printer).left(), 18 * mmPerPoint, 0.02);
    EXPECT_NEAR(printing::printableArea(printer).top(), 36 * mmPerPoint, 0.02);

    ASSERT_TRUE(describe(36, 54));
    EXPECT_NEAR(printing::printableArea(printer).left(), 36 * mmPerPoint, 0.02);
    EXPECT_NEAR(printing::printableArea(printer).top(), 54 * mmPerPoint, 0.02);
}

// The command line's entry point, called from a program that links no Qt (print_codes_caller):
// two codes in one job on a real CUPS-PDF queue, a page each, at the chosen side and colours, 1 mm
// into the printable area (the whole page here); the caller's process left as it was; refusals in
// French.
TEST(PrintCodes, FromAProgramWithoutQt) {
    const QString out = run(LUMO_SOURCE_DIR "/scripts/cups-pdf-queue", {}).trimmed();
    ASSERT_FALSE(out.isEmpty()) << "no CUPS queue";
    ASSERT_FALSE(run(LUMO_SOURCE_DIR "/scripts/cups-pdf-queue", {"QR_REFUSE", "--refusing"}).isEmpty());
    const QString title = QStringLiteral("codes-%1-%2").arg(QCoreApplication::applicationPid()).arg(std::rand());
    // The caller's three lines: result, locale after the call, reason.
    const auto print = [&](const QString& queue, const QStringList& links, double sideMm = 40) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LANG", "C.UTF-8"); // what Qt would take for the locale
        environment.remove("QT_QPA_PLATFORM");
        process.setProcessEnvironment(environment);
        process.start(PRINT_CODES_CALLER, QStringList{PRINTING_MODULE, queue, QString::number(sideMm), "000080",
                                                      "ffff80", title} + links);
        EXPECT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 0);
        return QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    };
    const auto pdfs = [&] { return QDir(out).entryList({"*.pdf"}, QDir::Files, QDir::Time); };
    const QStringList before = pdfs();
    const QStringList links = {"https://exemple.fr/page-un?été=1", "https://exemple.fr/page-deux#fin"};

    const QStringList answer = print("QR_PDF", links);
    ASSERT_EQ(answer.size(), 4) << answer.join('|').toStdString();
    EXPECT_EQ(answer[0], "0") << answer[2].toStdString();
    EXPECT_EQ(answer[1], "C"); // Qt's setlocale undone
    EXPECT_EQ(answer[2], "");

    // cups-pdf writes the file, then the job leaves the queue.
    QString pdf;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        const QStringList now = pdfs();
        for (const QString& name : now)
            if (!before.contains(name))
                pdf = QDir(out).filePath(name);
        return !pdf.isEmpty() && run("lpstat", {"-o", "QR_PDF"}).isEmpty() && QFileInfo(pdf).size() > 0;
    }, 60000));
    const auto removePdf = qScopeGuard([&] { QFile::remove(pdf); });
    EXPECT_TRUE(run("pdfinfo", {pdf}).contains(QRegularExpression("Pages:\\s+2\\n")));
    constexpr int dpi = 300;
    for (int page = 1; page <= 2; ++page) {
        SCOPED_TRACE(page);
        const QString base = QFileInfo(pdf).dir().filePath(title + "-page");
        const QString number = QString::number(page);
        run("pdftoppm", {"-f", number, "-l", number, "-r", QString::number(dpi), "-gray", "-aaVector", "no",
                         "-singlefile", "-x", "0", "-y", "0", "-W", "720", "-H", "720", pdf, base});
        const QImage image(base + ".pgm");
        QFile::remove(base + ".pgm");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(testsupport::zxingDecode(image), links[page - 1].toStdString());
        // The background colour shows the whole square, quiet zone included.
        const QRect square = darkBox(image, 250);
        const double mmPerPixel = 25.4 / dpi;
        EXPECT_NEAR(square.left() * mmPerPixel, 1.0, 0.3);
        EXPECT_NEAR(square.top() * mmPerPixel, 1.0, 0.3);
        EXPECT_NEAR(square.width() * mmPerPixel, 40.0, 0.3);
        EXPECT_NEAR(square.height() * mmPerPixel, 40.0, 0.3);
    }

    EXPECT_EQ(print("QR_REFUSE", links.mid(0, 1)).mid(0, 3),
              QStringList({"1", "C",
                           "Le travail n'a pas été accepté par « QR_REFUSE » : "
                           "la file d'attente n'accepte pas de travaux."}));
    EXPECT_EQ(print("QR_ABSENT", links.mid(0, 1)).value(2), "L'imprimante « QR_ABSENT » n'existe pas.");
    EXPECT_TRUE(print("QR_PDF", links.mid(0, 1), 400).value(2).startsWith(
        "Un QR-Code de 400,0 mm ne tient pas sur la page de « QR_PDF »"));
}

} // namespace
