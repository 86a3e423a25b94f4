#pragma once
// The About dialog: product lines, the maker's links and the system-information launcher.
#include "Host.h"

#include <QDialog>
#include <array>

class QFrame;
class QLabel;
class QPushButton;

namespace about {

class ClickLabel;

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(host::Host& host, QWidget* parent = nullptr);

    // The seven product and contact lines, joined by carriage returns alone.
    static QString detailsText();

    // Closing by OK, Esc or the close box unloads the dialog.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void buildLayout();
    void connectCommands();
    void load();

    // The commands, each run by its event through ui::runHandler.
    void loadProductLines();
    void closeDialog();
    void showDetails();
    void showSystemInformation();
    void openDonationPage();
    void openWebSite();
    void writeEmail();

    host::Host& m_host;
    bool m_loaded = false;
    QPushButton* m_detailsButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_systemInfoButton = nullptr;
    ClickLabel* m_donationPicture = nullptr;
    ClickLabel* m_webSiteLink = nullptr;
    QLabel* m_appIcon = nullptr;
    std::array<QFrame*, 2> m_separators{};
    QLabel* m_titleLabel = nullptr;
    QLabel* m_versionLabel = nullptr;
    QLabel* m_copyrightLabel = nullptr;
    ClickLabel* m_emailLink = nullptr;
    QLabel* m_freewareLabel = nullptr;
};

} // namespace about
