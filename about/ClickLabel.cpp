#include "ClickLabel.h"

#include <QMouseEvent>

namespace about {

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
    // Released outside, the press is taken back, as with a button.
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        event->accept();
        emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace about
