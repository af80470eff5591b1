// Centring with clamping, one axis at a time.
#include "app/window_placement.h"

namespace {

int PlaceOnAxis(int areaStart, int areaEnd, int size)
{
    int start = (areaStart + areaEnd) / 2 - size / 2;
    if (start < areaStart)
        start = areaStart;
    else if (start + size > areaEnd)
        start = areaEnd - size;
    return start;
}

}  // namespace

PlacementPoint CentredOnArea(const PlacementRect& area, int width, int height)
{
    return {PlaceOnAxis(area.left, area.right, width), PlaceOnAxis(area.top, area.bottom, height)};
}
