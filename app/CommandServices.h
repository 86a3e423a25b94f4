#pragma once
// What the command line needs from outside the process, with no Qt type: the encoder, the JPEG
// converter and the printing module loaded by absolute path, the lock and the complete-or-absent
// writer. The tests put a fake in its place.
#include "PrintCodes.h"
#include "TurnLock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace app {

// A QR symbol in memory: width modules a side, row after row, 1 for dark; set when code is 0.
struct Symbol {
    int code = 0;
    int systemError = 0;
    int width = 0;
    std::vector<unsigned char> modules;
};

// width × height pixels, row after row, each 0xRRGGBB.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// A library's result code, with the system's reason (an errno value) behind a file failure.
struct LibraryResult {
    int code = 0;
    int systemError = 0;
};

class CommandServices {
public:
    virtual ~CommandServices() = default;
    // Each throws host::PlainFailure when its library or entry point cannot be found.
    // QRCodeLibSymbol: options are its defaults, or an error correction level. Called from
    // several threads at once in a batch.
    virtual Symbol encodeSymbol(const std::string& text, int options) = 0;
    // LIWriteJpg: the picture as a JPEG at path, complete or absent.
    virtual LibraryResult writeJpeg(const Picture& picture, const std::string& path, int quality, int flag) = 0;
    // The bytes at path, complete or absent; a link there is written through. Throws PlainFailure.
    virtual void writeFile(const std::string& path, const std::string& bytes) = 0;
    // The lock the window's host takes beside its own file. Throws PlainFailure.
    virtual std::unique_ptr<host::TurnLock> lockFile(const std::string& path) = 0;
    // The printing module's lumoPrintCodes: 0, or non-zero with the French reason.
    virtual int printCodes(const LumoPrintJob& job, std::string& reason) = 0;
};

// The real services, the libraries looked up in these folders only.
std::unique_ptr<CommandServices> systemServices(std::vector<std::string> libraryFolders);

// A name or a text as shown in a message: bytes that are not UTF-8 become U+FFFD.
std::string shownText(const std::string& bytes);

} // namespace app
