#pragma once
// Whether the platform's printer dialog shows the option tabs the tool adds to it: Windows' own
// dialog cannot, so there the tool asks its print choices in a dialog of their own.

namespace host {

bool printDialogCarriesTabs();

} // namespace host
