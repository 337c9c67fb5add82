#pragma once

#include "document/pagedocument.h"

class QPrinter;

namespace tarvex {

// Prints the pages the printer's range asks for (all by default), each on
// its own sheet with the paper's top left corner as origin. False when the
// printer could not be started or the range holds no page.
bool printPageDocument(QPrinter *printer, const PageDocument &document);

} // namespace tarvex
