// Starts the tool: a code written from the command line, or the window.
#include "BuildInfo.h"
#include "CommandLine.h"
#include "InterfaceFonts.h"
#include "MainWindow.h"
#include "Platform.h"
#include "QtHost.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <cstdio>
#include <iostream>

namespace {

void nameTheApplication() {
    QCoreApplication::setApplicationName(QStringLiteral("lumo-razazu"));
    QCoreApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                                .arg(lumo::build::versionMajor)
                                                .arg(lumo::build::versionMinor)
                                                .arg(lumo::build::versionPatch));
}

} // namespace

int main(int argc, char** argv) {
    // The arguments are read before Qt sees them: a wrong line, help or a file to write needs no
    // display, and Qt's own options and English messages never come into it.
    const app::Request request = app::readArguments(argc, argv);
    if (request.kind != app::Request::Kind::Window) {
        host::platform::useParentConsole();
        // Standard error is for the tool's own French messages, not Qt's notes on the session.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fputs(qPrintable(text + u'\n'), stderr);
        });
        int noArguments = 1;
        QCoreApplication core(noArguments, argv);
        nameTheApplication();
        host::QtHost host;
        return app::runWithoutWindow(host, request, std::cin);
    }

    // Qt is given the program's name alone: the link is ours, whatever it looks like.
    int noArguments = 1;
    QApplication application(noArguments, argv);
    nameTheApplication();
    QApplication::setApplicationDisplayName(QString());
    QApplication::setStyle(QStringLiteral("Fusion"));
    ui::loadInterfaceFonts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    host::QtHost host;
    lumo::MainWindow window(host, request.link.isNull() ? lumo::MainWindow::initialLink
                                                        : QString::fromUtf8(request.link));
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return QApplication::exec();
}
