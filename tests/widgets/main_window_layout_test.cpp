// The main window as a person sees it: places, fonts, colours, tooltips, focus and tab order.
#include "FakeHost.h"
#include "LumoQRCode.h"
#include "PictureBox.h"

#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using lumo::LumoQRCode;

namespace {

struct Layout : ::testing::Test {
    testsupport::FakeHost host;
    LumoQRCode window{host};
};

struct Expected {
    const char* name;
    QRect geometry; // pixels at 96 dpi, from the twips table
    double points;
    bool bold;
    QString text;
};

TEST_F(Layout, ControlsSitWhereTheTwipsTablePutsThem) {
    EXPECT_EQ(window.size(), QSize(393, 252));
    EXPECT_EQ(window.minimumSize(), window.maximumSize()); // not resizable
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_FALSE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);

    const std::vector<std::pair<QWidget*, Expected>> controls = {
        {window.Label1, {"Label1", {3, 8, 41, 17}, 9.75, true, "Lien :"}},
        {window.Text1, {"Text1", {48, 8, 257, 25}, 9.75, false, LumoQRCode::initialLink}},
        {window.Command6, {"Command6", {312, 8, 33, 25}, 9.75, true, "..."}},
        {window.Command7, {"Command7", {352, 8, 33, 25}, 9.75, false, ""}},
        {window.PicImage, {"PicImage", {8, 40, 205, 205}, 8.25, false, ""}},
        {window.Command1, {"Command1", {224, 40, 113, 33}, 8.25, true, "Créer le QR-Code"}},
        {window.Command8, {"Command8", {344, 40, 41, 33}, 9.75, true, "RàZ"}},
        {window.Command3, {"Command3", {224, 80, 161, 25}, 8.25, false, "Enregistrer le QR-Code sous..."}},
        {window.Command4,
         {"Command4", {224, 112, 161, 49}, 8.25, false, "Copier l'image du QR-Code dans le presse papier"}},
        {window.Command2, {"Command2", {224, 168, 161, 33}, 8.25, false, "Imprimer le QR-Code"}},
        {window.Command5, {"Command5", {224, 208, 161, 33}, 8.25, true, "Quitter Lumo-RAZazu"}},
    };
    for (const auto& [widget, expected] : controls) {
        SCOPED_TRACE(expected.name);
        EXPECT_EQ(widget->geometry(), expected.geometry);
        EXPECT_DOUBLE_EQ(widget->font().pointSizeF(), expected.points);
        EXPECT_EQ(widget->font().bold(), expected.bold);
        EXPECT_EQ(QFontInfo(widget->font()).bold(), expected.bold);
        if (auto* button = qobject_cast<QPushButton*>(widget)) {
            EXPECT_EQ(button->text(), expected.text);
            EXPECT_FALSE(button->isDefault());
            EXPECT_FALSE(button->autoDefault());
            EXPECT_FALSE(button->text().contains('&')); // no access keys
        }
    }
    EXPECT_EQ(window.PicImage->font().family(), "MS Sans Serif");
    EXPECT_EQ(window.Command1->font().family(), "Tahoma");
    EXPECT_EQ(window.PicImage->contentsRect().size(), QSize(201, 201));
}

TEST_F(Layout, ColoursAndTooltips) {
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(window.Label1->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(window.Label1->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_TRUE(window.Label1->autoFillBackground());
    EXPECT_TRUE(window.Label1->alignment() & Qt::AlignRight);
    EXPECT_EQ(window.Text1->palette().color(QPalette::Base), QColor(192, 255, 192));
    EXPECT_EQ(window.PicImage->backgroundColor(), QApplication::palette().color(QPalette::Button));
    {
        // A dark desktop theme: the green field keeps its black text.
        const QPalette before = QApplication::palette();
        QPalette dark(QColor(40, 40, 40), QColor(30, 30, 30));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        LumoQRCode darkWindow{host};
        EXPECT_EQ(darkWindow.Text1->palette().color(QPalette::Text), QColor(0, 0, 0));
        EXPECT_EQ(darkWindow.PicImage->backgroundColor(), dark.color(QPalette::Button));
        QApplication::setPalette(before);
    }

    EXPECT_EQ(window.Command6->toolTip(), "Coller un lien à partir du presse papier");
    EXPECT_EQ(window.Command7->toolTip(), "A Propos");
    EXPECT_EQ(window.Command8->toolTip(), "Réinitialisation...");
    for (QWidget* none : std::initializer_list<QWidget*>{window.Command1, window.Command2, window.Command3,
                                                          window.Command4, window.Command5, window.Text1})
        EXPECT_TRUE(none->toolTip().isEmpty());
    EXPECT_FALSE(window.Command7->icon().isNull());
    EXPECT_EQ(window.Command7->iconSize(), QSize(15, 21));
}

TEST_F(Layout, PreviewDrawsThePictureAtNaturalSizeCutAtTheEdges) {
    QImage big(300, 300, QImage::Format_RGB32);
    big.fill(Qt::black);
    big.setPixel(200, 200, qRgb(255, 0, 0));
    window.PicImage->setPicture(big);
    const QImage rendered = window.PicImage->renderedImage();
    EXPECT_EQ(rendered.size(), QSize(201, 201));
    EXPECT_EQ(rendered.pixel(200, 200), qRgb(255, 0, 0));
    EXPECT_EQ(window.PicImage->size(), QSize(205, 205)); // never resizes to its picture

    const QImage shown = window.PicImage->grab().toImage();
    EXPECT_EQ(shown.pixel(2 + 200, 2 + 200), qRgb(255, 0, 0));
}

TEST_F(Layout, FocusStartsOnCreateAndTabSkipsDisabledButtons) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), window.Command1);

    const auto tabs = [&] {
        std::vector<QWidget*> visited;
        window.Command1->setFocus();
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget());
        }
        return visited;
    };
    // At start print, save and copy are off.
    std::vector<QWidget*> expected = {window.Text1,    window.PicImage, window.Command5, window.Command6,
                                      window.Command7, window.Command8, window.Command1, window.Text1,
                                      window.PicImage, window.Command5};
    EXPECT_EQ(tabs(), expected);

    window.Command1->click();
    expected = {window.Text1,    window.PicImage, window.Command2, window.Command3, window.Command4,
                window.Command5, window.Command6, window.Command7, window.Command8, window.Command1};
    EXPECT_EQ(tabs(), expected);
}

} // namespace
