// Where the main window goes: centred on the work area, pulled back inside it. Portable.
#pragma once

struct PlacementRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct PlacementPoint {
    int x;
    int y;
};

// Top-left corner for a window of the given size. Each axis: centre (divisions truncate
// toward zero), then a leading edge before the area's is moved to it, otherwise a trailing
// edge beyond the area's is moved back, so a window larger than the area stays flush with
// the area's left (top) edge.
PlacementPoint CentredOnArea(const PlacementRect& area, int width, int height);
