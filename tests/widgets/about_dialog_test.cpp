// The About dialog as a person meets it (offscreen): places, fonts, colours, the keyboard and a
// screen reader.
#include "AboutDialog.h"
#include "CaptionFit.h"
#include "ClickLabel.h"
#include "FakeHost.h"

#include <QAccessible>
#include <QApplication>
#include <QFrame>
#include <QImageReader>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <array>
#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::FakeHost;

namespace {

struct AboutDialog : ::testing::Test {
    FakeHost host;
    about::AboutDialog dialog{host};
    // The controls, found by their object names.
    template <class T> T* control(const char* name) {
        if (T* found = dialog.findChild<T*>(QLatin1String(name)))
            return found;
        throw std::runtime_error(std::string("no control named ") + name);
    }
    QPushButton* details = control<QPushButton>("Command1");
    QPushButton* ok = control<QPushButton>("cmdOK");
    QPushButton* systemInfo = control<QPushButton>("cmdSysInfo");
    about::ClickLabel* donation = control<about::ClickLabel>("Image2");
    about::ClickLabel* webSiteLink = control<about::ClickLabel>("Label3");
    about::ClickLabel* emailLink = control<about::ClickLabel>("lblDisclaimer");
    QLabel* appIcon = control<QLabel>("Image1");
    std::array<QFrame*, 2> separators{control<QFrame>("Line1_0"), control<QFrame>("Line1_1")};
    QLabel* title = control<QLabel>("lblTitle");
    QLabel* version = control<QLabel>("lblVersion");
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
        {details, {264, 144, 97, 25}},  {ok, {264, 96, 100, 39}}, {systemInfo, {264, 176, 99, 23}},
        {donation, {96, 160, 100, 44}},    {appIcon, {8, 16, 48, 48}},   {title, {72, 8, 259, 16}},
        {version, {70, 32, 259, 15}}, {separators[0], {0, 79, 370, 2}}, {separators[1], {0, 81, 371, 1}}};
    for (const auto& [widget, rect] : fixed)
        EXPECT_EQ(widget->geometry(), rect) << widget->metaObject()->className();
    // These two size themselves to their text from their corner.
    EXPECT_EQ(webSiteLink->pos(), QPoint(72, 112));
    EXPECT_EQ(emailLink->pos(), QPoint(48, 88));
    for (QLabel* link : std::initializer_list<QLabel*>{webSiteLink, emailLink})
        EXPECT_GE(link->width(), link->fontMetrics().horizontalAdvance(link->text()));

    const auto children = dialog.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly);
    for (qsizetype i = 0; i < children.size(); ++i)
        for (qsizetype j = i + 1; j < children.size(); ++j)
            EXPECT_FALSE(children[i]->geometry().intersects(children[j]->geometry())) << i << " meets " << j;
}

TEST_F(AboutDialog, ComicFontsWhereNamedTheDialogFontElsewhereAndEveryCaptionFits) {
    const std::tuple<QWidget*, double, bool> named[] = {
        {details, 8.25, false},   {ok, 8.25, true},   {title, 9.75, true},
        {version, 8.25, false}, {webSiteLink, 8.25, false}, {emailLink, 8.25, false}};
    for (const auto& [w, points, bold] : named) {
        EXPECT_EQ(w->font().family(), "Comic Sans MS");
        EXPECT_EQ(std::tuple(w->font().pointSizeF(), w->font().bold(), w->font().italic()),
                  std::tuple(points, bold, false));
    }
    EXPECT_EQ(systemInfo->font(), dialog.font());
    // A desktop's larger default font: every caption still shows whole.
    EXPECT_EQ(testsupport::clippedCaptions<about::AboutDialog>(host), std::vector<QString>{});
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
    EXPECT_TRUE(holds(title, QColor(0, 255, 0)));
    EXPECT_TRUE(holds(version, QColor(0, 255, 0)));
    EXPECT_TRUE(holds(webSiteLink, QColor(192, 255, 255)));
    EXPECT_TRUE(holds(emailLink, QColor(192, 255, 255)));

    // Screens scaled by 2 take each picture's twin from where Qt looks: name@2x beside it.
    for (const QString picture : {":/donate.gif", ":/icon.png", ":/info.bmp"})
        EXPECT_EQ(QImageReader(QString(picture).replace(".", "@2x.")).size(),
                  QImageReader(picture).size() * 2)
            << qPrintable(picture);
}

TEST_F(AboutDialog, KeyboardOkIsDefaultAndCancelTabsThroughTheButtons) {
    // A screen reader names the buttons by their caption, the pictures and links by what they do.
    const std::pair<QWidget*, QString> named[] = {{ok, "OK"},
                                                  {details, "Détails..."},
                                                  {systemInfo, "Système Info..."},
                                                  {donation, "Faire un don"},
                                                  {webSiteLink, "Site web de l'éditeur"},
                                                  {emailLink, "Écrire un courriel"},
                                                  {appIcon, "Icône de Lumo-RAZazu"}};
    for (const auto& [control, name] : named)
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), name);

    open();
    EXPECT_TRUE(ok->isDefault());
    EXPECT_EQ(QApplication::focusWidget(), ok);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), systemInfo);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), details);
    press(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), ok);

    // Enter on "Détails..." shows the details and keeps the dialog.
    details->setFocus();
    press(Qt::Key_Return);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, host::MessageKind::Information);
    EXPECT_EQ(host.messages[0].title, "A propos");
    EXPECT_TRUE(dialog.isVisible());

    EXPECT_EQ(systemInfo->shortcut(), QKeySequence(QStringLiteral("Alt+S")));

    // Esc presses OK wherever the focus is.
    press(Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    // Reopened, the focus is back on OK and Enter closes.
    open();
    EXPECT_EQ(QApplication::focusWidget(), ok);
    press(Qt::Key_Return);
    EXPECT_FALSE(dialog.isVisible());
}

} // namespace
