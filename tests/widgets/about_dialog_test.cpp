// The About dialog as a person meets it (offscreen): places, fonts, colours and the keyboard.
#include "ClickLabel.h"
#include "FakeHost.h"
#include "frmAbout.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using about::frmAbout;
using testsupport::FakeHost;

namespace {

struct AboutDialog : ::testing::Test {
    FakeHost host;
    frmAbout dialog{host};
    void open() {
        dialog.show();
        dialog.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
    }
};

TEST_F(AboutDialog, PlacesFollowTheTwipsTableAndNothingOverlaps) {
    open();
    EXPECT_EQ(dialog.size(), QSize(382, 217));
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
    const std::pair<QWidget*, QRect> fixed[] = {
        {dialog.Command1, {264, 144, 97, 25}},   {dialog.cmdOK, {264, 96, 100, 39}},
        {dialog.cmdSysInfo, {264, 176, 99, 23}}, {dialog.Image2, {96, 160, 100, 44}},
        {dialog.Image1, {8, 16, 48, 48}},        {dialog.lblTitle, {72, 8, 259, 16}},
        {dialog.lblVersion, {70, 32, 259, 15}},  {dialog.Line1[0], {0, 79, 370, 2}},
        {dialog.Line1[1], {0, 81, 371, 1}}};
    for (const auto& [widget, rect] : fixed)
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className();
    // These two size themselves to their text from their corner.
    EXPECT_EQ(dialog.Label3->pos(), QPoint(72, 112));
    EXPECT_EQ(dialog.lblDisclaimer->pos(), QPoint(48, 88));
    for (QLabel* link : std::initializer_list<QLabel*>{dialog.Label3, dialog.lblDisclaimer})
        EXPECT_GE(link->width(), link->fontMetrics().horizontalAdvance(link->text()));

    const auto children = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < children.size(); ++i)
        for (qsizetype j = i + 1; j < children.size(); ++j)
            EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry())) << i << " meets " << j;
}

TEST_F(AboutDialog, ComicFontsWhereNamedAndTheDialogFontElsewhere) {
    const std::tuple<QWidget*, double, bool> named[] = {
        {dialog.Command1, 8.25, false},   {dialog.cmdOK, 8.25, true},   {dialog.lblTitle, 9.75, true},
        {dialog.lblVersion, 8.25, false}, {dialog.Label3, 8.25, false}, {dialog.lblDisclaimer, 8.25, false}};
    for (const auto& [w, points, bold] : named) {
        EXPECT_EQ(w->font().family(), "Comic Sans MS");
        EXPECT_EQ(std::tuple(w->font().pointSizeF(), w->font().bold(), w->font().italic()),
                  std::tuple(points, bold, false));
    }
    EXPECT_EQ(dialog.cmdSysInfo->font(), dialog.font());
}

TEST_F(AboutDialog, BlackGroundWithLinesAndColouredTextsShowingThrough) {
    open();
    const QImage shot = dialog.grab().toImage();
    EXPECT_EQ(shot.pixelColor(4, 4), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(230, 210), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(5, 79), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(369, 80), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(5, 81), QColor(128, 128, 128));
    EXPECT_EQ(shot.pixelColor(5, 82), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(376, 80), QColor(Qt::black));
    // Each label's blank end is the black ground; its text holds its own colour.
    const auto holds = [&](QWidget* w, QColor colour) {
        const QRect r = w->geometry();
        EXPECT_EQ(shot.pixelColor(r.right(), r.top()), QColor(Qt::black)) << w->metaObject()->className();
        bool found = false;
        for (int y = r.top(); y <= r.bottom() && !found; ++y)
            for (int x = r.left(); x <= r.right() && !found; ++x)
                found = shot.pixelColor(x, y) == colour;
        return found;
    };
    EXPECT_TRUE(holds(dialog.lblTitle, QColor(0, 255, 0)));
    EXPECT_TRUE(holds(dialog.lblVersion, QColor(0, 255, 0)));
    EXPECT_TRUE(holds(dialog.Label3, QColor(192, 255, 255)));
    EXPECT_TRUE(holds(dialog.lblDisclaimer, QColor(192, 255, 255)));
}

TEST_F(AboutDialog, KeyboardOkIsDefaultAndCancelTabsThroughTheButtons) {
    open();
    EXPECT_TRUE(dialog.cmdOK->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdOK);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdSysInfo);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.Command1);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdOK);

    // Enter on "Détails..." shows the details and keeps the dialog.
    dialog.Command1->setFocus();
    press(Qt::Key_Return);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].style, 64);
    EXPECT_EQ(host.messages[0].title, "A propos");
    EXPECT_TRUE(dialog.isVisible());

    EXPECT_EQ(dialog.cmdSysInfo->shortcut(), QKeySequence(QStringLiteral("Alt+S")));

    // Esc presses OK wherever the focus is.
    press(Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Reopened, the focus is back on OK and Enter closes.
    open();
    EXPECT_EQ(QApplication::focusWidget(), dialog.cmdOK);
    press(Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
