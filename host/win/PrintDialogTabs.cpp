#include "PrintDialogTabs.h"

namespace host {

// QPrintDialog is Windows' own dialog, which ignores the tabs given to it.
bool printDialogCarriesTabs() {
    return false;
}

} // namespace host
