// A program as the command line is: no Qt linked, no Qt application. It loads the printing module
// by its path and prints one code per link through its entry point, then reports on three lines the
// entry's result, the locale after the call, and the reason.
//   Usage: print_codes_caller MODULE QUEUE|- SIDE_MM FOREGROUND BACKGROUND TITLE LINK...
#include "PrintCodes.h"
#include "QRCodeLib.h"

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <vector>

int main(int argc, char** argv) {
    if (argc < 8)
        return 100;
    void* module = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    const auto print = module ? reinterpret_cast<PrintCodesEntry>(dlsym(module, printCodesEntry)) : nullptr;
    if (!print)
        return 101;
    std::vector<std::vector<unsigned char>> symbols;
    std::vector<LumoPrintCode> codes;
    for (int i = 7; i < argc; ++i) {
        std::vector<unsigned char> modules(QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT);
        int32_t width = 0;
        if (QRCodeLibSymbol(argv[i], static_cast<int32_t>(std::strlen(argv[i])), QRCL_SYMBOL_DEFAULTS, modules.data(),
                            static_cast<int32_t>(modules.size()), &width) != QRCL_OK)
            return 102;
        symbols.push_back(std::move(modules));
        codes.push_back({symbols.back().data(), width});
    }
    const LumoPrintJob job{std::strcmp(argv[2], "-") == 0 ? nullptr : argv[2],
                           codes.data(),
                           static_cast<int>(codes.size()),
                           4,
                           static_cast<unsigned>(std::strtoul(argv[4], nullptr, 16)),
                           static_cast<unsigned>(std::strtoul(argv[5], nullptr, 16)),
                           std::strtod(argv[3], nullptr),
                           argv[6]};
    char reason[512];
    const int result = print(&job, reason, sizeof reason);
    std::printf("%d\n%s\n%s\n", result, std::setlocale(LC_ALL, nullptr), reason);
    return 0;
}
