// The real host's printer dialog driven as a person would (Cancel, or printing to a PDF file),
// and its printer job on what the dialog chose.
#include "QRCodeLib.h"
#include "QrDecode.h"
#include "QtHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// Runs the action on the printer dialog (Qt's QPrintDialog, known by its class name) as soon as it
// is on screen; one that never comes fails the test instead of hanging it.
void whenDialogShown(std::function<void(QDialog*)> action) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, clock, action] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool shown = dialog && dialog->inherits("QPrintDialog") && dialog->isVisible();
        if (!shown && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        if (shown)
            action(dialog);
        else
            ADD_FAILURE() << "the printer dialog did not appear";
    });
    timer->start(10);
}

struct PrinterDialog : ::testing::Test {
    host::QtHost host;
    QTemporaryDir dir;
};

TEST_F(PrinterDialog, CancelIsAnsweredFalse) {
    whenDialogShown([](QDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(host.choosePrinter());
}

TEST_F(PrinterDialog, TheJobPrintsToWhatTheDialogChose) {
    const QString pdf = dir.filePath("choisi.pdf");
    whenDialogShown([&](QDialog* dialog) {
        // The last printer of the list is the PDF file.
        auto* printers = dialog->findChild<QComboBox*>(QStringLiteral("printers"));
        auto* fileName = dialog->findChild<QLineEdit*>(QStringLiteral("filename"));
        if (!printers || !fileName) {
            ADD_FAILURE() << "printer list or file name field not found";
            dialog->reject();
            return;
        }
        printers->setCurrentIndex(printers->count() - 1);
        fileName->setText(pdf);
        dialog->accept();
    });
    ASSERT_TRUE(host.choosePrinter());

    const QString link = QStringLiteral("https://exemple.fr/dialogue?é=1");
    const QString bmp = dir.filePath("code.bmp");
    ASSERT_EQ(FastQRCode(link.toUtf8().constData(), bmp.toUtf8().constData()), QRCL_OK);
    host::Printer& printer = host.printer();
    printer.startPage();
    printer.drawPicture(QImage(bmp), QPointF(1, 1));
    printer.finish();

    ASSERT_TRUE(QFile::exists(pdf));
    QProcess render;
    render.start("pdftoppm", {"-r", "300", "-gray", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(60000));
    EXPECT_EQ(testsupport::zxingDecode(QImage(dir.filePath("page.pgm"))), link.toStdString());
}

} // namespace
