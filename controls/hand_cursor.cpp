// The hand: index finger up, three folded fingers to its right, thumb to the left, drawn in
// the top-left 17 by 22 pixels. 'X' is the black outline, 'o' the white inside, '.' and
// everything outside the picture transparent.
#include "controls/hand_cursor.h"

namespace {
const char* const kPicture[] = {
    ".....XX..........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooX.........",
    "....XooXXX.......",
    "....XooXooXXX....",
    "....XooXooXooXXX.",
    "....XooXooXooXooX",
    ".XX.XooXooXooXooX",
    "XooXXooXooXooXooX",
    "XoooXoooooooooooX",
    "XoooooooooooooooX",
    ".XooooooooooooooX",
    ".XooooooooooooooX",
    "..XoooooooooooooX",
    "..XooooooooooooX.",
    "...XoooooooooooX.",
    "...XoooooooooooX.",
    "....XoooooooooX..",
    "....XoooooooooX..",
    "....XXXXXXXXXXX..",
};
const int kPictureRows = sizeof(kPicture) / sizeof(kPicture[0]);
}  // namespace

void BuildHandCursorPlanes(unsigned char andPlane[kHandCursorPlaneBytes],
                           unsigned char xorPlane[kHandCursorPlaneBytes])
{
    for (int i = 0; i < kHandCursorPlaneBytes; ++i) {
        andPlane[i] = 0xFF;
        xorPlane[i] = 0x00;
    }
    const int rowBytes = kHandCursorSize / 8;
    for (int y = 0; y < kPictureRows; ++y) {
        for (int x = 0; kPicture[y][x] != '\0'; ++x) {
            const char pixel = kPicture[y][x];
            if (pixel == '.')
                continue;
            const int index = y * rowBytes + x / 8;
            const unsigned char bit = static_cast<unsigned char>(0x80u >> (x % 8));
            andPlane[index] &= static_cast<unsigned char>(~bit);
            if (pixel == 'o')
                xorPlane[index] |= bit;
        }
    }
}
