#pragma once
// The Qt platform the printing module starts for a caller that has no Qt application of its own
// (the command line): printing needs one, a window does not.

namespace host {

const char* windowlessPrintPlatform();

} // namespace host
