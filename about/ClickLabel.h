#pragma once
#include <QLabel>

namespace about {

// A label (text or picture) that reacts to a click: the left button released over it.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

} // namespace about
