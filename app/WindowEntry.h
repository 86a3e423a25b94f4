#pragma once
// The window module's one entry point (LumoWindow): everything Qt lives behind it, so a run
// without a window loads no Qt library. Plain C types only.

// Runs the main window until it closes; link: UTF-8, null for the window's own link. Returns the
// exit status.
using RunWindowEntry = int (*)(int argc, char** argv, const char* link);
inline constexpr char runWindowEntry[] = "lumoRunWindow";
