#pragma once
// The About dialog: product lines, the maker's links and the system-information launcher.
#include "Host.h"

#include <QDialog>
#include <array>
#include <functional>

class QFrame;
class QLabel;
class QPushButton;

namespace about {

class ClickLabel;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(host::Host& host, QWidget* parent = nullptr);

    QPushButton* Command1 = nullptr; // details
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdSysInfo = nullptr;
    ClickLabel* Image2 = nullptr; // donation picture
    ClickLabel* Label3 = nullptr; // web site
    QLabel* Image1 = nullptr;     // application icon
    std::array<QFrame*, 2> Line1{};
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    ClickLabel* lblDisclaimer = nullptr; // e-mail
    QLabel* Label2 = nullptr;

    // The seven product and contact lines, joined by carriage returns alone.
    static QString detailsText();

    // The handlers, each run through runHandler.
    void Load();
    void cmdOK_Click();
    void Command1_Click();
    void cmdSysInfo_Click();
    void Image2_Click();
    void Label3_Click();
    void lblDisclaimer_Click();

    // A failure that escapes a handler is shown, and the dialog stays as it was.
    void runHandler(const std::function<void()>& handler);
    // Closing by OK, Esc or the close box unloads the dialog.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void load();

    host::Host& m_host;
    bool m_loaded = false;
};

} // namespace about
