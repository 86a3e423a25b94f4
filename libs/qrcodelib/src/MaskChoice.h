#pragma once
// The mask of a symbol, chosen as libqrencode's own choice does (the same penalties in the same
// order, a tie going to the lower mask) but counted on rows of bits instead of a byte a module:
// the choice was two thirds of an encoding's work.
#include <qrencode.h>

namespace qrcl {

// symbol: as libqrencode makes it with mask 0 (module bytes with 0x80 on every module no mask
// touches). Leaves it with the chosen mask applied and that mask's format information.
void applyBestMask(QRcode& symbol, QRecLevel level);

} // namespace qrcl
