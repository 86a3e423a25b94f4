#pragma once
// Names of the temporaries a write makes beside its target, shared by every platform's writer.
#include <string>

namespace lumo::detail {

// The folder part of path ("." when none), the separators being any of seps.
std::string folderOf(const std::string& path, const char* seps = "/");
std::string nameOf(const std::string& path, const char* seps = "/");
// A fresh hidden name beside path: ".lumo-<name>.xxxxxx" in its folder.
std::string hiddenBeside(const std::string& path, const char* seps);

} // namespace lumo::detail
