// What every platform's writer shares: the temporaries' names.
#include "AtomicWrite.h"
#include "AtomicWriteNames.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>

namespace lumo {

namespace {
constexpr char kLeftoverPrefix[] = ".lumo-";
constexpr char kSuffixLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr std::size_t kSuffixLength = 6;
} // namespace

namespace detail {

std::string folderOf(const std::string& path, const char* seps) {
    const auto slash = path.find_last_of(seps);
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string nameOf(const std::string& path, const char* seps) {
    const auto slash = path.find_last_of(seps);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Six letters unlikely to be in use; an exclusive create settles any clash. The counter's
// address differs between processes, the counter between calls.
std::string hiddenBeside(const std::string& path, const char* seps) {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t seed =
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    seed ^= (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(&counter)) << 16) ^
            (counter.fetch_add(1) * 0x9E3779B97F4A7C15u);
    std::string suffix = ".";
    for (std::size_t i = 0; i < kSuffixLength; ++i) {
        suffix += kSuffixLetters[seed % 36];
        seed /= 36;
    }
    return folderOf(path, seps) + seps[0] + kLeftoverPrefix + nameOf(path, seps) + suffix;
}

} // namespace detail

bool isLeftoverName(const char* name, const char* forName) noexcept {
    constexpr std::size_t prefix = sizeof kLeftoverPrefix - 1;
    const std::size_t length = std::strlen(name);
    // At least one character of name between the prefix and the suffix.
    if (length < prefix + 1 + 1 + kSuffixLength || std::strncmp(name, kLeftoverPrefix, prefix) != 0)
        return false;
    const char* suffix = name + length - kSuffixLength;
    if (suffix[-1] != '.' || std::strspn(suffix, kSuffixLetters) != kSuffixLength)
        return false;
    if (!forName)
        return true;
    const std::size_t named = length - prefix - 1 - kSuffixLength;
    return std::strlen(forName) == named && std::strncmp(name + prefix, forName, named) == 0;
}

} // namespace lumo
