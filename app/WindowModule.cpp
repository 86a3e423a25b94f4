// The window, in the module LumoWindow that the program loads for a run with a window.
#include "BuildInfo.h"
#include "InterfaceFonts.h"
#include "MainWindow.h"
#include "QtHost.h"
#include "WindowEntry.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <type_traits>

extern "C" Q_DECL_EXPORT int lumoRunWindow(int argc, char** argv, const char* link) {
    static_assert(std::is_same_v<decltype(&lumoRunWindow), RunWindowEntry>);
    (void)argc;
    // Qt is given the program's name alone: the link is ours, whatever it looks like.
    int noArguments = 1;
    QApplication application(noArguments, argv);
    QCoreApplication::setApplicationName(QStringLiteral("lumo-razazu"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(lumo::build::versionMajor)
                                                .arg(lumo::build::versionMinor)
                                                .arg(lumo::build::versionPatch));
    QApplication::setApplicationDisplayName(QString());
    QApplication::setStyle(QStringLiteral("Fusion"));
    ui::loadInterfaceFonts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    host::QtHost host;
    lumo::MainWindow window(host, link ? QString::fromUtf8(link) : lumo::MainWindow::initialLink);
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return QApplication::exec();
}
