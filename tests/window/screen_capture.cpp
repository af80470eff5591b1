// Screen copies through the screen's device context.
#include "tests/window/screen_capture.h"

#include <set>

#include "tests/driver/driver.h"

namespace window_test {

int Picture::DistinctColours() const
{
    return static_cast<int>(std::set<DWORD>(pixels.begin(), pixels.end()).size());
}

Picture Picture::Part(const RECT& area) const
{
    Picture part;
    if (area.left < 0 || area.top < 0 || area.right > width || area.bottom > height ||
        area.right <= area.left || area.bottom <= area.top)
        return part;
    part.width = area.right - area.left;
    part.height = area.bottom - area.top;
    for (int y = area.top; y < area.bottom; ++y) {
        const DWORD* row = &pixels[static_cast<size_t>(y) * width];
        part.pixels.insert(part.pixels.end(), row + area.left, row + area.right);
    }
    return part;
}

bool Picture::SaveBmp(const std::string& path) const
{
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = -height;
    header.biPlanes = 1;
    header.biBitCount = 32;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    bytes.append(reinterpret_cast<const char*>(pixels.data()), pixels.size() * 4);
    return driver::WriteFile(path, bytes);
}

Picture CaptureClient(HWND window)
{
    Picture picture;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    RECT rect;
    if (!GetClientRect(window, &rect))
        return picture;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        if (BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY)) {
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(bits);
            picture.width = width;
            picture.height = height;
            picture.pixels.reserve(static_cast<size_t>(width) * height);
            for (int i = 0; i < width * height; ++i)
                picture.pixels.push_back(p[i] & 0x00FFFFFF);
        }
        SelectObject(memory, previous);
    }
    if (bitmap)
        DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return picture;
}

Picture CaptureSettled(HWND dialog, HWND button)
{
    RECT buttonArea = ControlArea(dialog, button);
    Picture picture;
    Picture previous;
    driver::WaitUntil(
        [&] {
            picture = CaptureClient(dialog);
            bool settled = picture.Part(buttonArea).DistinctColours() > 2 && picture == previous;
            previous = picture;
            return settled;
        },
        10000);
    return picture;
}

RECT ControlArea(HWND parent, HWND control)
{
    RECT area = {};
    GetWindowRect(control, &area);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&area), 2);
    return area;
}

}  // namespace window_test
