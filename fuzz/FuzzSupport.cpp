#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace fuzzsupport {

namespace fs = std::filesystem;

namespace {

std::string g_folder;

void removeFolder() {
    std::error_code ignored;
    fs::remove_all(g_folder, ignored);
}

} // namespace

const std::string& scratchFolder() {
    if (g_folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        std::string base = fs::is_directory("/dev/shm") ? "/dev/shm" : tmp && *tmp ? tmp : "/tmp";
        std::string pattern = base + "/lumo-fuzz.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            fail("cannot create a scratch folder in " + base);
        g_folder = pattern;
        std::atexit(removeFolder);
    }
    return g_folder;
}

std::vector<std::string> entriesOf(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

bool exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(fs::symlink_status(path, ignored));
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void writeFile(const std::string& path, const void* data, std::size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    if (!out.flush())
        fail("cannot write " + path);
}

void fail(const std::string& what) {
    std::fprintf(stderr, "FUZZ FINDING: %s\n", what.c_str());
    std::fflush(stderr);
    if (!g_folder.empty()) // abort runs no atexit handler
        removeFolder();
    std::abort();
}

} // namespace fuzzsupport
