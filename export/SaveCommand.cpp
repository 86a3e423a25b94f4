#include "SaveCommand.h"

namespace exporting {

void saveCommand(host::Host&, host::CommonDialog&, Module1&, SaveSite&) {}

} // namespace exporting
