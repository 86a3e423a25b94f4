#pragma once
#include "Host.h"

#include <QImage>
#include <QRectF>
#include <vector>

class QPrinter;

namespace host {

// Printer operations on the QPrinter that the printer dialog set up.
//
// The page is composed here and handed to the QPrinter whole by endDoc: Qt's PDF and CUPS print
// engines cannot abort (QPrinter::abort() returns false and ending the painter sends the job), so
// a job that reached the QPrinter could no longer be dropped by killDoc.
class QtPrinterJob final : public Printer {
public:
    explicit QtPrinterJob(QPrinter& printer);

    // Scale units of the printer object; the default is twips.
    enum ScaleMode : int { vbTwips = 1, vbPoints = 2, vbPixels = 3, vbInches = 5, vbCentimeters = 7 };

    void printEmptyLine() override;
    void setScaleMode(int unit) override;
    void paintPicture(const QImage& picture, double x, double y) override;
    void endDoc() override;
    void killDoc() override;

    // True between the first output and endDoc or killDoc.
    bool isOpen() const { return m_open; }

private:
    struct Placed {
        QImage image;  // already at device resolution
        QRectF target; // device pixels from the top-left corner of the printable area
    };
    void open();
    void drop();
    double unitInDevicePixels() const;

    QPrinter& m_printer;
    bool m_open = false;
    int m_scaleMode = vbTwips;
    std::vector<Placed> m_page;
};

} // namespace host
