// The browser's link colour strings: three decimal numbers "red,green,blue" turned into a
// COLORREF-style value (0x00BBGGRR). Portable: no windows.h.
#pragma once

#include <cstdint>

// What ParseColorTriple answers for a text it rejects.
const uint32_t kColorTripleFailure = 0xFFFFFFFFu;

// Splits the text at its first two commas (stepping by characters of the code page in use,
// so a comma byte inside a double-byte character never counts) and converts each piece as
// atoi does. Rejected: fewer than two commas, red or green of exactly -1, nothing after the
// second comma. Each component keeps its low 8 bits. Writes NULs over the two commas.
uint32_t ParseColorTriple(char* text);
