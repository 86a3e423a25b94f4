#pragma once
// A symbol held in memory drawn as a picture of a given size.
#include "Host.h"

#include <QImage>

namespace exporting {

// The smallest picture side that holds the symbol with a quiet zone of 4 modules.
int smallestSide(const host::Symbol& symbol);

// A side x side black and white picture: the symbol in whole pixels per module, as large as fits
// with a quiet zone of at least 4 modules, centred on white. Null when side < smallestSide.
QImage symbolPicture(const host::Symbol& symbol, int side);

} // namespace exporting
