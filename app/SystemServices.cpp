// The command line's real services: the libraries loaded by absolute path at first use, no Qt.
#include "CommandServices.h"

#include "AtomicWrite.h"
#include "NativeLibrary.h"
#include "NativePlatform.h"
#include "PlainFailure.h"
#include "QRCodeLib.h"
#include "SystemCause.h"

#include <cstring>

namespace app {

namespace {

class SystemServices final : public CommandServices {
public:
    explicit SystemServices(std::vector<std::string> folders)
        : m_encoder("QRCodeLib", folders), m_converter("Lumo_Image_BmpJpg", folders),
          m_printing("LumoPrinting", std::move(folders)) {}

    Symbol encodeSymbol(const std::string& text, int options) override {
        using Fn = std::int32_t (*)(const char*, std::int32_t, std::int32_t, unsigned char*, std::int32_t, std::int32_t*);
        const auto encode = reinterpret_cast<Fn>(m_encoder.entry("QRCodeLibSymbol"));
        // Room for the largest symbol, not cleared: the library sets every module it reports.
        thread_local const std::unique_ptr<unsigned char[]> room(new unsigned char[QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT]);
        Symbol symbol;
        std::int32_t width = 0;
        symbol.code = encode(text.c_str(), std::int32_t(text.size()), options, room.get(),
                             QRCL_SYMBOL_LIMIT * QRCL_SYMBOL_LIMIT, &width);
        symbol.systemError = symbol.code == QRCL_OK ? 0 : lastError(m_encoder, "QRCodeLibLastError");
        symbol.width = symbol.code == QRCL_OK ? width : 0;
        symbol.modules.assign(room.get(), room.get() + std::size_t(symbol.width) * std::size_t(symbol.width));
        return symbol;
    }

    LibraryResult writeJpeg(const Picture& picture, const std::string& path, int quality, int flag) override {
        using Fn = std::int32_t (*)(const char*, const unsigned char*, std::int32_t, std::int32_t, std::int32_t,
                                    std::int32_t, std::int32_t);
        const auto write = reinterpret_cast<Fn>(m_converter.entry("LIWriteJpg"));
        std::vector<unsigned char> rgb;
        rgb.reserve(picture.pixels.size() * 3);
        for (const std::uint32_t pixel : picture.pixels)
            rgb.insert(rgb.end(), {static_cast<unsigned char>(pixel >> 16), static_cast<unsigned char>(pixel >> 8),
                                   static_cast<unsigned char>(pixel)});
        const int code = write(path.c_str(), rgb.data(), picture.width, picture.height, picture.width * 3, quality, flag);
        return {code, code == 0 ? 0 : lastError(m_converter, "LILastError")};
    }

    void writeFile(const std::string& path, const std::string& bytes) override {
        if (const int error = lumo::writeAtomically(
                path.c_str(), {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, lumo::Links::WriteThrough,
                lumo::Flush::WhenReplacing))
            throw host::PlainFailure("Impossible d'écrire le fichier « " + host::platform::shownPath(shownText(path)) + " ».",
                                     host::systemCause(error));
    }

    std::unique_ptr<host::TurnLock> lockFile(const std::string& path) override {
        return host::takeTurnBeside(path);
    }

    int printCodes(const LumoPrintJob& job, std::string& reason) override {
        const auto printCodes = reinterpret_cast<PrintCodesEntry>(m_printing.entry(printCodesEntry));
        char text[1024] = {};
        const int result = printCodes(&job, text, sizeof text);
        reason.assign(text, strnlen(text, sizeof text));
        return result;
    }

private:
    // The library's own reason for its last failure, read at once, on the same thread.
    static int lastError(host::NativeLibrary& library, const char* entry) {
        return reinterpret_cast<std::int32_t (*)()>(library.entry(entry))();
    }

    host::NativeLibrary m_encoder;
    host::NativeLibrary m_converter;
    host::NativeLibrary m_printing;
};

} // namespace

std::unique_ptr<CommandServices> systemServices(std::vector<std::string> libraryFolders) {
    return std::make_unique<SystemServices>(std::move(libraryFolders));
}

} // namespace app
