#pragma once
#include <QPushButton>

namespace ui {

// A push button that draws its caption in its own font where it fits, and otherwise in the
// largest smaller size that fits: a desktop's larger default font never clips a caption.
class FittingButton : public QPushButton {
    Q_OBJECT
public:
    explicit FittingButton(const QString& text, QWidget* parent = nullptr) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace ui
