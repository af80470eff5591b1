// Pixels of a window as the screen shows it, for tests that look at what is drawn.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace window_test {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, top row first

    bool operator==(const Picture& other) const
    {
        return width == other.width && height == other.height && pixels == other.pixels;
    }
    int DistinctColours() const;
    bool IsUniform() const { return DistinctColours() <= 1; }
    // A part of the picture, in picture coordinates.
    Picture Part(const RECT& area) const;
    bool SaveBmp(const std::string& path) const;
};

// Raises the window above all others and copies its client area from the screen.
Picture CaptureClient(HWND window);
// The client area once painting has settled: the button drawn, and two equal copies in a row
// (at most 10 seconds).
Picture CaptureSettled(HWND dialog, HWND button);
// The rectangle of a child control in its parent's client coordinates.
RECT ControlArea(HWND parent, HWND control);

}  // namespace window_test
