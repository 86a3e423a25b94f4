#include "frmAbout.h"

#include "ClickLabel.h"
#include "Maker.h"
#include "SysInfo.h"
#include "Twips.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace about {

namespace {

const QString errorTitle = QStringLiteral("Lumo-RAZazu");
constexpr int SW_SHOWNORMAL = 1;

using host::px;
using host::twipsRect;

QFont comic(double points, bool bold = false) {
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
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

QPushButton* button(QWidget* parent, const QString& text, QRect geometry) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(geometry);
    return b;
}

QFrame* line(QWidget* parent, QRect geometry, const QColor& colour) {
    auto* l = new QFrame(parent);
    l->setGeometry(geometry);
    l->setAutoFillBackground(true);
    setColour(l, QPalette::Window, colour);
    return l;
}

} // namespace

frmAbout::frmAbout(host::Host& host, QWidget* parent) : QDialog(parent), m_host(host) {
    buildLayout();
    load();
}

void frmAbout::buildLayout() {
    // Fixed dialog border: a close box, no minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(px(5730), px(3255));
    setModal(true);
    setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    setAutoFillBackground(true);
    setColour(this, QPalette::Window, Qt::black);

    const QColor green(0, 255, 0);
    const QColor lightCyan(192, 255, 255);

    // Stored order: the later control lies above the earlier one.
    Command1 = button(this, QStringLiteral("Détails..."), twipsRect(3960, 2160, 1455, 375));
    Command1->setFont(comic(8.25));
    cmdOK = button(this, QStringLiteral("OK"), twipsRect(3960, 1440, 1500, 585));
    cmdOK->setFont(comic(8.25, true));
    cmdOK->setDefault(true);
    cmdSysInfo = button(this, QStringLiteral("&Système Info..."), twipsRect(3960, 2640, 1485, 345));
    cmdSysInfo->setToolTip(QStringLiteral("Informations système"));

    Image2 = new ClickLabel(this);
    Image2->setGeometry(twipsRect(1440, 2400, 1500, 660));
    Image2->setPixmap(QPixmap(QStringLiteral(":/donate.gif")));
    Image2->setToolTip(
        QStringLiteral("Faire un don avec PayPal - Un solution gratuite, rapide et sécurisée."));
    Image2->setCursor(Qt::PointingHandCursor);

    Label3 = autoSized(label<ClickLabel>(this, QStringLiteral("URL : ") + maker::webSite,
                                         twipsRect(1080, 1680, 2115, 225), comic(8.25), lightCyan));
    Label3->setToolTip(QStringLiteral("Visitez le site officiel Orbane"));
    Label3->setCursor(Qt::PointingHandCursor);

    Image1 = new QLabel(this);
    Image1->setGeometry(twipsRect(120, 240, 720, 720));
    Image1->setPixmap(QPixmap(QStringLiteral(":/icon.png")));
    Image1->setScaledContents(true);

    // The two separator lines (0,1200)-(5549,1200) white, 2 pixels wide, and (0,1217)-(5564,1217)
    // grey: a wide line is centred on its row, so the white one takes the row above as well.
    Line1[1] = line(this, QRect(0, px(1217), px(5564), 1), QColor(128, 128, 128));
    lblTitle =
        label(this, QStringLiteral("Lumo-RAZazu"), twipsRect(1080, 120, 3885, 240), comic(9.75, true), green);
    Line1[0] = line(this, QRect(0, px(1200) - 1, px(5549), 2), Qt::white);
    lblVersion =
        label(this, QStringLiteral("Version 1.0.0"), twipsRect(1050, 480, 3885, 225), comic(8.25), green);
    lblDisclaimer = autoSized(label<ClickLabel>(this, QStringLiteral("E-Mail : ") + maker::eMail,
                                                twipsRect(720, 1320, 2625, 225), comic(8.25), lightCyan));
    lblDisclaimer->setToolTip(QStringLiteral("Envoyer un courriel"));
    lblDisclaimer->setCursor(Qt::PointingHandCursor);

    // Upper block under the version, and the lower block above the donation picture.
    lblDescription = label(this, maker::copyright, twipsRect(1080, 780, 3885, 225), comic(8.25), green);
    Label2 = label(this, QStringLiteral("Logiciel FREEWARE"), twipsRect(1080, 1980, 2220, 285),
                   comic(9.75, true), Qt::white);
    Label2->setAlignment(Qt::AlignCenter);

    setTabOrder(cmdOK, cmdSysInfo);
    setTabOrder(cmdSysInfo, Command1);

    const std::pair<QPushButton*, void (frmAbout::*)()> clicks[] = {
        {cmdOK, &frmAbout::cmdOK_Click},
        {Command1, &frmAbout::Command1_Click},
        {cmdSysInfo, &frmAbout::cmdSysInfo_Click}};
    for (const auto& [command, handler] : clicks)
        connect(command, &QPushButton::clicked, this,
                [this, handler = handler] { runHandler([this, handler] { (this->*handler)(); }); });
    const std::pair<ClickLabel*, void (frmAbout::*)()> links[] = {
        {Image2, &frmAbout::Image2_Click},
        {Label3, &frmAbout::Label3_Click},
        {lblDisclaimer, &frmAbout::lblDisclaimer_Click}};
    for (const auto& [link, handler] : links)
        connect(link, &ClickLabel::clicked, this,
                [this, handler = handler] { runHandler([this, handler] { (this->*handler)(); }); });
}

