#include "ModulePainting.h"

#include <QPaintDevice>
#include <QPainter>
#include <map>
#include <utility>

namespace printing {

QPainterPath modulePath(const QImage& picture) {
    const QImage gray = picture.convertToFormat(QImage::Format_Grayscale8);
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    std::map<std::pair<int, int>, int> open; // [left, right) of a run -> its first row
    const auto close = [&](auto run, int bottom) {
        const auto [left, right] = run->first;
        path.addRect(left, run->second, right - left, bottom - run->second);
    };
    for (int y = 0; y <= gray.height(); ++y) {
        std::map<std::pair<int, int>, int> next;
        if (y < gray.height()) {
            const uchar* line = gray.constScanLine(y);
            for (int x = 0; x < gray.width();) {
                if (line[x] >= 128) {
                    ++x;
                    continue;
                }
                const int left = x;
                while (x < gray.width() && line[x] < 128)
                    ++x;
                const auto found = open.find({left, x});
                next.emplace(std::pair(left, x), found == open.end() ? y : found->second);
                if (found != open.end())
                    open.erase(found);
            }
        }
        for (auto run = open.begin(); run != open.end(); ++run)
            close(run, y);
        open = std::move(next);
    }
    return path;
}

void drawModules(QPainter& painter, const QImage& picture, QPointF topLeftMm, double sideMm, const QColor& ink,
                 const QColor& paper) {
    if (picture.isNull() || picture.width() == 0)
        return;
    const QPaintDevice* device = painter.device();
    const double perMmX = device->logicalDpiX() / 25.4;
    const double perMmY = device->logicalDpiY() / 25.4;
    const double pixelMm = sideMm / picture.width();
    QTransform toDevice;
    toDevice.translate(topLeftMm.x() * perMmX, topLeftMm.y() * perMmY);
    toDevice.scale(pixelMm * perMmX, pixelMm * perMmY);
    painter.save();
    // Edges exactly where they fall: no blending of a module into its neighbours.
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (paper.alpha() > 0)
        painter.fillRect(toDevice.mapRect(QRectF(picture.rect())), paper);
    painter.fillPath(toDevice.map(modulePath(picture)), ink);
    painter.restore();
}

} // namespace printing
