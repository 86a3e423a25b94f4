// The real host's printer dialog driven as a person would (Cancel, or printing to a PDF file),
// and its printer job on what the dialog chose.
#include "QRCodeLib.h"
#include "QrDecode.h"
#include "QtHost.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDoubleSpinBox>
#include <QRadioButton>
#include <QTabWidget>
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

// The dialog's "QR-Code" tab: the side box and the centred button.
QDoubleSpinBox* sideBox(QDialog* dialog) {
    return dialog->findChild<QDoubleSpinBox*>(QStringLiteral("sideMm"));
}
QRadioButton* centredButton(QDialog* dialog) {
    return dialog->findChild<QRadioButton*>(QStringLiteral("centred"));
}

TEST_F(PrinterDialog, CancelIsAnsweredFalseAndKeepsTheChoices) {
    host::PrintChoices choices{70, false};
    whenDialogShown([](QDialog* dialog) {
        if (sideBox(dialog) && centredButton(dialog)) {
            sideBox(dialog)->setValue(90);
            centredButton(dialog)->setChecked(true);
        }
        dialog->reject();
    });
    EXPECT_FALSE(host.choosePrinter(choices, 53.18));
    EXPECT_EQ(choices.sideMm, 70);
    EXPECT_FALSE(choices.centred);
}

TEST_F(PrinterDialog, TheJobPrintsToWhatTheDialogChose) {
    const QString pdf = dir.filePath("choisi.pdf");
    // The tab shows the natural size first; a side chosen in it holds until the next dialog.
    host::PrintChoices choices;
    std::vector<double> shown;
    const auto chooseInTab = [&](QDialog* dialog, double side) {
        auto* tabs = dialog->findChild<QTabWidget*>();
        ASSERT_TRUE(tabs && sideBox(dialog) && centredButton(dialog));
        EXPECT_GE(tabs->indexOf(sideBox(dialog)->parentWidget()), 0);
        EXPECT_EQ(tabs->tabText(tabs->indexOf(sideBox(dialog)->parentWidget())), "QR-Code");
        shown.push_back(sideBox(dialog)->value());
        sideBox(dialog)->setValue(side);
        centredButton(dialog)->setChecked(true);
    };
    whenDialogShown([&](QDialog* dialog) {
        chooseInTab(dialog, 53.2); // the natural size as shown stays the natural size
        dialog->accept();
    });
    ASSERT_TRUE(host.choosePrinter(choices, 53.18));
    EXPECT_EQ(choices.sideMm, 0);
    EXPECT_TRUE(choices.centred);
    whenDialogShown([&](QDialog* dialog) {
        chooseInTab(dialog, 1000); // wider than the paper: the printable width
        dialog->accept();
    });
    ASSERT_TRUE(host.choosePrinter(choices, 53.18));
    EXPECT_GT(choices.sideMm, 150);
    EXPECT_LT(choices.sideMm, 300);
    const double widest = choices.sideMm;
    whenDialogShown([&](QDialog* dialog) {
        chooseInTab(dialog, 80);
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
    ASSERT_TRUE(host.choosePrinter(choices, 53.18));
    EXPECT_EQ(choices.sideMm, 80);
    EXPECT_EQ(shown, (std::vector<double>{53.2, 53.2, widest}));

    const QString link = QStringLiteral("https://exemple.fr/dialogue?é=1");
    const QString bmp = dir.filePath("code.bmp");
    ASSERT_EQ(FastQRCode(link.toUtf8().constData(), bmp.toUtf8().constData()), QRCL_OK);
    host::Printer& printer = host.printer();
    printer.startPage();
    printer.drawPicture(QImage(bmp), host::Placement(QPointF(1, 1), choices));
    printer.finish();

    ASSERT_TRUE(QFile::exists(pdf));
    QProcess render;
    render.start("pdftoppm", {"-r", "300", "-gray", "-singlefile", pdf, dir.filePath("page")});
    ASSERT_TRUE(render.waitForFinished(60000));
    EXPECT_EQ(testsupport::zxingDecode(QImage(dir.filePath("page.pgm"))), link.toStdString());
}

} // namespace
