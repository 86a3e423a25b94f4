// The yardstick for the tool's start-up: a bare Qt window of the same size and widget count
// (a label, a line edit, a frame, eight buttons, a hidden helper) with nothing behind it.
#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStringLiteral("Fusion"));
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare-Window"));
    window.setFixedSize(393, 252);
    new QLabel(QStringLiteral("Lien :"), &window);
    (new QLineEdit(QStringLiteral("https://www.exemple.fr"), &window))->setGeometry(48, 8, 257, 25);
    (new QFrame(&window))->setGeometry(8, 40, 205, 205);
    for (int i = 0; i < 8; ++i)
        (new QPushButton(QStringLiteral("Bouton %1").arg(i), &window))->setGeometry(224, 40 + 25 * i, 161, 24);
    (new QWidget(&window))->hide();
    window.show();
    return QApplication::exec();
}
