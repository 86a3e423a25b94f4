#pragma once
#include <QPushButton>

namespace lumo {

// A push button whose caption wraps onto several lines when it is wider than the button.
class WrappingButton : public QPushButton {
    Q_OBJECT
public:
    explicit WrappingButton(const QString& text, QWidget* parent = nullptr) : QPushButton(text, parent) {}

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace lumo
