#include "PrintPlatform.h"

namespace host {

// The one platform shipped beside the program; it shows nothing unless asked to.
const char* windowlessPrintPlatform() {
    return "windows";
}

} // namespace host
