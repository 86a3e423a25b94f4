#pragma once
// The print command: the preview's picture on one page.
#include "Host.h"

class QWidget;

namespace printing {

// Asks for a printer and the print choices, kept in choices for the run, then prints the picture
// at the chosen size (by default its natural size) 1 mm from the top-left corner of the printable
// area or centred on the page, with the busy pointer over the window meanwhile. Cancel, or a printer dialog
// that fails, prints nothing and says nothing; a failing printer drops the job and shows
// "Erreur sur l'imprimante". A failure of that message itself goes on to the caller.
void printPicture(host::Host& host, const QImage& picture, QWidget& window, host::PrintChoices& choices);

} // namespace printing
