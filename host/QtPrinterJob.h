#pragma once
#include "Host.h"

#include <QPainter>

class QPrinter;

namespace host {

// Printer operations on the QPrinter that the printer dialog set up.
class QtPrinterJob final : public Printer {
public:
    explicit QtPrinterJob(QPrinter& printer);
    void printEmptyLine() override;
    void setScaleMode(int unit) override;
    void paintPicture(const QImage& picture, double x, double y) override;
    void endDoc() override;
    void killDoc() override;

private:
    QPrinter& m_printer;
    QPainter m_painter;
    double m_unitInDevicePixels = 1.0;
};

} // namespace host
