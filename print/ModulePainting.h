#pragma once
// A code's modules as exact black squares, drawn as one vector path: no scaling of the picture, so
// no printer or viewer smooths a module edge into grey.
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>

class QPainter;

namespace printing {

// The picture's dark pixels as rectangles in picture pixels: a run of dark pixels in a row, grown
// downwards while the rows below repeat it. A code's picture is drawn in whole pixels per module,
// so every module comes out as an exact square.
QPainterPath modulePath(const QImage& picture);

// Fills the picture's dark modules in ink, scaled so that the picture's width is sideMm, its
// top-left corner at topLeftMm, on a painter that works in the device's pixels; the whole square
// first in paper, unless it is transparent.
void drawModules(QPainter& painter, const QImage& picture, QPointF topLeftMm, double sideMm,
                 const QColor& ink = Qt::black, const QColor& paper = Qt::transparent);

} // namespace printing
