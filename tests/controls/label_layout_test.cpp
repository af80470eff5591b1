// Where the label goes inside its static: types that draw no text, alignment, sideways shift.
#include "controls/label_layout.h"

#include <gtest/gtest.h>

TEST(LabelLayout, NonTextStaticTypesAreTheImageShapeAndOwnerDrawnOnes)
{
    for (uint32_t type = 0; type <= 0x1F; ++type) {
        bool expected = (type >= 3 && type <= 9) || (type >= 13 && type <= 15);
        EXPECT_EQ(IsNonTextStaticType(type), expected) << type;
        // Only the type field counts, not the flags above it.
        EXPECT_EQ(IsNonTextStaticType(type | 0x50000100u), expected) << type;
    }
}

TEST(LabelLayout, CentreBitWinsOverRightBit)
{
    EXPECT_EQ(LabelAlignment(0x0), kAlignLeft);            // SS_LEFT
    EXPECT_EQ(LabelAlignment(0x1), kAlignCenter);          // SS_CENTER
    EXPECT_EQ(LabelAlignment(0x2), kAlignRight);           // SS_RIGHT
    EXPECT_EQ(LabelAlignment(0xB), kAlignCenter);          // SS_SIMPLE has both bits
    EXPECT_EQ(LabelAlignment(0x50000102u), kAlignRight);   // window and static flags ignored
    EXPECT_EQ(LabelAlignment(0x0C), kAlignLeft);           // SS_LEFTNOWORDWRAP
}

TEST(LabelLayout, ShiftMovesTheMeasuredTextIntoPlace)
{
    struct Case {
        unsigned alignment;
        int clientRight, labelRight, shift;
    } cases[] = {
        {kAlignCenter, 301, 100, 100},  // text from x 100 to x 200
        {kAlignCenter, 300, 100, 100},
        {kAlignCenter, 100, 100, 0},
        {kAlignCenter, 100, 103, -1},   // wider than the control: truncated toward zero
        {kAlignCenter, 100, 105, -2},
        {kAlignRight, 301, 100, 201},   // ends at the right edge
        {kAlignRight, 100, 105, -5},
        {kAlignLeft, 301, 100, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LabelShift(c.alignment, c.clientRight, c.labelRight), c.shift)
            << c.alignment << ' ' << c.clientRight << ' ' << c.labelRight;
}
