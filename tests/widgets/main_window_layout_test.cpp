// The main window as a person sees it: places, fonts, colours, tooltips, focus and tab order, and
// what a screen reader says of it.
#include "CaptionFit.h"
#include "FakeHost.h"
#include "MainWindow.h"
#include "PictureBox.h"

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// The control of the window with this object name.
template <class Control> Control* in(const QWidget& window, const char* name) {
    return window.findChild<Control*>(QLatin1String(name));
}

struct Layout : ::testing::Test {
    testsupport::FakeHost host;
    lumo::MainWindow window{host};

    QLabel* linkLabel() const { return in<QLabel>(window, "Label1"); }
    QLineEdit* linkEdit() const { return in<QLineEdit>(window, "Text1"); }
    lumo::PictureBox* previewBox() const { return in<lumo::PictureBox>(window, "PicImage"); }
    QPushButton* command(int number) const {
        return window.findChild<QPushButton*>(QStringLiteral("Command%1").arg(number));
    }
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
        {linkLabel(), {"Label1", {3, 8, 41, 17}, 9.75, true, "Lien :"}},
        {linkEdit(), {"Text1", {48, 8, 257, 25}, 9.75, false, lumo::MainWindow::initialLink}},
        {command(6), {"Command6", {312, 8, 33, 25}, 9.75, true, "..."}},
        {command(7), {"Command7", {352, 8, 33, 25}, 9.75, false, ""}},
        {previewBox(), {"PicImage", {8, 40, 205, 205}, 8.25, false, ""}},
        {command(1), {"Command1", {224, 40, 113, 33}, 8.25, true, "Créer le QR-Code"}},
        {command(8), {"Command8", {344, 40, 41, 33}, 9.75, true, "RàZ"}},
        {command(3), {"Command3", {224, 80, 161, 25}, 8.25, false, "Enregistrer le QR-Code sous..."}},
        {command(4),
         {"Command4", {224, 112, 161, 49}, 8.25, false, "Copier l'image du QR-Code dans le presse papier"}},
        {command(2), {"Command2", {224, 168, 161, 33}, 8.25, false, "Imprimer le QR-Code"}},
        {command(5), {"Command5", {224, 208, 161, 33}, 8.25, true, "Quitter Lumo-RAZazu"}},
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
    EXPECT_EQ(previewBox()->font().family(), "MS Sans Serif");
    EXPECT_EQ(command(1)->font().family(), "Tahoma");
    EXPECT_EQ(previewBox()->contentsRect().size(), QSize(201, 201));
    // A desktop's larger default font: every caption still shows whole.
    EXPECT_EQ(testsupport::clippedCaptions<lumo::MainWindow>(host), std::vector<QString>{});
}

TEST_F(Layout, ColoursTooltipsAndAccessibleNames) {
    EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_EQ(linkLabel()->palette().color(QPalette::WindowText), QColor(255, 255, 255));
    EXPECT_EQ(linkLabel()->palette().color(QPalette::Window), QColor(0, 0, 0));
    EXPECT_TRUE(linkLabel()->autoFillBackground());
    EXPECT_TRUE(linkLabel()->alignment() & Qt::AlignRight);
    EXPECT_EQ(linkEdit()->palette().color(QPalette::Base), QColor(192, 255, 192));
    EXPECT_EQ(previewBox()->backgroundColor(), QApplication::palette().color(QPalette::Button));
    {
        // A dark desktop theme: the green field keeps its black text.
        const QPalette before = QApplication::palette();
        QPalette dark(QColor(40, 40, 40), QColor(30, 30, 30));
        dark.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(dark);
        lumo::MainWindow darkWindow{host};
        EXPECT_EQ(in<QLineEdit>(darkWindow, "Text1")->palette().color(QPalette::Text), QColor(0, 0, 0));
        EXPECT_EQ(in<lumo::PictureBox>(darkWindow, "PicImage")->backgroundColor(),
                  dark.color(QPalette::Button));
        QApplication::setPalette(before);
    }

    EXPECT_EQ(command(6)->toolTip(), "Coller un lien à partir du presse papier");
    EXPECT_EQ(command(7)->toolTip(), "A Propos");
    EXPECT_EQ(command(8)->toolTip(), "Réinitialisation...");
    for (QWidget* none :
         std::initializer_list<QWidget*>{command(1), command(2), command(3), command(4), command(5), linkEdit()})
        EXPECT_TRUE(none->toolTip().isEmpty());
    EXPECT_FALSE(command(7)->icon().isNull());
    EXPECT_EQ(command(7)->iconSize(), QSize(15, 21));

    const auto said = [](QWidget* control, QAccessible::Text text = QAccessible::Name) {
        return QAccessible::queryAccessibleInterface(control)->text(text);
    };
    EXPECT_EQ(linkLabel()->buddy(), linkEdit());
    const std::pair<QWidget*, QString> named[] = {{linkEdit(), "Lien"},
                                                  {command(6), "Coller le lien"},
                                                  {command(7), "À propos"},
                                                  {previewBox(), "Aperçu du QR-Code"}};
    for (const auto& [control, name] : named)
        EXPECT_EQ(said(control), name);
    // The other buttons by their caption, the two-line one too.
    for (int number : {1, 2, 3, 4, 5, 8})
        EXPECT_EQ(said(command(number)), command(number)->text());
    // The preview tells the link its code holds, and nothing once reset.
    EXPECT_EQ(said(previewBox(), QAccessible::Description), "");
    command(1)->click();
    EXPECT_EQ(said(previewBox(), QAccessible::Description), lumo::MainWindow::initialLink);
    command(8)->click();
    EXPECT_EQ(said(previewBox(), QAccessible::Description), "");
}

TEST_F(Layout, PreviewDrawsThePictureAtNaturalSizeCutAtTheEdges) {
    QImage big(300, 300, QImage::Format_RGB32);
    big.fill(Qt::black);
    big.setPixel(200, 200, qRgb(255, 0, 0));
    previewBox()->setPicture(big);
    const QImage rendered = previewBox()->renderedImage();
    EXPECT_EQ(rendered.size(), QSize(201, 201));
    EXPECT_EQ(rendered.pixel(200, 200), qRgb(255, 0, 0));
    EXPECT_EQ(previewBox()->size(), QSize(205, 205)); // never resizes to its picture

    const QImage shown = previewBox()->grab().toImage();
    EXPECT_EQ(shown.pixel(2 + 200, 2 + 200), qRgb(255, 0, 0));
}

TEST_F(Layout, FocusStartsOnCreateAndTabSkipsDisabledButtons) {
    window.show();
    QApplication::setActiveWindow(&window);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    EXPECT_EQ(QApplication::focusWidget(), command(1));

    const auto tabs = [&] {
        std::vector<QWidget*> visited;
        command(1)->setFocus();
        for (int i = 0; i < 10; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited.push_back(QApplication::focusWidget());
        }
        return visited;
    };
    // At start print, save and copy are off.
    std::vector<QWidget*> expected = {linkEdit(),    previewBox(), command(5), command(6), command(7),
                                      command(8), command(1), linkEdit(),    previewBox(), command(5)};
    EXPECT_EQ(tabs(), expected);

    command(1)->click();
    expected = {linkEdit(),    previewBox(), command(2), command(3), command(4),
                command(5), command(6), command(7), command(8), command(1)};
    EXPECT_EQ(tabs(), expected);
}

} // namespace
