#pragma once
// Printing codes without a window: the printing module's entry point for the command line. Plain C
// types only, so a caller that links no Qt library can load the module and call it.
#include <cstddef>

// One code: width × width modules, row after row, 1 for dark.
struct LumoPrintCode {
    const unsigned char* modules;
    int width;
};

struct LumoPrintJob {
    const char* queue;             // UTF-8 queue name; null or empty for the default queue
    const LumoPrintCode* codes;    // one page each, in one job
    int count;
    int margin;                    // quiet zone, in modules
    unsigned foreground;           // 0xRRGGBB
    unsigned background;           // 0xRRGGBB
    double sideMm;                 // printed side, quiet zone included; 0 for the window's natural size
    const char* title;             // UTF-8 job title
};

// 0 when the spooler took every page; otherwise non-zero with a French reason (UTF-8, cut to fit)
// in reason.
using PrintCodesEntry = int (*)(const LumoPrintJob* job, char* reason, std::size_t reasonSize);
inline constexpr char printCodesEntry[] = "lumoPrintCodes";
