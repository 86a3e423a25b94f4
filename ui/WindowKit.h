#pragma once
// The scaffolding both windows are built with.
#include "Host.h"

#include <QColor>
#include <QPushButton>
#include <QRect>
#include <QWidget>
#include <functional>

namespace ui {

// Runs one event's handler: a failure that escapes it is shown in a critical message titled
// title, and the window goes on as it was.
void runHandler(host::Host& host, const QString& title, const std::function<void()>& handler);

// Runs the handler through runHandler at every emission of the signal.
template <class Sender, class Signal>
void onEvent(host::Host& host, const QString& title, Sender* sender, Signal signal, QObject* context,
             std::function<void()> handler) {
    QObject::connect(sender, signal, context,
                     [&host, title, handler = std::move(handler)] { runHandler(host, title, handler); });
}

// A window of fixed size on black ground, with a close box and the system menu but no minimise or
// maximise button; kind is Qt::Window or Qt::Dialog.
void makeFixedBlackWindow(QWidget& window, Qt::WindowType kind, QSize size);

// One colour of a widget's palette.
void setColour(QWidget* widget, QPalette::ColorRole role, const QColor& colour);

// A push button at this place, whose caption shrinks to fit it (FittingButton).
QPushButton* button(QWidget* parent, const QString& text, QRect geometry);

} // namespace ui
