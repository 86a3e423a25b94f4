#include "MainWindow.h"

#include "AboutDialog.h"
#include "Maker.h"
#include "PictureBox.h"
#include "PrintCommand.h"
#include "EncoderFailure.h"
#include "QRCodeLib.h"
#include "Twips.h"
#include "WindowKit.h"
#include "WrappingButton.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lumo {

using ui::px;
using ui::twipsRect;

const QString MainWindow::initialLink = about::maker::webSite;

namespace {

const QString caption = QStringLiteral("Lumo-RAZazu");
const QString workingFile = QStringLiteral("/QRCODE.bmp");

QFont tahoma(double points, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPushButton* button(QWidget* parent, const char* objectName, const QString& text, QRect geometry,
                    const QFont& font) {
    auto* b = ui::button(parent, text, geometry);
    b->setObjectName(QLatin1String(objectName));
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

} // namespace

MainWindow::MainWindow(host::Host& host, const QString& link, QWidget* parent) : QWidget(parent), m_host(host) {
    buildLayout();
    connectCommands();
    m_linkEdit->setText(link); // runs the command rules: create on, output commands off
    if (link.isEmpty())
        applyCommandRules(); // no change of text, no signal
    m_createButton->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildLayout() {
    setObjectName(QStringLiteral("LumoQRCode"));
    setWindowTitle(caption);
    ui::makeFixedBlackWindow(*this, Qt::Window, QSize(px(5895), px(3780)));
    setFont(tahoma(9.75));

    m_linkLabel = new QLabel(QStringLiteral("Lien :"), this);
    m_linkLabel->setObjectName(QStringLiteral("Label1"));
    m_linkLabel->setGeometry(twipsRect(40, 120, 615, 255));
    m_linkLabel->setFont(tahoma(9.75, true));
    m_linkLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
    m_linkLabel->setAutoFillBackground(true);
    ui::setColour(m_linkLabel, QPalette::Window, Qt::black);
    ui::setColour(m_linkLabel, QPalette::WindowText, Qt::white);

    m_linkEdit = new QLineEdit(this);
    m_linkEdit->setObjectName(QStringLiteral("Text1"));
    m_linkEdit->setAccessibleName(QStringLiteral("Lien"));
    // No "&" in the label's text: no access key, only the tie a screen reader follows.
    m_linkLabel->setBuddy(m_linkEdit);
    m_linkEdit->setGeometry(twipsRect(720, 120, 3855, 375));
    m_linkEdit->setMaxLength(std::numeric_limits<int>::max());
    // Its own text colour too: a dark desktop theme's white text would vanish on the green.
    ui::setColour(m_linkEdit, QPalette::Base, QColor(192, 255, 192));
    ui::setColour(m_linkEdit, QPalette::Text, Qt::black);

    m_pasteButton = button(this, "Command6", QStringLiteral("..."), twipsRect(4680, 120, 495, 375), tahoma(9.75, true));
    m_pasteButton->setToolTip(QStringLiteral("Coller un lien à partir du presse papier"));
    m_pasteButton->setAccessibleName(QStringLiteral("Coller le lien"));
    m_aboutButton = button(this, "Command7", QString(), twipsRect(5280, 120, 495, 375), tahoma(9.75));
    m_aboutButton->setIcon(QIcon(QStringLiteral(":/info.bmp")));
    m_aboutButton->setIconSize(QSize(15, 21));
    m_aboutButton->setToolTip(QStringLiteral("A Propos"));
    m_aboutButton->setAccessibleName(QStringLiteral("À propos"));

    m_preview = new PictureBox(this);
    m_preview->setObjectName(QStringLiteral("PicImage"));
    m_preview->setAccessibleName(QStringLiteral("Aperçu du QR-Code")); // its description: the link shown
    m_preview->setGeometry(twipsRect(120, 600, 3080, 3080));
    QFont sansSerif(QStringLiteral("MS Sans Serif"));
    sansSerif.setPointSizeF(8.25);
    m_preview->setFont(sansSerif);

    m_createButton = button(this, "Command1", QStringLiteral("Créer le QR-Code"), twipsRect(3360, 600, 1695, 495),
                            tahoma(8.25, true));
    m_resetButton = button(this, "Command8", QStringLiteral("RàZ"), twipsRect(5160, 600, 615, 495), tahoma(9.75, true));
    m_resetButton->setToolTip(QStringLiteral("Réinitialisation..."));
    m_saveButton = button(this, "Command3", QStringLiteral("Enregistrer le QR-Code sous..."),
                          twipsRect(3360, 1200, 2415, 375), tahoma(8.25));
    // The copy caption takes two lines of its button.
    m_copyButton = new WrappingButton(QStringLiteral("Copier l'image du QR-Code dans le presse papier"), this);
    m_copyButton->setObjectName(QStringLiteral("Command4"));
    m_copyButton->setGeometry(twipsRect(3360, 1680, 2415, 735));
    m_copyButton->setFont(tahoma(8.25));
    m_printButton = button(this, "Command2", QStringLiteral("Imprimer le QR-Code"), twipsRect(3360, 2520, 2415, 495),
                           tahoma(8.25));
    m_quitButton = button(this, "Command5", QStringLiteral("Quitter Lumo-RAZazu"), twipsRect(3360, 3120, 2415, 495),
                          tahoma(8.25, true));
    m_linkLabel->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {m_createButton, m_linkEdit,   m_preview,     m_printButton, m_saveButton,
                        m_copyButton,   m_quitButton, m_pasteButton, m_aboutButton, m_resetButton};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
}

void MainWindow::connectCommands() {
    ui::onEvent(m_host, caption, m_linkEdit, &QLineEdit::textChanged, this, [this] { applyCommandRules(); });
    const std::pair<QPushButton*, void (MainWindow::*)()> clicks[] = {
        {m_createButton, &MainWindow::create},     {m_printButton, &MainWindow::print},
        {m_saveButton, &MainWindow::save},         {m_copyButton, &MainWindow::copyPicture},
        {m_quitButton, &MainWindow::quit},         {m_pasteButton, &MainWindow::paste},
        {m_aboutButton, &MainWindow::showAbout},   {m_resetButton, &MainWindow::reset}};
    for (const auto& [command, handler] : clicks)
        ui::onEvent(m_host, caption, command, &QPushButton::clicked, this,
                    [this, handler = handler] { (this->*handler)(); });
}

void MainWindow::setOutputCommands(bool enabled) {
    m_saveButton->setEnabled(enabled);
    m_copyButton->setEnabled(enabled);
    m_printButton->setEnabled(enabled);
}

// Create needs a link; print, save and copy need the link the preview was made from.
void MainWindow::applyCommandRules() {
    if (m_linkEdit->text().isEmpty()) {
        m_createButton->setEnabled(false);
        setOutputCommands(false);
        return;
    }
    m_createButton->setEnabled(true);
    setOutputCommands(m_linkEdit->text() == m_lastEncodedLink);
}

// The encoder writes QRCODE.bmp, the preview shows it.
void MainWindow::create() {
    if (m_linkEdit->text().isEmpty()) {
        setOutputCommands(false);
        return;
    }
    const QString link = m_linkEdit->text();
    const QByteArray utf8 = link.toUtf8();
    // Texts the encoder cannot take whole are refused here, before anything changes.
    host::LibraryResult result;
    if (link.contains(QChar(0)))
        result.code = QRCL_ERR_NUL;
    else if (!QStringView(link).isValidUtf16())
        result.code = QRCL_ERR_ENCODING;
    else if (utf8.size() > exporting::qrCapacity(utf8))
        result.code = QRCL_ERR_TOO_LONG;
    const QString path = m_host.workFolder() + workingFile;
    QImage picture;
    if (result.code == QRCL_OK) {
        // Another copy of the tool in the same folder must not replace the file before it is
        // read back; it waits no longer than that, never while a message waits for a person.
        const auto lock = m_host.lockFile(path);
        result = m_host.encodeQrCode(utf8, path.toUtf8());
        if (result.code == QRCL_OK)
            picture = m_host.loadPicture(m_host.workFolder() + workingFile);
    }
    if (result.code != QRCL_OK) {
        // The preview, the remembered link and the commands stay as they were.
        m_host.showMessage(exporting::encoderFailureText(result, link, path), host::MessageKind::Critical, caption);
        return;
    }
    m_preview->setPicture(picture);
    m_lastEncodedLink = m_linkEdit->text();
    m_preview->setAccessibleDescription(m_lastEncodedLink);
    setOutputCommands(true);
}

void MainWindow::print() {
    printing::printPicture(m_host, m_preview->picture(), *this, m_printChoices);
}

void MainWindow::save() {
    exporting::saveCommand(m_host, m_saveDialog, m_saveChoices, *this);
}

// The preview as it is shown, box-sized.
void MainWindow::copyPicture() {
    m_host.setClipboardImage(m_preview->renderedImage());
}

void MainWindow::quit() {
    m_host.quit();
}

// Nothing to paste (a picture on the clipboard, say) leaves the link as typed.
void MainWindow::paste() {
    const QString text = m_host.clipboardText();
    if (!text.isEmpty())
        m_linkEdit->setText(text);
}

void MainWindow::showAbout() {
    if (!m_about)
        m_about = std::make_unique<about::AboutDialog>(m_host, this);
    m_host.showModal(*m_about);
}

// Empty field, empty preview. The remembered link goes too, so the output commands never come
// back over an empty preview.
void MainWindow::reset() {
    m_linkEdit->setText(QString());
    m_preview->setPicture(m_host.loadPicture(QString()));
    m_lastEncodedLink.clear();
    m_preview->setAccessibleDescription(QString());
    setOutputCommands(false);
}

QImage MainWindow::renderedImage() {
    return m_preview->renderedImage();
}

void MainWindow::setLoadedPicture(const QImage& picture) {
    m_preview->setPicture(picture);
}

void MainWindow::setCaption(const QString& text) {
    setWindowTitle(text);
}

} // namespace lumo
