#pragma once
#include "Host.h"

#include <QDialog>

class QPushButton;

namespace about {

// The About dialog.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(host::Host& host, QWidget* parent = nullptr);

    QPushButton* cmdOK = nullptr;

private:
    host::Host& m_host;
};

} // namespace about
