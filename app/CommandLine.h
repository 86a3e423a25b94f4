#pragma once
// The tool's command line: a link for the window, or codes written to files or printed with no
// window. No Qt type: a run without a window loads no Qt library.
#include "CommandServices.h"

#include <istream>
#include <optional>
#include <string>

namespace app {

// What the arguments ask for, read from the bytes the system gave, before any application object
// exists: only no argument or one link opens the window; any option makes a run without one.
struct Request {
    enum class Kind { Window, Write, Help, Version, Wrong };
    Kind kind = Kind::Window;
    std::optional<std::string> link;   // the window's link (none: its own) or the text to write; "-": standard input
    std::optional<std::string> output; // the target, as the system's bytes; none: printed only
    int quality = 100; // JPEG only
    std::optional<int> module; // pixels per module; none: the window's picture
    int level = 0;     // QRCodeLibSymbol's options: the encoder's choice, or L, M, Q, H
    int margin = 4;    // quiet zone, in modules
    std::optional<double> size;  // millimetres a side of a drawing or a printed code; none: its natural size
    unsigned foreground = 0x000000, background = 0xffffff; // RRGGBB
    std::optional<std::string> batch; // a file of links, one a line ("-": standard input); none: one link
    std::optional<std::string> print; // the printer's queue ("": the default one); none: no printing
    std::string error; // Wrong: what is wrong, in French
    int status = 2;    // Wrong: the exit status
};
Request readArguments(int argc, const char* const* argv);

// Carries out a request other than Window: writes or prints the code (or one per line of a
// batch), or prints help, the version or what is wrong. The exit status: 0 done, 1 a text cannot
// be encoded, a file cannot be written or the printer refused (any line of a batch), 2 a wrong
// command line. Messages in French on standard error; "-" reads input.
int runWithoutWindow(CommandServices& services, const Request& request, std::istream& input);

} // namespace app