void frmAbout::runHandler(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const host::Failure& failure) {
        m_host.messageBox(failure.message(), host::vbCritical, errorTitle);
    } catch (const std::exception& failure) {
        m_host.messageBox(QString::fromLocal8Bit(failure.what()), host::vbCritical, errorTitle);
    }
}

// The dialog is loaded when it is made and again at each showing after it has been closed (unloaded).
void frmAbout::load() {
    cmdOK->setFocus();
    m_loaded = true;
    runHandler([this] { Load(); });
}

void frmAbout::done(int result) {
    QDialog::done(result);
    m_loaded = false;
}

void frmAbout::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!m_loaded)
        load();
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
    // Esc presses OK, wherever the focus is.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdOK->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmAbout::Load() {
    setWindowTitle(QStringLiteral("A propos ") + m_host.appTitle());
    const host::Version version = m_host.appVersion();
    lblVersion->setText(
        QStringLiteral("Version %1.%2.%3").arg(version.major).arg(version.minor).arg(version.revision));
    lblTitle->setText(m_host.appTitle());
}

void frmAbout::cmdOK_Click() {
    accept();
}

QString frmAbout::detailsText() {
    const QChar cr(u'\r');
    return QStringLiteral("Lumo-RAZazu version 1.0.0") + cr + cr + maker::authorCopyright + cr +
           QStringLiteral("E-Mail : ") + maker::eMail + cr + QStringLiteral("Url : ") + maker::webSite + cr +
           cr + QStringLiteral("Logiciel FREEWARE");
}

void frmAbout::Command1_Click() {
    m_host.messageBox(detailsText(), host::vbInformation, QStringLiteral("A propos"));
}

void frmAbout::cmdSysInfo_Click() {
    StartSysInfo(m_host);
}

void frmAbout::Image2_Click() {
    m_host.shellExecute(this, QStringLiteral("Open"), maker::donationPage, QString(), m_host.appFolder(),
                        SW_SHOWNORMAL);
}

void frmAbout::Label3_Click() {
    m_host.shellExecute(this, QStringLiteral("Open"), maker::webSite, QString(), m_host.appFolder(),
                        SW_SHOWNORMAL);
}

void frmAbout::lblDisclaimer_Click() {
    // A new mail is a courtesy: when it cannot be opened, the dialog says nothing.
    try {
        m_host.shellExecute(this, QStringLiteral("Open"), QStringLiteral("mailto:") + maker::eMail,
                            std::nullopt, std::nullopt, SW_SHOWNORMAL);
    } catch (const std::exception&) {
    }
}

} // namespace about
