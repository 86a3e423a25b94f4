#pragma once
// The main window: link field, preview, and the eight commands.
#include "Host.h"
#include "SaveCommand.h"

#include <QWidget>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace about {
class AboutDialog;
}

namespace lumo {

class PictureBox;

class MainWindow : public QWidget, private exporting::SaveSite {
    Q_OBJECT
public:
    // The field starts with link: the maker's address unless the command line gave another.
    explicit MainWindow(host::Host& host, const QString& link = initialLink, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The maker's web site, the link the field holds at start.
    static const QString initialLink;

    // What the window remembers, for those who look on.
    const QString& lastEncodedLink() const { return m_lastEncodedLink; }
    const exporting::SaveChoices& saveChoices() const { return m_saveChoices; }
    const host::PrintChoices& printChoices() const { return m_printChoices; }
    const host::SaveDialog& saveDialog() const { return m_saveDialog; }

private:
    void buildLayout();
    void connectCommands();
    void setOutputCommands(bool enabled);

    // The commands, each run by its event through ui::runHandler.
    void applyCommandRules();
    void create();
    void print();
    void save();
    void copyPicture();
    void quit();
    void paste();
    void showAbout();
    void reset();

    // exporting::SaveSite
    QImage renderedImage() override;
    QString encodedLink() override { return m_lastEncodedLink; }
    void setLoadedPicture(const QImage& picture) override;
    void setCaption(const QString& caption) override;

    host::Host& m_host;
    QLabel* m_linkLabel = nullptr;
    QLineEdit* m_linkEdit = nullptr;
    PictureBox* m_preview = nullptr;
    QPushButton* m_createButton = nullptr;
    QPushButton* m_printButton = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_copyButton = nullptr;
    QPushButton* m_quitButton = nullptr;
    QPushButton* m_pasteButton = nullptr;
    QPushButton* m_aboutButton = nullptr;
    QPushButton* m_resetButton = nullptr;
    host::SaveDialog m_saveDialog;
    QString m_lastEncodedLink; // the link the preview's code was made from
    exporting::SaveChoices m_saveChoices;
    host::PrintChoices m_printChoices; // the printer dialog's, for the run
    std::unique_ptr<about::AboutDialog> m_about;
};

} // namespace lumo
