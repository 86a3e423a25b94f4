#include "AboutDialog.h"

#include "ClickLabel.h"
#include "Maker.h"
#include "SysInfo.h"
#include "BuildInfo.h"
#include "Twips.h"
#include "WindowKit.h"

#include <QFrame>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace about {

namespace {

const QString errorTitle = QStringLiteral("Lumo-RAZazu");
using ui::button;
using ui::setColour;

using ui::px;
using ui::twipsRect;

QFont comic(double points, bool bold = false) {
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// A label drawn straight on the black ground.
template <class Label = QLabel>
Label* label(QWidget* parent, const QString& text, QRect geometry, const QFont& font, const QColor& colour) {
    auto* l = new Label(text, parent);
    l->setGeometry(geometry);
    l->setFont(font);
    l->setAutoFillBackground(false);
    setColour(l, QPalette::WindowText, colour);
    return l;
}

// A label that sizes itself to its text, keeping its top-left corner.
template <class Label> Label* autoSized(Label* l) {
    l->setAlignment(Qt::AlignCenter);
    l->resize(l->sizeHint());
    return l;
}

// A resource picture at its own size, taken from its name@2x twin on a screen scaled by 2 or
// more: QIcon looks for the twin, a plain QPixmap does not.
QPixmap picture(const QString& path) {
    return QIcon(path).pixmap(QImageReader(path).size());
}

QFrame* line(QWidget* parent, QRect geometry, const QColor& colour) {
    auto* l = new QFrame(parent);
    l->setGeometry(geometry);
    l->setAutoFillBackground(true);
    setColour(l, QPalette::Window, colour);
    return l;
}

} // namespace

AboutDialog::AboutDialog(host::Host& host, QWidget* parent) : QDialog(parent), m_host(host) {
    buildLayout();
    connectCommands();
    load();
}

void AboutDialog::buildLayout() {
    setObjectName(QStringLiteral("frmAbout"));
    ui::makeFixedBlackWindow(*this, Qt::Dialog, QSize(px(5730), px(3255)));
    setModal(true);

    const QColor green(0, 255, 0);
    const QColor lightCyan(192, 255, 255);

    // Stored order: the later control lies above the earlier one.
    m_detailsButton = button(this, QStringLiteral("Détails..."), twipsRect(3960, 2160, 1455, 375));
    m_detailsButton->setFont(comic(8.25));
    m_okButton = button(this, QStringLiteral("OK"), twipsRect(3960, 1440, 1500, 585));
    m_okButton->setFont(comic(8.25, true));
    m_okButton->setDefault(true);
    m_systemInfoButton = button(this, QStringLiteral("&Système Info..."), twipsRect(3960, 2640, 1485, 345));
    m_systemInfoButton->setToolTip(QStringLiteral("Informations système"));

    m_donationPicture = new ClickLabel(this);
    m_donationPicture->setGeometry(twipsRect(1440, 2400, 1500, 660));
    m_donationPicture->setPixmap(picture(QStringLiteral(":/donate.gif")));
    m_donationPicture->setAccessibleName(QStringLiteral("Faire un don"));
    m_donationPicture->setToolTip(
        QStringLiteral("Faire un don avec PayPal - Un solution gratuite, rapide et sécurisée."));
    m_donationPicture->setCursor(Qt::PointingHandCursor);

    m_webSiteLink = autoSized(label<ClickLabel>(this, QStringLiteral("URL : ") + maker::webSite,
                                         twipsRect(1080, 1680, 2115, 225), comic(8.25), lightCyan));
    m_webSiteLink->setToolTip(QStringLiteral("Visitez le site officiel Orbane"));
    m_webSiteLink->setAccessibleName(QStringLiteral("Site web de l'éditeur"));
    m_webSiteLink->setCursor(Qt::PointingHandCursor);

    m_appIcon = new QLabel(this);
    m_appIcon->setGeometry(twipsRect(120, 240, 720, 720));
    m_appIcon->setPixmap(picture(QStringLiteral(":/icon.png")));
    m_appIcon->setAccessibleName(QStringLiteral("Icône de Lumo-RAZazu"));
    m_appIcon->setScaledContents(true);

    // The two separator lines (0,1200)-(5549,1200) white, 2 pixels wide, and (0,1217)-(5564,1217)
    // grey: a wide line is centred on its row, so the white one takes the row above as well.
    m_separators[1] = line(this, QRect(0, px(1217), px(5564), 1), QColor(128, 128, 128));
    m_titleLabel =
        label(this, QStringLiteral("Lumo-RAZazu"), twipsRect(1080, 120, 3885, 240), comic(9.75, true), green);
    m_separators[0] = line(this, QRect(0, px(1200) - 1, px(5549), 2), Qt::white);
    m_versionLabel =
        label(this, QStringLiteral("Version 1.0.0"), twipsRect(1050, 480, 3885, 225), comic(8.25), green);
    m_emailLink = autoSized(label<ClickLabel>(this, QStringLiteral("E-Mail : ") + maker::eMail,
                                                twipsRect(720, 1320, 2625, 225), comic(8.25), lightCyan));
    m_emailLink->setToolTip(QStringLiteral("Envoyer un courriel"));
    m_emailLink->setAccessibleName(QStringLiteral("Écrire un courriel"));
    m_emailLink->setCursor(Qt::PointingHandCursor);

    // Upper block under the version, and the lower block above the donation picture.
    m_copyrightLabel = label(this, maker::copyright, twipsRect(1080, 780, 3885, 225), comic(8.25), green);
    m_freewareLabel = label(this, QStringLiteral("Logiciel FREEWARE"), twipsRect(1080, 1980, 2220, 285),
                   comic(9.75, true), Qt::white);
    m_freewareLabel->setAlignment(Qt::AlignCenter);

    setTabOrder(m_okButton, m_systemInfoButton);
    setTabOrder(m_systemInfoButton, m_detailsButton);

    // The names a reader of the old forms looks for.
    const std::pair<QObject*, const char*> names[] = {
        {m_detailsButton, "Command1"}, {m_okButton, "cmdOK"},          {m_systemInfoButton, "cmdSysInfo"},
        {m_donationPicture, "Image2"}, {m_webSiteLink, "Label3"},       {m_appIcon, "Image1"},
        {m_separators[0], "Line1_0"},  {m_separators[1], "Line1_1"},   {m_titleLabel, "lblTitle"},
        {m_versionLabel, "lblVersion"}, {m_copyrightLabel, "lblDescription"}, {m_emailLink, "lblDisclaimer"},
        {m_freewareLabel, "Label2"}};
    for (const auto& [object, name] : names)
        object->setObjectName(QLatin1String(name));
}

void AboutDialog::connectCommands() {
    const std::pair<QPushButton*, void (AboutDialog::*)()> clicks[] = {
        {m_okButton, &AboutDialog::closeDialog},
        {m_detailsButton, &AboutDialog::showDetails},
        {m_systemInfoButton, &AboutDialog::showSystemInformation}};
    for (const auto& [command, handler] : clicks)
        ui::onEvent(m_host, errorTitle, command, &QPushButton::clicked, this,
                    [this, handler = handler] { (this->*handler)(); });
    const std::pair<ClickLabel*, void (AboutDialog::*)()> links[] = {
        {m_donationPicture, &AboutDialog::openDonationPage},
        {m_webSiteLink, &AboutDialog::openWebSite},
        {m_emailLink, &AboutDialog::writeEmail}};
    for (const auto& [link, handler] : links)
        ui::onEvent(m_host, errorTitle, link, &ClickLabel::clicked, this,
                    [this, handler = handler] { (this->*handler)(); });
}

// The dialog is loaded when it is made and again at each showing after it has been closed (unloaded).
void AboutDialog::load() {
    m_okButton->setFocus();
    m_loaded = true;
    ui::runHandler(m_host, errorTitle, [this] { loadProductLines(); });
}

void AboutDialog::done(int result) {
    QDialog::done(result);
    m_loaded = false;
}

void AboutDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_loaded)
        load();
}

