#include "LumoQRCode.h"

#include "Maker.h"
#include "PictureBox.h"
#include "QRCodeLib.h"
#include "SystemReason.h"
#include "Twips.h"
#include "WrappingButton.h"
#include "frmAbout.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace lumo {

using host::px;
using host::twipsRect;

const QString LumoQRCode::initialLink = about::maker::webSite;

namespace {

// The most any QR code holds (version 40, level L): 7089 digits alone, 2953 bytes of other ASCII
// text, 2952 bytes of any other text (one byte goes to the mark that says UTF-8).
constexpr int maxQrDigits = 7089;
constexpr int maxQrAsciiBytes = 2953;
constexpr int maxQrUtf8Bytes = 2952;
const QString caption = QStringLiteral("Lumo-RAZazu");
const QString workingFile = QStringLiteral("/QRCODE.bmp");

QFont tahoma(double points, bool bold = false) {
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPushButton* button(QWidget* parent, const QString& text, QRect geometry, const QFont& font) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    b->setFont(font);
    b->setAutoDefault(false);
    return b;
}

} // namespace

LumoQRCode::LumoQRCode(host::Host& host, QWidget* parent) : QWidget(parent), m_host(host) {
    buildLayout();
    Text1->setText(initialLink); // runs the command rules: create on, output commands off
    Command1->setFocus();
}

LumoQRCode::~LumoQRCode() = default;

void LumoQRCode::buildLayout() {
    setWindowTitle(caption);
    // Fixed single border: a close box and the system menu, no minimise or maximise button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(5895), px(3780));
    setFont(tahoma(9.75));
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);

    Label1 = new QLabel(QStringLiteral("Lien :"), this);
    Label1->setGeometry(twipsRect(40, 120, 615, 255));
    Label1->setFont(tahoma(9.75, true));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignTop);
    Label1->setAutoFillBackground(true);
    QPalette labelPal = Label1->palette();
    labelPal.setColor(QPalette::Window, Qt::black);
    labelPal.setColor(QPalette::WindowText, Qt::white);
    Label1->setPalette(labelPal);

    Text1 = new QLineEdit(this);
    Text1->setGeometry(twipsRect(720, 120, 3855, 375));
    Text1->setMaxLength(std::numeric_limits<int>::max());
    // Its own text colour too: a dark desktop theme's white text would vanish on the green.
    QPalette textPal = Text1->palette();
    textPal.setColor(QPalette::Base, QColor(192, 255, 192));
    textPal.setColor(QPalette::Text, Qt::black);
    Text1->setPalette(textPal);

    Command6 = button(this, QStringLiteral("..."), twipsRect(4680, 120, 495, 375), tahoma(9.75, true));
    Command6->setToolTip(QStringLiteral("Coller un lien à partir du presse papier"));
    Command7 = button(this, QString(), twipsRect(5280, 120, 495, 375), tahoma(9.75));
    Command7->setIcon(QIcon(QStringLiteral(":/info.bmp")));
    Command7->setIconSize(QSize(15, 21));
    Command7->setToolTip(QStringLiteral("A Propos"));

    PicImage = new PictureBox(this);
    PicImage->setGeometry(twipsRect(120, 600, 3080, 3080));
    QFont sansSerif(QStringLiteral("MS Sans Serif"));
    sansSerif.setPointSizeF(8.25);
    PicImage->setFont(sansSerif);

    Command1 = button(this, QStringLiteral("Créer le QR-Code"), twipsRect(3360, 600, 1695, 495), tahoma(8.25, true));
    Command8 = button(this, QStringLiteral("RàZ"), twipsRect(5160, 600, 615, 495), tahoma(9.75, true));
    Command8->setToolTip(QStringLiteral("Réinitialisation..."));
    Command3 = button(this, QStringLiteral("Enregistrer le QR-Code sous..."), twipsRect(3360, 1200, 2415, 375),
                      tahoma(8.25));
    // The copy caption takes two lines of its button.
    Command4 = new WrappingButton(QStringLiteral("Copier l'image du QR-Code dans le presse papier"), this);
    Command4->setGeometry(twipsRect(3360, 1680, 2415, 735));
    Command4->setFont(tahoma(8.25));
    Command2 = button(this, QStringLiteral("Imprimer le QR-Code"), twipsRect(3360, 2520, 2415, 495), tahoma(8.25));
    Command5 = button(this, QStringLiteral("Quitter Lumo-RAZazu"), twipsRect(3360, 3120, 2415, 495),
                      tahoma(8.25, true));
    Label1->setFocusPolicy(Qt::NoFocus);
    QWidget* order[] = {Command1, Text1, PicImage, Command2, Command3, Command4,
                        Command5, Command6, Command7, Command8};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);

    connect(Text1, &QLineEdit::textChanged, this, [this] { runHandler([this] { Text1_Change(); }); });
    const std::pair<QPushButton*, void (LumoQRCode::*)()> clicks[] = {
        {Command1, &LumoQRCode::Command1_Click}, {Command2, &LumoQRCode::Command2_Click},
        {Command3, &LumoQRCode::Command3_Click}, {Command4, &LumoQRCode::Command4_Click},
        {Command5, &LumoQRCode::Command5_Click}, {Command6, &LumoQRCode::Command6_Click},
        {Command7, &LumoQRCode::Command7_Click}, {Command8, &LumoQRCode::Command8_Click}};
    for (const auto& [command, handler] : clicks)
        connect(command, &QPushButton::clicked, this,
                [this, handler = handler] { runHandler([this, handler] { (this->*handler)(); }); });
}

