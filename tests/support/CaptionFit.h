#pragma once
// Whether a button's caption shows whole, measured on what the button paints.
#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QString>
#include <vector>

namespace testsupport {

// The box of the pixels the caption inks, drawn in pure red for the occasion.
inline QRect captionInk(QPushButton& button) {
    const QPalette before = button.palette();
    QPalette red = before;
    red.setColor(QPalette::ButtonText, Qt::red);
    button.setPalette(red);
    const QImage shot = button.grab().toImage();
    button.setPalette(before);
    QRect ink;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x)
            if (const QColor c = shot.pixelColor(x, y); c.red() - c.green() > 80)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// The buttons whose caption runs onto the frame or past the edge, as "caption at N pt", in a
// window made anew under each default application font size from 8 to 12 points (a desktop
// theme's font is there before the tool's first window).
template <class Window, class... Arguments> std::vector<QString> clippedCaptions(Arguments&... arguments) {
    const QFont before = QApplication::font();
    std::vector<QString> clipped;
    for (int points = 8; points <= 12; ++points) {
        QFont font = before;
        font.setPointSize(points);
        QApplication::setFont(font);
        Window window(arguments...);
        for (QPushButton* button : window.template findChildren<QPushButton*>()) {
            if (button->text().isEmpty())
                continue;
            const QRect ink = captionInk(*button);
            if (ink.isEmpty() || !button->rect().adjusted(2, 2, -2, -2).contains(ink))
                clipped.push_back(QStringLiteral("%1 at %2 pt").arg(button->text()).arg(points));
        }
    }
    QApplication::setFont(before);
    return clipped;
}

} // namespace testsupport
