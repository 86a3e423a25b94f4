#include "WindowKit.h"

#include "FittingButton.h"

#include <QIcon>

namespace ui {

void runHandler(host::Host& host, const QString& title, const std::function<void()>& handler) {
    try {
        handler();
    } catch (const host::Failure& failure) {
        host.showMessage(failure.message(), host::MessageKind::Critical, title);
    } catch (const std::exception& failure) {
        host.showMessage(QString::fromLocal8Bit(failure.what()), host::MessageKind::Critical, title);
    }
}

void makeFixedBlackWindow(QWidget& window, Qt::WindowType kind, QSize size) {
    window.setWindowFlags(kind | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    window.setFixedSize(size);
    window.setWindowIcon(QIcon(QStringLiteral(":/icon.png")));
    window.setAutoFillBackground(true);
    setColour(&window, QPalette::Window, Qt::black);
}

void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    QPalette pal = widget->palette();
    pal.setColor(role, colour);
    widget->setPalette(pal);
}

QPushButton* button(QWidget* parent, const QString& text, QRect geometry) {
    auto* b = new FittingButton(text, parent);
    b->setGeometry(geometry);
    return b;
}

} // namespace ui