void LumoQRCode::runHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const host::Failure& failure) {
        m_host.messageBox(failure.message(), host::vbCritical, caption);
    } catch (const std::exception& failure) {
        m_host.messageBox(QString::fromLocal8Bit(failure.what()), host::vbCritical, caption);
    }
}

void LumoQRCode::setOutputCommands(bool enabled) {
    Command3->setEnabled(enabled);
    Command4->setEnabled(enabled);
    Command2->setEnabled(enabled);
}

// Command rules: create needs a link; print, save and copy need the link the preview was made from.
void LumoQRCode::Text1_Change() {
    if (Text1->text().isEmpty()) {
        Command1->setEnabled(false);
        setOutputCommands(false);
        return;
    }
    Command1->setEnabled(true);
    setOutputCommands(Text1->text() == m_OldLiens);
}

QString LumoQRCode::createFailureText(host::LibraryResult result, const QString& link, const QString& path) const {
    switch (result.code) {
    case QRCL_ERR_TOO_LONG: {
        // Characters as a person counts them: an emoji is one.
        const QString counted = QStringLiteral("Le lien est trop long pour un QR-Code : il compte %1 caractères")
                                    .arg(link.toUcs4().size());
        const QByteArray utf8 = link.toUtf8();
        if (std::all_of(utf8.begin(), utf8.end(), [](char c) { return c >= '0' && c <= '9'; }))
            return counted + QStringLiteral(".\nUn QR-Code contient au plus %1 chiffres.").arg(maxQrDigits);
        const bool ascii = std::all_of(utf8.begin(), utf8.end(), [](char c) { return c > 0; });
        return counted + QStringLiteral(" (%1 octets).\nUn QR-Code contient au plus %2 octets d'un tel texte.")
                             .arg(utf8.size())
                             .arg(ascii ? maxQrAsciiBytes : maxQrUtf8Bytes);
    }
    case QRCL_ERR_WRITE:
        return QStringLiteral("Le QR-Code n'a pas pu être écrit dans le fichier « %1 ».\n%2")
            .arg(QDir::toNativeSeparators(path), host::systemReason(result.systemError));
    case QRCL_ERR_NUL:
        return QStringLiteral("Le lien contient un caractère nul : il ne peut pas être encodé.");
    case QRCL_ERR_ENCODING:
        return QStringLiteral("Le lien contient un caractère invalide : il ne peut pas être encodé.");
    default:
        return QStringLiteral("Le QR-Code n'a pas pu être créé : mémoire insuffisante ou erreur interne.");
    }
}

