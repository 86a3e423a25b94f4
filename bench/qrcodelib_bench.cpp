// FastQRCode (level choice, picture, file written and flushed) against the floor no encoder
// library can beat: libqrencode encoding the same text at level L, nothing written.
// Goal: at most 1.5x the floor at version 40.
#include "QRCodeLib.h"

#include <benchmark/benchmark.h>
#include <qrencode.h>

#include <string>
#include <unistd.h>

namespace {

const std::string kUrl = "https://www.example.fr/chemin/page?id=42"; // 40 bytes

// 2,900 bytes of byte-mode text: version 40 at level L, too long for M.
std::string longText() {
    std::string text;
    while (text.size() < 2900)
        text += "abcdefghijklmnopqrstuvwxyz./-_";
    text.resize(2900);
    return text;
}

void floorEncode(benchmark::State& state, const std::string& text) {
    for (auto _ : state) {
        QRcode* code = QRcode_encodeString(text.c_str(), 0, QR_ECLEVEL_L, QR_MODE_8, 1);
        benchmark::DoNotOptimize(code);
        QRcode_free(code);
    }
}

void fastQRCode(benchmark::State& state, const std::string& text) {
    const std::string path = "/tmp/qrcodelib_bench_" + std::to_string(::getpid()) + ".bmp";
    for (auto _ : state)
        if (FastQRCode(text.c_str(), path.c_str()) != QRCL_OK)
            state.SkipWithError("FastQRCode failed");
    ::unlink(path.c_str());
}

BENCHMARK_CAPTURE(floorEncode, url40, kUrl)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fastQRCode, url40, kUrl)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(floorEncode, text2900, longText())->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(fastQRCode, text2900, longText())->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