void AboutDialog::keyPressEvent(QKeyEvent* event) {
    // Esc presses OK, wherever the focus is.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        m_okButton->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AboutDialog::loadProductLines() {
    using namespace lumo::build;
    setWindowTitle(QStringLiteral("A propos ") + title);
    m_versionLabel->setText(QStringLiteral("Version %1.%2.%3").arg(versionMajor).arg(versionMinor).arg(versionPatch));
    m_titleLabel->setText(title);
}

void AboutDialog::closeDialog() {
    accept();
}

QString AboutDialog::detailsText() {
    const QChar cr(u'\r');
    return QStringLiteral("Lumo-RAZazu version 1.0.0") + cr + cr + maker::authorCopyright + cr +
           QStringLiteral("E-Mail : ") + maker::eMail + cr + QStringLiteral("Url : ") + maker::webSite + cr +
           cr + QStringLiteral("Logiciel FREEWARE");
}

void AboutDialog::showDetails() {
    m_host.showMessage(detailsText(), host::MessageKind::Information, QStringLiteral("A propos"));
}

void AboutDialog::showSystemInformation() {
    startSystemInformation(m_host);
}

void AboutDialog::openDonationPage() {
    m_host.openLink(maker::donationPage);
}

void AboutDialog::openWebSite() {
    m_host.openLink(maker::webSite);
}

void AboutDialog::writeEmail() {
    // A new mail is a courtesy: when it cannot be opened, the dialog says nothing.
    try {
        m_host.openLink(QStringLiteral("mailto:") + maker::eMail);
    } catch (const std::exception&) {
    }
}

} // namespace about
