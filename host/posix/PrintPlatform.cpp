#include "PrintPlatform.h"

namespace host {

// No display needed: the spooler is reached through libcups, whatever the screen.
const char* windowlessPrintPlatform() {
    return "offscreen";
}

} // namespace host
