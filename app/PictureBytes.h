#pragma once
// A drawn code as the bytes of a PNG or a 24-bit BMP file, written here rather than through an
// image library: Qt's writers load every image format plugin first, which took most of a
// one-code run.
#include "CommandServices.h"

#include <string>

namespace app {

// picture: two colours at most, the ground's at the top-left corner; 96 dpi. Empty when memory
// runs out.
std::string pngBytes(const Picture& picture);
std::string bmpBytes(const Picture& picture);

} // namespace app
