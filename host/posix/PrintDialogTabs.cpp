#include "PrintDialogTabs.h"

namespace host {

// Qt draws the printer dialog itself here, tabs included.
bool printDialogCarriesTabs() {
    return true;
}

} // namespace host
