// The hand cursor's planes: size, hot spot, outline and transparency.
#include "controls/hand_cursor.h"

#include <gtest/gtest.h>

namespace {

enum Pixel { kBlack, kWhite, kTransparent, kInverted };

struct Planes {
    unsigned char andPlane[kHandCursorPlaneBytes];
    unsigned char xorPlane[kHandCursorPlaneBytes];
    Planes() { BuildHandCursorPlanes(andPlane, xorPlane); }

    Pixel At(int x, int y) const
    {
        if (x < 0 || y < 0 || x >= kHandCursorSize || y >= kHandCursorSize)
            return kTransparent;
        int index = y * (kHandCursorSize / 8) + x / 8;
        unsigned bit = 0x80u >> (x % 8);
        bool andBit = andPlane[index] & bit;
        bool xorBit = xorPlane[index] & bit;
        return andBit ? (xorBit ? kInverted : kTransparent) : (xorBit ? kWhite : kBlack);
    }
};

}  // namespace

TEST(HandCursor, FillsA17By22BoxInTheTopLeftCorner)
{
    Planes planes;
    int left = kHandCursorSize, top = kHandCursorSize, right = -1, bottom = -1;
    for (int y = 0; y < kHandCursorSize; ++y) {
        for (int x = 0; x < kHandCursorSize; ++x) {
            Pixel pixel = planes.At(x, y);
            ASSERT_NE(pixel, kInverted) << x << ',' << y;
            if (pixel == kTransparent)
                continue;
            left = x < left ? x : left;
            top = y < top ? y : top;
            right = x > right ? x : right;
            bottom = y > bottom ? y : bottom;
        }
    }
    EXPECT_EQ(left, 0);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(right - left + 1, 17);
    EXPECT_EQ(bottom - top + 1, 22);
}

TEST(HandCursor, HotSpotIsTheTipOfTheIndexFinger)
{
    Planes planes;
    EXPECT_EQ(kHandCursorHotX, 5);
    EXPECT_EQ(kHandCursorHotY, 0);
    EXPECT_EQ(planes.At(5, 0), kBlack);
    // The top row is the fingertip alone, with white right below it.
    int inTopRow = 0;
    for (int x = 0; x < kHandCursorSize; ++x)
        inTopRow += planes.At(x, 0) != kTransparent;
    EXPECT_LE(inTopRow, 2);
    EXPECT_EQ(planes.At(5, 1), kWhite);
}

// A closed black outline: no white pixel touches the transparent outside.
TEST(HandCursor, WhiteInsideIsEnclosedByTheOutline)
{
    Planes planes;
    int white = 0;
    for (int y = 0; y < kHandCursorSize; ++y) {
        for (int x = 0; x < kHandCursorSize; ++x) {
            if (planes.At(x, y) != kWhite)
                continue;
            ++white;
            EXPECT_NE(planes.At(x - 1, y), kTransparent) << x << ',' << y;
            EXPECT_NE(planes.At(x + 1, y), kTransparent) << x << ',' << y;
            EXPECT_NE(planes.At(x, y - 1), kTransparent) << x << ',' << y;
            EXPECT_NE(planes.At(x, y + 1), kTransparent) << x << ',' << y;
        }
    }
    EXPECT_GT(white, 100);
}
