// The entry points of the printing module: the printer dialog and job that the real host loads at
// the first print, and the codes printed without a window for the command line.
#include "Failure.h"
#include "PrintCodes.h"
#include "PrintPlatform.h"
#include "QtPrinterJob.h"
#include "QtPrinting.h"

#include <QGuiApplication>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QtGlobal>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <type_traits>

extern "C" Q_DECL_EXPORT host::PrinterSupport* lumoCreatePrinterSupport() {
    try {
        return new printing::QtPrinting;
    } catch (...) {
        return nullptr;
    }
}

namespace printing {
namespace {

using host::Failure;

// The window's 201-pixel picture at 96 dpi.
constexpr double naturalMm = 201 * 25.4 / 96.0;
// Beyond any QR code and any sensible quiet zone: keeps the picture's size far from overflow.
constexpr int widthLimit = 1024;

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

// Qt prints only with an application object: for a caller without one, one for the call, on a
// platform that needs no display. The caller gets its process back as it was: its locale (Qt sets
// the environment's) and no Qt diagnostics, in English, mixed into its own output meanwhile.
class CallApplication {
public:
    CallApplication() {
        if (QCoreApplication::instance()) {
            if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
                throw Failure(QStringLiteral("L'impression n'est pas possible depuis ce programme."));
            return;
        }
        if (const char* locale = std::setlocale(LC_ALL, nullptr))
            m_locale = locale;
        m_previousHandler = qInstallMessageHandler(quiet);
        try {
            m_app = std::make_unique<QGuiApplication>(m_argc, m_argv);
        } catch (...) {
            qInstallMessageHandler(m_previousHandler);
            throw;
        }
    }
    ~CallApplication() {
        if (!m_app)
            return;
        m_app.reset();
        qInstallMessageHandler(m_previousHandler);
        std::setlocale(LC_ALL, m_locale.c_str());
    }
    CallApplication(const CallApplication&) = delete;
    CallApplication& operator=(const CallApplication&) = delete;

private:
    // Qt keeps argc and argv for the application's lifetime.
    std::string m_name = "lumo-razazu", m_option = "-platform", m_platform = host::windowlessPrintPlatform();
    char* m_argv[4] = {m_name.data(), m_option.data(), m_platform.data(), nullptr};
    int m_argc = 3;
    std::string m_locale = "C";
    QtMessageHandler m_previousHandler = nullptr;
    std::unique_ptr<QGuiApplication> m_app;
};

// The code and its quiet zone, one pixel a module, dark modules black.
QImage codePicture(const LumoPrintCode& code, int margin) {
    const int side = code.width + 2 * margin;
    QImage picture(side, side, QImage::Format_Grayscale8);
    if (picture.isNull())
        throw std::bad_alloc();
    picture.fill(255);
    for (int y = 0; y < code.width; ++y) {
        uchar* line = picture.scanLine(y + margin) + margin;
        const unsigned char* row = code.modules + static_cast<std::size_t>(y) * code.width;
        for (int x = 0; x < code.width; ++x)
            line[x] = row[x] ? 0 : 255;
    }
    return picture;
}

void checkJob(const LumoPrintJob* job) {
    const auto incomplete = [] { return Failure(QStringLiteral("La demande d'impression est incomplète.")); };
    if (!job || !job->codes || job->count <= 0)
        throw Failure(QStringLiteral("Il n'y a aucun QR-Code à imprimer."));
    if (job->margin < 0 || job->margin > widthLimit || !std::isfinite(job->sideMm) || job->sideMm < 0)
        throw incomplete();
    for (int i = 0; i < job->count; ++i)
        if (!job->codes[i].modules || job->codes[i].width <= 0 || job->codes[i].width > widthLimit)
            throw incomplete();
}

// The named queue, or the default one, as the job's printer.
QString chooseQueue(const LumoPrintJob& job, QPrinter& printer) {
    QString queue = job.queue ? QString::fromUtf8(job.queue) : QString();
    if (queue.isEmpty()) {
        queue = QPrinterInfo::defaultPrinterName();
        if (queue.isEmpty())
            throw Failure(QStringLiteral("Aucune imprimante par défaut n'est définie."));
    } else if (!QPrinterInfo::availablePrinterNames().contains(queue)) {
        throw Failure(QStringLiteral("L'imprimante « %1 » n'existe pas.").arg(queue));
    }
    printer.setPrinterName(queue);
    if (printer.outputFormat() != QPrinter::NativeFormat || printer.printerName() != queue || !printer.isValid())
        throw Failure(QStringLiteral("L'imprimante « %1 » n'est pas disponible.").arg(queue));
    return queue;
}

void printCodes(const LumoPrintJob& job) {
    CallApplication application;
    QPrinter printer(QPrinter::HighResolution);
    const QString queue = chooseQueue(job, printer);
    printer.setDocName(job.title && *job.title ? QString::fromUtf8(job.title) : QStringLiteral("QR-Code"));

    // As the window prints: 1 mm into the printable area, which must hold the whole square.
    const double side = job.sideMm > 0 ? job.sideMm : naturalMm;
    const QMarginsF area = printableArea(printer);
    const QSizeF paper = printer.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const double room = std::min(paper.width() - area.left() - area.right(), paper.height() - area.top() - area.bottom()) - 1.0;
    if (side > room)
        throw Failure(QStringLiteral("Un QR-Code de %1 mm ne tient pas sur la page de « %2 » (%3 mm au plus).")
                          .arg(QLocale(QLocale::French).toString(side, 'f', 1), queue,
                               QLocale(QLocale::French).toString(std::floor(room * 10) / 10, 'f', 1)));

    const QColor ink = QColor::fromRgb(0xff000000u | job.foreground);
    const QColor background = QColor::fromRgb(0xff000000u | job.background);
    QtPrinterJob printerJob(printer);
    for (int i = 0; i < job.count; ++i)
        printerJob.addCodePage(codePicture(job.codes[i], job.margin), QPointF(1.0, 1.0), side, ink, background);
    printerJob.finish();
}

// The reason as UTF-8, cut at a character's boundary to fit, zero-terminated; empty when even
// that fails.
void giveReason(const QString& text, char* reason, std::size_t size) noexcept try {
    if (!reason || size == 0)
        return;
    reason[0] = '\0';
    const QByteArray bytes = text.toUtf8();
    std::size_t length = std::min<std::size_t>(bytes.size(), size - 1);
    while (length > 0 && length < static_cast<std::size_t>(bytes.size()) && (bytes[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(reason, bytes.constData(), length);
    reason[length] = '\0';
} catch (...) {
}

} // namespace
} // namespace printing

extern "C" Q_DECL_EXPORT int lumoPrintCodes(const LumoPrintJob* job, char* reason, std::size_t reasonSize) {
    using printing::giveReason;
    try {
        printing::checkJob(job);
        printing::printCodes(*job);
        giveReason(QString(), reason, reasonSize);
        return 0;
    } catch (const host::Failure& failure) {
        giveReason(failure.message(), reason, reasonSize);
    } catch (const std::bad_alloc&) {
        giveReason(QStringLiteral("La mémoire ne suffit pas pour imprimer."), reason, reasonSize);
    } catch (...) {
        giveReason(QStringLiteral("L'impression a échoué."), reason, reasonSize);
    }
    return 1;
}
static_assert(std::is_same_v<decltype(&lumoPrintCodes), PrintCodesEntry>);
