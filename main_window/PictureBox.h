#pragma once
#include <QFrame>
#include <QImage>

namespace lumo {

// The preview box: shows its loaded picture at natural size from the top-left corner of its
// drawing area, cut at the edges, on the button-face colour. It never scales nor resizes.
class PictureBox : public QFrame {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    const QImage& picture() const { return m_picture; }
    void setPicture(const QImage& picture);
    // The bitmap of the whole drawing area, as it is shown.
    QImage renderedImage() const;
    QColor backgroundColor() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

} // namespace lumo
