// LIBmpToJpg against Qt's own JPEG writer on the tool's 201 x 201 QR picture: BMP file in,
// JPEG file out, same quality. Prints the time ratios at the end (below 1: the library is faster).
#include "Lumo_Image_BmpJpg.h"
#include "QrPainting.h"

#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QSaveFile>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <unistd.h>

namespace {

constexpr int kSide = lumo::test::kPictureSide;
constexpr int kQuality = 80;

// /tmp by default; LUMO_BENCH_DIR=/dev/shm takes the disk out and leaves the work itself.
const QDir kFolder(qEnvironmentVariable("LUMO_BENCH_DIR", QDir::tempPath()));
const std::string kBmp = kFolder.filePath("lumo-bmpjpg-bench.bmp").toStdString();
const std::string kJpg = kFolder.filePath("lumo-bmpjpg-bench.jpg").toStdString();

// The picture the tool saves.
bool writeQrBmp() {
    QRcode* code = QRcode_encodeString("https://www.exemple.org/lumo-razazu/telechargement?v=1.0.0&lang=fr", 0,
                                       QR_ECLEVEL_M, QR_MODE_8, 1);
    if (!code)
        return false;
    const QImage image = lumo::test::paintQr(*code, kSide);
    QRcode_free(code);
    return image.save(QString::fromStdString(kBmp), "BMP");
}

void BM_LIBmpToJpg(benchmark::State& state) {
    const auto flag = static_cast<int32_t>(state.range(0));
    for (auto _ : state)
        if (LIBmpToJpg(kBmp.c_str(), kJpg.c_str(), kQuality, flag) != LIBJ_OK)
            state.SkipWithError("LIBmpToJpg failed");
}
BENCHMARK(BM_LIBmpToJpg)->ArgName("flag")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

void BM_QtJpegWriter(benchmark::State& state) {
    const QString bmp = QString::fromStdString(kBmp), jpg = QString::fromStdString(kJpg);
    for (auto _ : state) {
        QImage image;
        if (!image.load(bmp, "BMP") || !image.save(jpg, "JPEG", kQuality))
            state.SkipWithError("Qt could not convert");
    }
}
BENCHMARK(BM_QtJpegWriter)->Unit(benchmark::kMicrosecond);

// The same writer with the library's promise (complete or absent, flushed to disk): the fair
// match, since flushing costs far more than encoding a picture this small.
void BM_QtJpegWriterSaveFile(benchmark::State& state) {
    const QString bmp = QString::fromStdString(kBmp), jpg = QString::fromStdString(kJpg);
    for (auto _ : state) {
        QImage image;
        QSaveFile file(jpg);
        if (!image.load(bmp, "BMP") || !file.open(QIODevice::WriteOnly) || !image.save(&file, "JPEG", kQuality) ||
            !file.commit())
            state.SkipWithError("Qt could not convert");
    }
}
BENCHMARK(BM_QtJpegWriterSaveFile)->Unit(benchmark::kMicrosecond);

// Keeps each benchmark's times per iteration (the median when repeated) so the ratios to Qt's
// writers can be printed after the table. Wall time includes waiting for the disk, which other
// work on the machine makes noisy; CPU time is the steadier figure.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(::isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && !m_medians.contains(run.run_name.str())))
                m_times[run.run_name.str()] = {run.GetAdjustedRealTime(), run.GetAdjustedCPUTime()};
            if (median)
                m_medians.insert(run.run_name.str());
        }
    }
    void printRatios() const {
        for (const char* qtName : {"BM_QtJpegWriter", "BM_QtJpegWriterSaveFile"}) {
            const auto qt = m_times.find(qtName);
            if (qt == m_times.end())
                continue;
            for (const auto& [name, time] : m_times)
                if (name.starts_with("BM_LIBmpToJpg"))
                    std::printf("%-22s / %-24s = %.2f wall, %.2f CPU\n", name.c_str(), qtName,
                                time.wall / qt->second.wall, time.cpu / qt->second.cpu);
        }
    }

private:
    struct Times {
        double wall, cpu;
    };
    std::map<std::string, Times> m_times;
    std::set<std::string> m_medians;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);  // Qt's image plugins need an application object
    benchmark::Initialize(&argc, argv);
    if (!writeQrBmp()) {
        std::fprintf(stderr, "could not write %s\n", kBmp.c_str());
        return 1;
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.printRatios();
    benchmark::Shutdown();
    QFile::remove(QString::fromStdString(kBmp));
    QFile::remove(QString::fromStdString(kJpg));
    return 0;
}
