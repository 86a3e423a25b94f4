#include "SvgPicture.h"

#include "BmpPicture.h"

#include <string>

namespace qrcl {

namespace {

// Millimetres with three decimals, in integers: no locale may turn the point into a comma.
std::string millimetres(int pixels) {
    const long thousandths = (static_cast<long>(pixels) * 25400 + 48) / 96; // 96 px to the inch
    std::string fraction = std::to_string(thousandths % 1000);
    fraction.insert(0, 3 - fraction.size(), '0');
    return std::to_string(thousandths / 1000) + "." + fraction + "mm";
}

} // namespace

std::vector<std::uint8_t> renderSvg(const QRcode& symbol) {
    const int modules = symbol.width;
    const std::string side = std::to_string(modules + 2 * kQuietZone);
    const std::string size = millimetres((modules + 2 * kQuietZone) * moduleScale(modules));
    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
                      size + "\" height=\"" + size + "\" viewBox=\"0 0 " + side + " " + side +
                      "\" shape-rendering=\"crispEdges\">\n<rect width=\"" + side + "\" height=\"" + side +
                      "\" fill=\"#fff\"/>\n<path fill=\"#000\" d=\"";

    // One rectangle per horizontal run of dark modules, one line per module row.
    for (int y = 0; y < modules; ++y) {
        const unsigned char* row = symbol.data + static_cast<std::size_t>(y) * modules;
        bool any = false;
        for (int x = 0; x < modules;) {
            if (!(row[x] & 1)) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < modules && (row[x] & 1))
                ++x;
            const std::string run = std::to_string(x - start);
            svg += "M" + std::to_string(start + kQuietZone) + " " + std::to_string(y + kQuietZone) + "h" +
                   run + "v1h-" + run + "z";
            any = true;
        }
        if (any)
            svg += "\n";
    }
    svg += "\"/>\n</svg>\n";
    return {svg.begin(), svg.end()};
}

} // namespace qrcl
