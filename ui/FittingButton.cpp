#include "FittingButton.h"

#include <QStyleOptionButton>
#include <QStylePainter>

namespace ui {

namespace {

// Below this a caption is unreadable anyway: it is drawn clipped rather than smaller.
constexpr double smallestPoints = 5.0;

QFont fittingFont(const QFont& font, const QString& caption, QSize room) {
    QFont fitted = font;
    double points = font.pointSizeF();
    const auto fits = [&] {
        const QSize needed = QFontMetrics(fitted).size(Qt::TextShowMnemonic, caption);
        return needed.width() <= room.width() && QFontMetrics(fitted).height() <= room.height();
    };
    while (!fits() && points - 0.25 >= smallestPoints) {
        points -= 0.25;
        fitted.setPointSizeF(points);
    }
    return fitted;
}

} // namespace

void FittingButton::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    if (!option.text.isEmpty() && font().pointSizeF() > 0) {
        QSize room = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this).size();
        if (!option.icon.isNull())
            room.rwidth() -= option.iconSize.width() + 4;
        const QFont fitted = fittingFont(font(), option.text, room);
        painter.setFont(fitted);
        option.fontMetrics = QFontMetrics(fitted);
    }
    painter.drawControl(QStyle::CE_PushButton, option);
}

} // namespace ui
