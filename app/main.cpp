// Starts the tool: codes written or printed from the command line, or the window. The program
// links no Qt library: the window is the module LumoWindow, loaded only when it is asked for.
#include "CommandLine.h"
#include "NativeLibrary.h"
#include "NativePlatform.h"
#include "PlainFailure.h"
#include "WindowEntry.h"

#include <cstdio>
#include <iostream>

int main(int argc, char** argv) {
    // The arguments are read as bytes before anything else: a wrong line, help or a file to
    // write needs no display, and Qt's own options never come into it.
    const app::Request request = app::readArguments(argc, argv);
    const std::vector<std::string> folders = host::platform::libraryFoldersOf(host::platform::programFolder());
    if (request.kind != app::Request::Kind::Window) {
        host::platform::useParentConsole();
        host::platform::keepFreedMemory();
        std::ios::sync_with_stdio(false);
        return app::runWithoutWindow(*app::systemServices(folders), request, std::cin);
    }
    try {
        host::NativeLibrary window("LumoWindow", folders);
        const auto run = reinterpret_cast<RunWindowEntry>(window.entry(runWindowEntry));
        return run(argc, argv, request.link ? request.link->c_str() : nullptr);
    } catch (const host::PlainFailure& failure) {
        host::platform::useParentConsole();
        std::fputs((failure.message() + "\n").c_str(), stderr);
        return 1;
    }
}
