// The rules that place the link label inside its static control: which static types draw no
// text, how the style selects the alignment, and how far a measured text moves sideways.
// Portable: the constants carry the platform's values (SS_*, DT_*).
#pragma once

#include <cstdint>

// Text alignment flags as DrawText takes them.
const unsigned kAlignLeft = 0x0;    // DT_LEFT
const unsigned kAlignCenter = 0x1;  // DT_CENTER
const unsigned kAlignRight = 0x2;   // DT_RIGHT

// SS_NOTIFY: the static reports clicks; the label needs it for its mouse messages.
const uint32_t kStaticNotify = 0x0100;

// Static types painted by the static itself (icons, rectangles, frames, owner-drawn,
// bitmaps, metafiles): the label then paints nothing and its hit area is the whole control.
bool IsNonTextStaticType(uint32_t style);

// SS_CENTER wins over SS_RIGHT; neither gives left alignment. Bits, not the type field.
unsigned LabelAlignment(uint32_t style);

// How far the text measured at the left edge moves right: half the spare width for centred
// text (a division that truncates toward zero, so a text wider than the control moves left
// by the truncated half), all of it for right-aligned text, none for left-aligned.
int LabelShift(unsigned alignment, int clientRight, int labelRight);
