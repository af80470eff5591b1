// Label placement rules.
#include "controls/label_layout.h"

bool IsNonTextStaticType(uint32_t style)
{
    switch (style & 0xFFu) {
    case 3:   // SS_ICON
    case 4:   // SS_BLACKRECT
    case 5:   // SS_GRAYRECT
    case 6:   // SS_WHITERECT
    case 7:   // SS_BLACKFRAME
    case 8:   // SS_GRAYFRAME
    case 9:   // SS_WHITEFRAME
    case 13:  // SS_OWNERDRAW
    case 14:  // SS_BITMAP
    case 15:  // SS_ENHMETAFILE
        return true;
    default:
        return false;
    }
}

unsigned LabelAlignment(uint32_t style)
{
    if (style & 0x1u)  // SS_CENTER
        return kAlignCenter;
    if (style & 0x2u)  // SS_RIGHT
        return kAlignRight;
    return kAlignLeft;
}

int LabelShift(unsigned alignment, int clientRight, int labelRight)
{
    if (alignment == kAlignCenter)
        return (clientRight - labelRight) / 2;
    if (alignment == kAlignRight)
        return clientRight - labelRight;
    return 0;
}
