#pragma once
// The main window: link field, preview, and the eight commands.
#include "Host.h"
#include "SaveCommand.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace about {
class frmAbout;
}

namespace lumo {

class PictureBox;

class LumoQRCode : public QWidget, private exporting::SaveSite {
    Q_OBJECT
public:
    explicit LumoQRCode(host::Host& host, QWidget* parent = nullptr);
    ~LumoQRCode() override;

    // The maker's web site, the link the field holds at start.
    static const QString initialLink;

    QLabel* Label1 = nullptr;
    QLineEdit* Text1 = nullptr;
    PictureBox* PicImage = nullptr;
    QPushButton* Command1 = nullptr; // create
    QPushButton* Command2 = nullptr; // print
    QPushButton* Command3 = nullptr; // save
    QPushButton* Command4 = nullptr; // copy
    QPushButton* Command5 = nullptr; // quit
    QPushButton* Command6 = nullptr; // paste
    QPushButton* Command7 = nullptr; // about
    QPushButton* Command8 = nullptr; // reset
    host::CommonDialog CMDialog1;

    const QString& OldLiens() const { return m_OldLiens; }
    const exporting::Module1& module1() const { return m_module1; }
    about::frmAbout* aboutDialog() const { return m_about.get(); }

    // The handlers, each run through runHandler by its event.
    void Text1_Change();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();

    // Runs one event's handler: a failure that escapes it is shown, and the tool goes on.
    void runHandler(const std::function<void()>& handler);

private:
    void buildLayout();
    void setOutputCommands(bool enabled);
    QString createFailureText(host::LibraryResult result, const QString& link, const QString& path) const;

    // exporting::SaveSite
    QImage renderedImage() override;
    void setLoadedPicture(const QImage& picture) override;
    void setCaption(const QString& caption) override;

    host::Host& m_host;
    QString m_OldLiens;
    exporting::Module1 m_module1;
    std::unique_ptr<about::frmAbout> m_about;
};

} // namespace lumo
