// The link label's pointing-hand cursor as the two planes of a 32 by 32 monochrome cursor.
// Portable: the planes are plain bytes; the Windows side hands them to CreateCursor.
#pragma once

const int kHandCursorSize = 32;       // width and height in pixels
const int kHandCursorPlaneBytes = 128;  // one bit a pixel, 4 bytes a row, rows top to bottom
const int kHandCursorHotX = 5;        // the tip of the index finger
const int kHandCursorHotY = 0;

// Fills both planes, most significant bit leftmost. AND 0 / XOR 0 is black, AND 0 / XOR 1
// white, AND 1 / XOR 0 transparent.
void BuildHandCursorPlanes(unsigned char andPlane[kHandCursorPlaneBytes],
                           unsigned char xorPlane[kHandCursorPlaneBytes]);
