// Starts the tool: a code written from the command line, or the window.
#include "BuildInfo.h"
#include "CommandLine.h"
#include "InterfaceFonts.h"
#include "MainWindow.h"
#include "QtHost.h"

#include <QApplication>
#include <QScreen>
#include <QStyle>
#include <cstdio>

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
    // No window, and no display needed, for a file written from the command line.
    if (app::wantsNoWindow(argc, argv)) {
        // Standard error is for the tool's own French messages, not Qt's notes on the session.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
            if (type == QtCriticalMsg || type == QtFatalMsg)
                std::fputs(qPrintable(text + u'\n'), stderr);
        });
        QCoreApplication core(argc, argv);
        nameTheApplication();
        host::QtHost host;
        host.speakFrench(); // Qt's own words in the parser's messages
        return app::runWithoutWindow(host, QCoreApplication::arguments());
    }

    QApplication application(argc, argv);
    nameTheApplication();
    QApplication::setApplicationDisplayName(QString());
    const app::WindowStart start = app::parseWindowArguments(QCoreApplication::arguments());
    if (start.exitStatus)
        return *start.exitStatus;
    QApplication::setStyle(QStringLiteral("Fusion"));
    ui::loadInterfaceFonts();
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icon.png")));

    host::QtHost host;
    lumo::MainWindow window(host, start.link.value_or(lumo::MainWindow::initialLink));
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           window.screen()->availableGeometry()));
    window.show();
    return QApplication::exec();
}
