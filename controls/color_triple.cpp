// Link colour strings: red and green must each end at a comma and must not be -1; blue is
// whatever the rest converts to.
#include "controls/color_triple.h"

#include "framework/text.h"

namespace {
// Cuts the piece that starts at *cursor at the next comma and converts it; false when the
// text ends before a comma or the piece is -1.
bool TakeComponent(char** cursor, int* value)
{
    char* p = *cursor;
    while (*p != '\0' && *p != ',')
        p = const_cast<char*>(NextChar(p));
    if (*p == '\0')
        return false;
    *p = '\0';
    *value = ToInt(*cursor);
    *cursor = p + 1;
    return *value != -1;
}
}  // namespace

uint32_t ParseColorTriple(char* text)
{
    char* cursor = text;
    int red = 0;
    int green = 0;
    if (!TakeComponent(&cursor, &red) || !TakeComponent(&cursor, &green) || *cursor == '\0')
        return kColorTripleFailure;
    int blue = ToInt(cursor);
    return (uint32_t(blue) & 0xFFu) << 16 | (uint32_t(green) & 0xFFu) << 8 | (uint32_t(red) & 0xFFu);
}
