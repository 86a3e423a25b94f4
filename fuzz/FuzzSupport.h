#pragma once
// What every fuzz target needs around the code under test: a private scratch folder on a fast file
// system, and plain looks at the files in it.
#include <cstdint>
#include <string>
#include <vector>

namespace fuzzsupport {

// A new empty folder for this process, removed with everything in it when the process ends.
// On /dev/shm where there is one: the libraries flush every file they write, which costs a disk
// write per run elsewhere.
const std::string& scratchFolder();

// Names of the entries of a folder, sorted, without "." and "..".
std::vector<std::string> entriesOf(const std::string& folder);

bool exists(const std::string& path);
std::vector<std::uint8_t> readFile(const std::string& path);
void writeFile(const std::string& path, const void* data, std::size_t size);

// Ends the run as a finding, with a line that says what broke; libFuzzer keeps the input.
[[noreturn]] void fail(const std::string& what);

} // namespace fuzzsupport

// Checks an oracle; a broken one is a finding.
#define FUZZ_CHECK(condition, what)                                                                          \
    do {                                                                                                     \
        if (!(condition))                                                                                    \
            ::fuzzsupport::fail(std::string(what) + " [" #condition "]");                                    \
    } while (0)
