// The About dialog's commands on the fake host: the product lines at each opening, the details
// text, the links.
#include "AboutDialog.h"
#include "BuildInfo.h"
#include "ClickLabel.h"
#include "FakeHost.h"
#include "Maker.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>

using testsupport::FakeHost;

namespace {

struct About : ::testing::Test {
    FakeHost host;
    about::AboutDialog dialog{host};
    // The controls, found by their object names.
    template <class T> T* control(const char* name) {
        if (T* found = dialog.findChild<T*>(QLatin1String(name)))
            return found;
        throw std::runtime_error(std::string("no control named ") + name);
    }
    QPushButton* ok = control<QPushButton>("cmdOK");
    QPushButton* details = control<QPushButton>("Command1");
    about::ClickLabel* donation = control<about::ClickLabel>("Image2");
    about::ClickLabel* webSiteLink = control<about::ClickLabel>("Label3");
    about::ClickLabel* emailLink = control<about::ClickLabel>("lblDisclaimer");
    QLabel* title = control<QLabel>("lblTitle");
    QLabel* version = control<QLabel>("lblVersion");

    void open() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
};

// The version the build was made with, as the dialog shows it.
QString buildVersion() {
    using namespace lumo::build;
    return QStringLiteral("Version %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionPatch);
}

TEST_F(About, EachOpeningAfterAClosingLoadsCaptionTitleAndVersionAnew) {
    open();
    EXPECT_EQ(dialog.windowTitle(), "A propos Lumo-RAZazu");
    EXPECT_EQ(title->text(), "Lumo-RAZazu");
    EXPECT_EQ(version->text(), buildVersion());
    ok->click();
    EXPECT_FALSE(dialog.isVisible());

    dialog.setWindowTitle("changé");
    open();
    EXPECT_EQ(version->text(), buildVersion());
    EXPECT_EQ(dialog.windowTitle(), "A propos Lumo-RAZazu");
}

TEST_F(About, DetailsTextHasSixCarriageReturnsAndAFixedVersion) {
    open();
    details->click();
    ASSERT_EQ(host.messages.size(), 1u);
    using namespace about::maker;
    EXPECT_EQ(host.messages[0].text, "Lumo-RAZazu version 1.0.0\r\r" + authorCopyright + "\rE-Mail : " +
                                         eMail + "\rUrl : " + webSite + "\r\rLogiciel FREEWARE");
    EXPECT_EQ(host.messages[0].kind, host::MessageKind::Information);
    EXPECT_EQ(host.messages[0].title, "A propos");
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(About, WebLinksOpenTheDonationPageTheSiteAndAMail) {
    using namespace about::maker;
    open();
    QTest::mouseClick(donation, Qt::LeftButton);
    QTest::mouseClick(webSiteLink, Qt::LeftButton);
    QTest::mouseClick(emailLink, Qt::LeftButton);
    EXPECT_EQ(host.openedLinks, QStringList({webSite + "/Don/Don.htm", webSite, "mailto:" + eMail}));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(About, OnlyTheWebLinksReportFailuresAndPlainControlsDoNothing) {
    open();
    host.log.clear();
    for (QWidget* inert : std::initializer_list<QWidget*>{
             control<QLabel>("Image1"), title, version, control<QLabel>("lblDescription"),
             control<QLabel>("Label2"), control<QFrame>("Line1_0")})
        QTest::mouseClick(inert, Qt::LeftButton);
    EXPECT_TRUE(host.log.isEmpty());

    host.failNext("openLink");
    QTest::mouseClick(emailLink, Qt::LeftButton); // skipped in silence
    EXPECT_TRUE(host.messages.empty());
    host.failNext("openLink");
    QTest::mouseClick(donation, Qt::LeftButton);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].kind, host::MessageKind::Critical);
    EXPECT_TRUE(host.openedLinks.isEmpty());
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
