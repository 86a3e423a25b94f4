#pragma once
// The tool's command line: a link for the window, or a code written to a file with no window.
#include "Host.h"

#include <QStringList>
#include <optional>

namespace app {

// True when the arguments ask for no window: a file to write, help or the version.
bool wantsNoWindow(int argc, char** argv);

// Writes the code the arguments ask for, or prints help or the version; the exit status: 0 done,
// 1 the text cannot be encoded or the file cannot be written, 2 a usage error. Messages in French
// on standard error.
int runWithoutWindow(host::Host& host, const QStringList& arguments);

// The link the window starts with: the one argument given, or none. A usage error is printed and
// gives the exit status instead.
struct WindowStart {
    std::optional<QString> link;
    std::optional<int> exitStatus;
};
WindowStart parseWindowArguments(const QStringList& arguments);

// The picture again with px pixels to a module and a quiet zone of 4 modules, from the encoder's
// picture (whole-pixel modules on white).
QImage withModuleSize(const QImage& picture, int px);

} // namespace app
