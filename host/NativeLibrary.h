#pragma once
// A library of the program bound by base name at its first use, with no Qt type: the tool starts
// and runs without it, and only the command that needs it fails.
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace host {

class NativeLibrary {
public:
    // baseName without prefix or suffix ("QRCodeLib"); the folders are searched in order, and
    // nowhere else: no search by bare name, which a planted file could answer.
    NativeLibrary(std::string baseName, std::vector<std::string> folders);
    // Address of the entry point, looked up once. Throws PlainFailure naming what is missing.
    // Safe from several threads at once.
    void* entry(const char* name);

private:
    void load();
    std::string m_baseName;
    std::vector<std::string> m_folders;
    void* m_library = nullptr;
    std::string m_fileName;
    std::map<std::string, void*> m_entries;
    std::mutex m_mutex;
};

} // namespace host