// Creation: the encoder writes QRCODE.bmp, the preview shows it.
void LumoQRCode::Command1_Click() {
    if (Text1->text().isEmpty()) {
        setOutputCommands(false);
        return;
    }
    const QString link = Text1->text();
    const QByteArray utf8 = link.toUtf8();
    // Texts the encoder cannot take whole are refused here, before anything changes.
    host::LibraryResult result;
    if (link.contains(QChar(0)))
        result.code = QRCL_ERR_NUL;
    else if (!QStringView(link).isValidUtf16())
        result.code = QRCL_ERR_ENCODING;
    else if (utf8.size() > maxQrDigits)
        result.code = QRCL_ERR_TOO_LONG;
    const QString path = m_host.workFolder() + workingFile;
    QImage picture;
    if (result.code == QRCL_OK) {
        // Another copy of the tool in the same folder must not replace the file before it is
        // read back; it waits no longer than that, never while a message waits for a person.
        const auto lock = m_host.lockFile(path);
        result = m_host.fastQRCode(utf8, path.toUtf8());
        if (result.code == QRCL_OK)
            picture = m_host.loadPicture(m_host.workFolder() + workingFile);
    }
    if (result.code != QRCL_OK) {
        // The preview, OldLiens and the commands stay as they were.
        m_host.messageBox(createFailureText(result, link, path), host::vbCritical, caption);
        return;
    }
    PicImage->setPicture(picture);
    m_OldLiens = Text1->text();
    setOutputCommands(true);
}

// Print: the loaded picture, 1 mm from the top-left corner of the printable area.
void LumoQRCode::Command2_Click() {
    CMDialog1.CancelError = true;
    try {
        m_host.showPrinter(CMDialog1);
    } catch (const std::exception&) {
        return; // Cancel or a failing dialog: nothing printed, nothing said
    }
    try {
        setCursor(Qt::WaitCursor);
        host::Printer& printer = m_host.printer();
        printer.printEmptyLine();
        printer.setScaleMode(host::vbMillimeters);
        printer.paintPicture(PicImage->picture(), 1.0, 1.0);
        printer.endDoc();
        unsetCursor();
    } catch (const std::exception&) {
        // A failing message box must neither leave the job open (the next print would carry its
        // page) nor the hourglass on: both still happen, then the failure goes on to the report.
        std::exception_ptr failure;
        try {
            m_host.messageBox(QStringLiteral("Erreur sur l'imprimante"), host::vbCritical, QStringLiteral("Erreur"));
        } catch (const std::exception&) {
            failure = std::current_exception();
        }
        try {
            m_host.printer().killDoc();
        } catch (const std::exception&) {
            if (!failure)
                failure = std::current_exception();
        }
        unsetCursor();
        if (failure)
            std::rethrow_exception(failure);
    }
}

void LumoQRCode::Command3_Click() {
    exporting::saveCommand(m_host, CMDialog1, m_module1, *this);
}

// Copy: the preview as it is shown, box-sized.
void LumoQRCode::Command4_Click() {
    m_host.setClipboardImage(PicImage->renderedImage());
}

void LumoQRCode::Command5_Click() {
    m_host.endProgram();
}

// Paste: nothing to paste (a picture on the clipboard, say) leaves the link as typed.
void LumoQRCode::Command6_Click() {
    const QString text = m_host.clipboardText();
    if (!text.isEmpty())
        Text1->setText(text);
}

void LumoQRCode::Command7_Click() {
    if (!m_about)
        m_about = std::make_unique<about::frmAbout>(m_host, this);
    m_host.showModal(*m_about);
}

// Reset: empty field, empty preview. OldLiens goes too, so the output commands never come back
// over an empty preview.
void LumoQRCode::Command8_Click() {
    Text1->setText(QString());
    PicImage->setPicture(m_host.loadPicture(QString()));
    m_OldLiens.clear();
    setOutputCommands(false);
}

QImage LumoQRCode::renderedImage() {
    return PicImage->renderedImage();
}

void LumoQRCode::setLoadedPicture(const QImage& picture) {
    PicImage->setPicture(picture);
}

void LumoQRCode::setCaption(const QString& text) {
    setWindowTitle(text);
}

} // namespace lumo
