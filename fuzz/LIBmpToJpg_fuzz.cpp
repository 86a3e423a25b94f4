// LIBmpToJpg on arbitrary bytes given as the BMP file. Whatever the bytes, the library returns 0
// or a documented code and never crashes; on success the JPEG has the BMP's size, and on failure
// the JPEG that was already at the target is intact. Nothing but the two files is ever left.
#include "FuzzSupport.h"
#include "Lumo_Image_BmpJpg.h"

#include <turbojpeg.h>

#include <cstdlib>
#include <utility>

namespace {

const char kOlder[] = "an older picture, which no failure may touch";

std::int64_t le(const std::uint8_t* bytes, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return count == 4 ? static_cast<std::int32_t>(value) : value;
}

// Width and height as the BMP header gives them, in either the usual or the old OS/2 layout.
std::pair<std::int64_t, std::int64_t> declaredSize(const std::uint8_t* bmp) {
    if (le(bmp + 14, 4) == 12)
        return {le(bmp + 18, 2), le(bmp + 20, 2)};
    return {le(bmp + 18, 4), std::abs(le(bmp + 22, 4))};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& folder = fuzzsupport::scratchFolder();
    const std::string bmp = folder + "/Temp.bmp";
    const std::string jpg = folder + "/QRCODE.jpg";
    fuzzsupport::writeFile(bmp, data, size);
    fuzzsupport::writeFile(jpg, kOlder, sizeof kOlder);
    // Both kinds of chroma subsampling, chosen by something the fuzzer controls anyway.
    const std::int32_t flag = static_cast<std::int32_t>(size & 1);
    const std::int32_t code = LIBmpToJpg(bmp.c_str(), jpg.c_str(), 90, flag);

    FUZZ_CHECK(code == LIBJ_OK || code == LIBJ_ERR_READ_BMP || code == LIBJ_ERR_COMPRESS,
               "undocumented answer " + std::to_string(code) + " for a readable file and valid arguments");
    FUZZ_CHECK((fuzzsupport::entriesOf(folder) == std::vector<std::string>{"QRCODE.jpg", "Temp.bmp"}),
               "files other than the BMP and the JPEG in the folder");
    FUZZ_CHECK(fuzzsupport::readFile(bmp) == std::vector<std::uint8_t>(data, data + size), "the BMP was changed");
    const std::vector<std::uint8_t> written = fuzzsupport::readFile(jpg);
    if (code != LIBJ_OK) {
        FUZZ_CHECK(written == std::vector<std::uint8_t>(kOlder, kOlder + sizeof kOlder),
                   "a failed conversion touched the older JPEG");
        return 0;
    }

    FUZZ_CHECK(size >= 26, "a file too short for a BMP header was converted");
    int width = 0, height = 0, subsampling = 0, colourspace = 0;
    tjhandle reader = tjInitDecompress();
    const int header = tjDecompressHeader3(reader, written.data(), written.size(), &width, &height, &subsampling,
                                           &colourspace);
    tjDestroy(reader);
    FUZZ_CHECK(header == 0, "the JPEG written has no readable header");
    const auto [declaredWidth, declaredHeight] = declaredSize(data);
    FUZZ_CHECK(width == declaredWidth && height == declaredHeight,
               "the JPEG is " + std::to_string(width) + " x " + std::to_string(height) +
                   ", not the size in the BMP header");
    FUZZ_CHECK(subsampling == (flag == 1 ? TJSAMP_444 : TJSAMP_420), "the JPEG has another chroma subsampling");
    return 0;
}
