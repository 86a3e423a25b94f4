// The About dialog's handlers on the fake host: Load at each opening, the details text, the links.
#include "ClickLabel.h"
#include "FakeHost.h"
#include "Maker.h"
#include "frmAbout.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::FakeHost;

namespace {

struct About : ::testing::Test {
    FakeHost host;
    about::frmAbout dialog{host};
    void open() {
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }
    // window, operation, file, parameters, directory, show command
    using Call = std::tuple<QWidget*, QString, QString, std::optional<QString>, std::optional<QString>, int>;
    Call call(std::size_t i) const {
        const auto& c = host.shellCalls.at(i);
        return {c.window, c.operation, c.file, c.parameters, c.directory, c.show};
    }
};

TEST_F(About, EachOpeningAfterAClosingLoadsCaptionTitleAndVersionAnew) {
    open();
    EXPECT_EQ(dialog.windowTitle(), "A propos Lumo-RAZazu");
    EXPECT_EQ(dialog.lblTitle->text(), "Lumo-RAZazu");
    EXPECT_EQ(dialog.lblVersion->text(), "Version 1.0.0");
    dialog.cmdOK->click();
    EXPECT_FALSE(dialog.isVisible());

    host.version = {1, 12, 3};
    dialog.setWindowTitle("changé");
    open();
    EXPECT_EQ(dialog.lblVersion->text(), "Version 1.12.3");
    EXPECT_EQ(dialog.windowTitle(), "A propos Lumo-RAZazu");
}

TEST_F(About, DetailsTextHasSixCarriageReturnsAndAFixedVersion) {
    host.version = {3, 4, 5};
    open();
    dialog.Command1->click();
    ASSERT_EQ(host.messages.size(), 1u);
    using namespace about::maker;
    EXPECT_EQ(host.messages[0].text, "Lumo-RAZazu version 1.0.0\r\r" + authorCopyright + "\rE-Mail : " +
                                         eMail + "\rUrl : " + webSite + "\r\rLogiciel FREEWARE");
    EXPECT_EQ(host.messages[0].style, 64);
    EXPECT_EQ(host.messages[0].title, "A propos");
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(About, WebLinksPassAnEmptyParameterAndTheFolderOfTheMoment) {
    using namespace about::maker;
    open();
    host.appFolderPath = "/opt/lumo";
    QTest::mouseClick(dialog.Image2, Qt::LeftButton);
    host.appFolderPath = "/usr/local/lumo";
    QTest::mouseClick(dialog.Label3, Qt::LeftButton);
    QTest::mouseClick(dialog.lblDisclaimer, Qt::LeftButton);
    ASSERT_EQ(host.shellCalls.size(), 3u);
    EXPECT_EQ(call(0), Call(&dialog, "Open", webSite + "/Don/Don.htm", QString(""), QString("/opt/lumo"), 1));
    EXPECT_EQ(call(1), Call(&dialog, "Open", webSite, QString(""), QString("/usr/local/lumo"), 1));
    EXPECT_EQ(call(2), Call(&dialog, "Open", "mailto:" + eMail, std::nullopt, std::nullopt, 1));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(About, OnlyTheWebLinksReportFailuresAndPlainControlsDoNothing) {
    open();
    host.log.clear();
    for (QWidget* inert :
         std::initializer_list<QWidget*>{dialog.Image1, dialog.lblTitle, dialog.lblVersion,
                                         dialog.lblDescription, dialog.Label2, dialog.Line1[0]})
        QTest::mouseClick(inert, Qt::LeftButton);
    EXPECT_TRUE(host.log.isEmpty());

    host.failNext("shellExecute");
    QTest::mouseClick(dialog.lblDisclaimer, Qt::LeftButton); // skipped in silence
    EXPECT_TRUE(host.messages.empty());
    host.failNext("appFolder");
    QTest::mouseClick(dialog.Image2, Qt::LeftButton);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0].style, 16);
    EXPECT_TRUE(host.shellCalls.empty());
    EXPECT_TRUE(dialog.isVisible());
}

} // namespace
