// Centring the main window on the work area.
#include "app/window_placement.h"

#include <gtest/gtest.h>

TEST(WindowPlacement, CentresAndPullsBackInside)
{
    const struct {
        PlacementRect area;
        int width, height;
        int x, y;
    } cases[] = {
        {{0, 0, 1024, 768}, 560, 500, 232, 134},
        {{0, 0, 1024, 738}, 561, 501, 232, 119},  // odd sizes: 280 and 250 halves
        {{0, 30, 800, 600}, 400, 300, 200, 165},  // task bar on top
        {{-1280, 0, 0, 1024}, 401, 301, -840, 362},  // monitor left of the primary one
        {{-1281, -3, 0, 0}, 0, 0, -640, -1},  // truncation toward zero, not down
        {{0, 0, 300, 200}, 560, 500, 0, 0},  // larger than the area: flush left and top
        // One unit larger: centred exactly on the leading edge, so the trailing-edge rule
        // applies and moves it back by one.
        {{100, 50, 400, 250}, 301, 201, 99, 49},
        {{100, 50, 400, 250}, 300, 200, 100, 50},
        {{0, 0, 1024, 768}, 1024, 768, 0, 0},
    };
    for (const auto& c : cases) {
        PlacementPoint p = CentredOnArea(c.area, c.width, c.height);
        EXPECT_EQ(p.x, c.x) << c.width << 'x' << c.height;
        EXPECT_EQ(p.y, c.y) << c.width << 'x' << c.height;
    }
}
