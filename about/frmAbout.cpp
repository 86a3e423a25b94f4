#include "frmAbout.h"

#include <QPushButton>

namespace about {

frmAbout::frmAbout(host::Host& host, QWidget* parent) : QDialog(parent), m_host(host) {
    setWindowTitle(QStringLiteral("A propos ") + m_host.appTitle());
    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
}

} // namespace about
