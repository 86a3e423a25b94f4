#pragma once
// The host's reading of a number typed as text, and the rounding that goes with it.
#include <QString>

namespace exporting {

// Value of the longest number at the start of the text. Blanks, tabs and line feeds count for
// nothing wherever they stand ("5 0" is 50); "." is the decimal point whatever the locale; an
// exponent may follow "E" or "e"; a leading "+" or "-" is allowed. Text that does not start with
// a number gives 0. Numbers beyond the range of a double give plus or minus infinity.
double numericValue(const QString& text);

// Nearest whole number, a value exactly halfway going to the even neighbour (2.5 -> 2, 3.5 -> 4).
double roundHalfEven(double value);

} // namespace exporting
