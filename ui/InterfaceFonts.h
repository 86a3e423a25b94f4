#pragma once

namespace ui {

// Makes the interface's fonts (Tahoma, MS Sans Serif) available where the system does not list
// them: Debian's fonts-wine ships metric-compatible faces outside fontconfig's folders.
void loadInterfaceFonts();

} // namespace ui
