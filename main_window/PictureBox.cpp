#include "PictureBox.h"

#include <QPainter>

namespace lumo {

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, pal.color(QPalette::Button));
    setPalette(pal);
}

QColor PictureBox::backgroundColor() const {
    return palette().color(QPalette::Button);
}

void PictureBox::setPicture(const QImage& picture) {
    m_picture = picture;
    update();
}

QImage PictureBox::renderedImage() const {
    QImage image(contentsRect().size(), QImage::Format_RGB32);
    image.fill(backgroundColor());
    QPainter painter(&image);
    painter.drawImage(QPoint(0, 0), m_picture);
    return image;
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (m_picture.isNull())
        return;
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.drawImage(contentsRect().topLeft(), m_picture);
}

} // namespace lumo
