// Starts the tool: the application, the French standard dialogs, the main window.
#include "InterfaceFonts.h"
#include "LumoQRCode.h"
#include "QtHost.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QStyle>
#include <QTranslator>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("lumo-razazu"));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setStyle(QStringLiteral("Fusion"));
    host::loadInterfaceFonts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    QTranslator qtFrench;
    if (qtFrench.load(QLocale(QLocale::French, QLocale::France), QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);

    host::QtHost host;
    lumo::LumoQRCode window(host);
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return QApplication::exec();
}
