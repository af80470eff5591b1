// HyperLinkLabel on real statics of a real dialog: layout, mouse and keyboard rules, cursor,
// tooltip, registry colours, opening, painting and the end of the window and the object.
#include "controls/hyperlink_label.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "tests/controls/label_dialog.h"
#include "tests/controls/registry_values.h"
#include "tests/driver/driver.h"

namespace {

const char kBrowserSettings[] = "Software\\Microsoft\\Internet Explorer\\Settings";
const char kProbeEvent[] = "Sprout.LinkProbe.Opened";
const char kMissingTarget[] = "C:\\sprout-no-such-folder\\nothing.exe";
const COLORREF kBlue = RGB(0, 0, 255);
const COLORREF kPurple = RGB(128, 0, 128);

struct TipSearch {
    HWND control;
    HWND tip;
};

BOOL CALLBACK FindTip(HWND window, LPARAM lParam)
{
    auto* search = reinterpret_cast<TipSearch*>(lParam);
    char name[32] = {};
    GetClassNameA(window, name, sizeof(name));
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = GetParent(search->control);
    tool.uId = reinterpret_cast<UINT_PTR>(search->control);
    if (lstrcmpiA(name, TOOLTIPS_CLASSA) == 0 &&
        SendMessageA(window, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)))
        search->tip = window;
    return search->tip == nullptr;
}

// The label's tooltip: the one of this thread that has a tool for the control.
HWND Tip(HWND control)
{
    TipSearch search = {control, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), FindTip, reinterpret_cast<LPARAM>(&search));
    return search.tip;
}

// Sits under the label as the window's previous procedure (or on the tooltip) and notes
// what reaches it.
class MessageRecorder {
public:
    explicit MessageRecorder(HWND hwnd) : m_hwnd(hwnd)
    {
        SetPropA(hwnd, kProp, this);
        m_previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~MessageRecorder()
    {
        if (!IsWindow(m_hwnd))
            return;
        if (GetWindowLongPtrA(m_hwnd, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(Proc))
            SetWindowLongPtrA(m_hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_previous));
        RemovePropA(m_hwnd, kProp);
    }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    int Count(UINT msg) const
    {
        int count = 0;
        for (UINT seen : messages)
            count += seen == msg;
        return count;
    }

    std::vector<UINT> messages;
    std::vector<MSG> relayed;  // the MSGs of TTM_RELAYEVENT

private:
    static constexpr const char* kProp = "Sprout.Test.Recorder";
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        auto* self = static_cast<MessageRecorder*>(GetPropA(hwnd, kProp));
        if (!self)
            return DefWindowProcA(hwnd, msg, wParam, lParam);
        self->messages.push_back(msg);
        if (msg == TTM_RELAYEVENT)
            self->relayed.push_back(*reinterpret_cast<const MSG*>(lParam));
        WNDPROC previous = self->m_previous;
        if (msg == WM_NCDESTROY)
            RemovePropA(hwnd, kProp);
        return CallWindowProcA(previous, hwnd, msg, wParam, lParam);
    }
    HWND m_hwnd;
    WNDPROC m_previous = nullptr;
};

// A control's client area drawn by its own erase and print-client entries into a 32-bit DIB
// that was filled with `fill` first.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<DWORD> pixels;  // 0x00RRGGBB, rows top to bottom

    static DWORD FromColorRef(COLORREF c)
    {
        return (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
    }
    DWORD At(int x, int y) const { return pixels[y * width + x]; }
    int Count(COLORREF colour) const
    {
        int count = 0;
        for (DWORD pixel : pixels)
            count += pixel == FromColorRef(colour);
        return count;
    }
    // The longest horizontal run of one colour: an underline shows as a long one.
    int LongestRun(COLORREF colour) const
    {
        int longest = 0;
        for (int y = 0; y < height; ++y) {
            int run = 0;
            for (int x = 0; x < width; ++x) {
                run = At(x, y) == FromColorRef(colour) ? run + 1 : 0;
                longest = run > longest ? run : longest;
            }
        }
        return longest;
    }
};

// Copies what `draw` puts into a memory DC of the given size.
template <typename Draw>
Image Capture(int width, int height, COLORREF fill, Draw draw)
{
    Image image;
    image.width = width;
    image.height = height;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!bitmap || !bits) {
        DeleteDC(dc);
        return image;
    }
    HGDIOBJ previous = SelectObject(dc, bitmap);
    RECT all = {0, 0, width, height};
    HBRUSH brush = CreateSolidBrush(fill);
    FillRect(dc, &all, brush);
    DeleteObject(brush);
    draw(dc);
    GdiFlush();
    // The fourth byte of a 32-bit BI_RGB pixel is unused and its value undefined: a copy from
    // the screen may leave 0xFF there.
    const DWORD* source = static_cast<const DWORD*>(bits);
    image.pixels.reserve(static_cast<size_t>(width) * height);
    for (int i = 0; i < width * height; ++i)
        image.pixels.push_back(source[i] & 0x00FFFFFFu);
    SelectObject(dc, previous);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return image;
}

Image Render(HWND control, COLORREF fill = RGB(1, 2, 3))
{
    RECT client;
    GetClientRect(control, &client);
    return Capture(client.right, client.bottom, fill, [control](HDC dc) {
        SendMessageA(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
        SendMessageA(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    });
}

// A 24-bit file: the spare byte of 32-bit pixels would be read as transparency by some viewers.
bool SaveBitmap(const Image& image, const std::string& path)
{
    const int rowBytes = (image.width * 3 + 3) & ~3;
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = image.width;
    header.biHeight = image.height;  // bottom-up rows, as every viewer reads them
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + rowBytes * image.height;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof(file));
    bytes.append(reinterpret_cast<const char*>(&header), sizeof(header));
    for (int y = image.height - 1; y >= 0; --y) {
        std::string row(rowBytes, '\0');
        for (int x = 0; x < image.width; ++x) {
            DWORD pixel = image.At(x, y);
            row[x * 3] = static_cast<char>(pixel & 0xFF);
            row[x * 3 + 1] = static_cast<char>(pixel >> 8 & 0xFF);
            row[x * 3 + 2] = static_cast<char>(pixel >> 16 & 0xFF);
        }
        bytes += row;
    }
    return driver::WriteFile(path, bytes);
}

LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

POINT Centre(const RECT& rect)
{
    POINT point = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    return point;
}

LPARAM AtCentre(const RECT& rect)
{
    POINT centre = Centre(rect);
    return At(centre.x, centre.y);
}

void Click(HWND control, LPARAM down, LPARAM up)
{
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, down);
    SendMessageA(control, WM_LBUTTONUP, 0, up);
}

// The cursor a mouse move to (x, y) leaves: the hand, or the arrow set before it.
HCURSOR CursorAt(HWND control, int x, int y)
{
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    SendMessageA(control, WM_MOUSEMOVE, 0, At(x, y));
    return GetCursor();
}

bool HandAt(HWND control, int x, int y)
{
    return CursorAt(control, x, y) != LoadCursorA(nullptr, IDC_ARROW);
}

// Where the hand shows, which is the label rectangle while a link target is set: found along
// its top row (the client area's) and its left column; empty when it shows nowhere.
RECT HandArea(HWND control)
{
    RECT client;
    GetClientRect(control, &client);
    RECT area = {0, 0, 0, 0};
    int x = 0;
    while (x < client.right && !HandAt(control, x, 0))
        ++x;
    area.left = area.right = x;
    while (area.right < client.right && HandAt(control, area.right, 0))
        ++area.right;
    while (area.right > area.left && area.bottom < 200 && HandAt(control, area.left, area.bottom))
        ++area.bottom;
    return area.bottom > 0 ? area : RECT{0, 0, 0, 0};
}

bool HandAnywhere(HWND control)
{
    RECT area = HandArea(control);
    return !IsRectEmpty(&area);
}

// Width and height of a text in the dialog's font, underlined: the label's.
SIZE Extent(HWND control, const char* text)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(GetParent(control), WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    font.lfUnderline = TRUE;
    HFONT underlined = CreateFontIndirectA(&font);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, underlined);
    SIZE size = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    DeleteObject(underlined);
    return size;
}

// The colour the text is drawn in: the most frequent after the background's.
COLORREF TextColour(HWND control)
{
    Image image = Render(control);
    std::map<DWORD, int> counts;
    for (DWORD pixel : image.pixels)
        ++counts[pixel];
    std::vector<std::pair<int, DWORD>> byCount;
    for (const auto& count : counts)
        byCount.push_back({count.second, count.first});
    std::sort(byCount.rbegin(), byCount.rend());
    DWORD text = byCount.size() > 1 ? byCount[1].second : 0xFFFFFFFFu;
    return RGB(text >> 16 & 0xFF, text >> 8 & 0xFF, text & 0xFF);
}

// The background brush the dialog hands out for its statics; null for the system's default.
HBRUSH g_staticBrush = nullptr;

INT_PTR CALLBACK TestDialogProc(HWND, UINT msg, WPARAM, LPARAM)
{
    if (msg == WM_INITDIALOG)
        return TRUE;
    if (msg == WM_CTLCOLORSTATIC && g_staticBrush)
        return reinterpret_cast<INT_PTR>(g_staticBrush);
    return FALSE;
}

// The dialog's window procedure with WM_CTLCOLORSTATIC answered by no brush at all.
WNDPROC g_dialogProc = nullptr;

LRESULT CALLBACK NoBrushDialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_CTLCOLORSTATIC)
        return 0;
    return CallWindowProcA(g_dialogProc, hwnd, msg, wParam, lParam);
}

class LabelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_WIN95_CLASSES};
        InitCommonControlsEx(&controls);
        ASSERT_NE(m_opened, nullptr);
        m_dialog = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_LABEL_TEST),
                                      nullptr, TestDialogProc, 0);
        ASSERT_NE(m_dialog, nullptr);
        SetWindowPos(m_dialog, nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SetFocus(Item(IDC_OTHER));
    }
    void TearDown() override
    {
        if (IsWindow(m_dialog))
            DestroyWindow(m_dialog);
        g_staticBrush = nullptr;
        CloseHandle(m_opened);
    }

    HWND Item(int id) const { return GetDlgItem(m_dialog, id); }

    // Only where it matters: hiding a shown window costs Wine seconds without a window manager.
    void Show() const { ShowWindow(m_dialog, SW_SHOW); }

    // A static resized to an exact client size in pixels (the statics have no border).
    HWND Sized(int id, int width, int height) const
    {
        HWND control = Item(id);
        SetWindowPos(control, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
        return control;
    }

    void Attach(HyperLinkLabel& label, HWND control) const
    {
        ASSERT_TRUE(label.AttachToWindow(control));
    }

    // Opens the link with Enter; true when the probe ran.
    bool Open(HWND control) const
    {
        SendMessageA(control, WM_CHAR, '\r', 1);
        return ProbeOpened();
    }

    bool ProbeOpened(DWORD timeoutMs = 10000) const
    {
        return WaitForSingleObject(m_opened, timeoutMs) == WAIT_OBJECT_0;
    }

    std::string m_probe = driver::BinDir() + "link_probe.exe";
    RegistryValues m_colours{kBrowserSettings, {"Anchor Color", "Anchor Color Visited"}};
    HANDLE m_opened = CreateEventA(nullptr, FALSE, FALSE, kProbeEvent);
    HWND m_dialog = nullptr;
};

}  // namespace

TEST_F(LabelTest, TextStaticGetsNotifyFontTextsCursorTooltipAndDefaultColours)
{
    HWND control = Sized(IDC_LEFT, 301, 20);
    ASSERT_FALSE(GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
    HyperLinkLabel label;
    Attach(label, control);

    EXPECT_EQ(label.BoundWindow(), control);
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
    // The static's text as label, drawn in the dialog's font underlined and in the link colour;
    // the hand over it, as the same text is the link target too.
    SIZE text = Extent(control, "Left label");
    RECT area = HandArea(control);
    EXPECT_EQ(area.right - area.left, text.cx);
    EXPECT_EQ(TextColour(control), kBlue);
    EXPECT_GT(Render(control).LongestRun(kBlue), text.cx / 2);  // the underline
    EXPECT_EQ(Render(control).Count(kPurple), 0);

    // One tool: the parent's, identified by the control, carrying the link target.
    HWND labelTip = Tip(control);
    ASSERT_TRUE(IsWindow(labelTip));
    char tipClass[32] = {};
    GetClassNameA(labelTip, tipClass, sizeof(tipClass));
    EXPECT_STREQ(tipClass, "tooltips_class32");
    // Created with the control as owner, the tooltip belongs to the control's top-level
    // window: it lives until the dialog goes.
    EXPECT_EQ(GetWindow(labelTip, GW_OWNER), m_dialog);
    EXPECT_EQ(SendMessageA(labelTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    char tipText[1024] = {};
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V1_SIZE;
    tool.hwnd = m_dialog;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = tipText;
    ASSERT_TRUE(SendMessageA(labelTip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(tool.uFlags & (TTF_IDISHWND | TTF_SUBCLASS), UINT(TTF_IDISHWND));
    EXPECT_STREQ(tipText, "Left label");
}

TEST_F(LabelTest, NotifyStyleIsWrittenOnlyWhenMissing)
{
    for (int id : {IDC_LEFT, IDC_NOTIFYING}) {
        MessageRecorder below(Item(id));
        HyperLinkLabel label;
        Attach(label, Item(id));
        EXPECT_TRUE(GetWindowLongA(Item(id), GWL_STYLE) & SS_NOTIFY) << id;
        EXPECT_EQ(below.Count(WM_STYLECHANGING), id == IDC_LEFT ? 1 : 0) << id;
    }
}

TEST_F(LabelTest, LabelRectangleFollowsTheAlignment)
{
    struct Case {
        int id;
        const char* text;
    } cases[] = {{IDC_CENTRED, "Centred label"}, {IDC_RIGHT, "Right label"},
                 {IDC_LEFT, "Left label"}};
    for (const Case& c : cases) {
        HWND control = Sized(c.id, 301, 20);
        HyperLinkLabel label;
        Attach(label, control);
        SIZE text = Extent(control, c.text);
        ASSERT_GT(text.cx, 20) << c.id;
        ASSERT_LT(text.cx, 280) << c.id;
        int left = c.id == IDC_CENTRED ? (301 - text.cx) / 2 : c.id == IDC_RIGHT ? 301 - text.cx : 0;
        RECT area = HandArea(control);
        EXPECT_EQ(area.left, left) << c.id;
        EXPECT_EQ(area.right, left + text.cx) << c.id;
        EXPECT_EQ(area.bottom, text.cy) << c.id;
    }
}

TEST_F(LabelTest, NewTextIsMeasuredAgainAndLongTextWrapsDownwards)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    RECT before = HandArea(control);
    ASSERT_TRUE(label.SetLabelText("A longer label than before"));
    SIZE text = Extent(control, "A longer label than before");
    ASSERT_LT(text.cx, 301);
    EXPECT_EQ(HandArea(control).left, (301 - text.cx) / 2);
    EXPECT_LT(HandArea(control).left, before.left);

    SetWindowPos(control, nullptr, 0, 0, 60, 16, SWP_NOMOVE | SWP_NOZORDER);
    ASSERT_TRUE(label.SetLabelText("one two three four five six"));
    RECT wrapped = HandArea(control);
    EXPECT_GE(wrapped.bottom, 3 * Extent(control, "one").cy);  // below the client area
    EXPECT_GE(wrapped.left, 0);
    EXPECT_LE(wrapped.right, 60);

    // A link target alone is what gets measured, and then it counts.
    HyperLinkLabel targetOnly;
    HWND empty = Sized(IDC_EMPTY, 301, 20);
    Attach(targetOnly, empty);
    ASSERT_TRUE(targetOnly.SetLinkTarget("Target text"));
    EXPECT_EQ(HandArea(empty).right, Extent(empty, "Target text").cx);
    ASSERT_TRUE(targetOnly.SetLabelText("x"));
    ASSERT_TRUE(targetOnly.SetLinkTarget("A target that is drawn no more"));
    EXPECT_EQ(HandArea(empty).right, Extent(empty, "x").cx);
}

TEST_F(LabelTest, PressInsideAndReleaseOutsideTakesFocusButOpensNothing)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    const RECT r = HandArea(control);
    Image unfocused = Render(control);

    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, AtCentre(r));
    EXPECT_EQ(GetFocus(), control);
    EXPECT_EQ(GetCapture(), control);
    SendMessageA(control, WM_LBUTTONUP, 0, At(r.right + 5, 5));
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(GetFocus(), control);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, AtCentre(r));
    SendMessageA(control, WM_LBUTTONUP, 0, At(-30, -30));  // outside the control as well
    EXPECT_EQ(Render(control).Count(kPurple), 0);

    // The focus rectangle: the only change, and only on the label rectangle's edge.
    Image focused = Render(control);
    int changed = 0;
    for (int y = 0; y < focused.height; ++y) {
        for (int x = 0; x < focused.width; ++x) {
            if (focused.At(x, y) == unfocused.At(x, y))
                continue;
            ++changed;
            bool onEdge = ((x == r.left || x == r.right - 1) && y >= r.top && y < r.bottom) ||
                          ((y == r.top || y == r.bottom - 1) && x >= r.left && x < r.right);
            EXPECT_TRUE(onEdge) << x << ',' << y;
        }
    }
    EXPECT_GT(changed, 0);
}

TEST_F(LabelTest, PressOutsideAndReleaseInsideLeavesFocusAndOpensNothing)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HWND other = Item(IDC_OTHER);
    HyperLinkLabel label;
    Attach(label, control);
    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    const RECT r = HandArea(control);
    ASSERT_GT(r.left, 2);
    ASSERT_EQ(GetFocus(), other);

    Click(control, At(1, 5), AtCentre(r));
    EXPECT_EQ(GetFocus(), other);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(Render(control).Count(kPurple), 0);
}

TEST_F(LabelTest, ClickInsideOpensTheTargetAndTurnsTheTextVisited)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    Show();  // hidden windows collect no update region

    // A failed open asks for no repaint.
    ASSERT_TRUE(label.SetLinkTarget(kMissingTarget));
    ValidateRect(control, nullptr);
    SendMessageA(control, WM_CHAR, '\r', 1);
    RECT update = {};
    EXPECT_FALSE(GetUpdateRect(control, &update, FALSE));

    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    Image before = Render(control);
    EXPECT_GT(before.Count(kBlue), 0);
    EXPECT_EQ(before.Count(kPurple), 0);

    const RECT r = HandArea(control);
    ValidateRect(control, nullptr);
    Click(control, AtCentre(r), At(r.left, r.top));
    EXPECT_TRUE(ProbeOpened());
    // An open asks for a repaint of the whole control.
    RECT client;
    GetClientRect(control, &client);
    EXPECT_TRUE(GetUpdateRect(control, &update, FALSE));
    EXPECT_TRUE(EqualRect(&update, &client));
    Image after = Render(control);
    EXPECT_EQ(after.Count(kBlue), 0);
    EXPECT_GT(after.Count(kPurple), 0);
}

TEST_F(LabelTest, FailedOpenKeepsTheColourAndNoTargetMeansNoShell)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    ASSERT_TRUE(label.SetLinkTarget(kMissingTarget));
    const RECT r = HandArea(control);
    Click(control, AtCentre(r), AtCentre(r));
    SendMessageA(control, WM_CHAR, '\r', 1);
    Image image = Render(control);
    EXPECT_GT(image.Count(kBlue), 0);
    EXPECT_EQ(image.Count(kPurple), 0);

    HyperLinkLabel empty;
    Attach(empty, Item(IDC_EMPTY));
    SendMessageA(Item(IDC_EMPTY), WM_CHAR, '\r', 1);
    EXPECT_FALSE(HandAnywhere(Item(IDC_EMPTY)));
}

TEST_F(LabelTest, EnterAndSpaceOpenOtherCharactersAreSwallowed)
{
    HWND control = Item(IDC_LEFT);
    MessageRecorder below(control);
    HyperLinkLabel label;
    Attach(label, control);
    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));

    for (WPARAM ch : {WPARAM('a'), WPARAM('\t'), WPARAM('\n'), WPARAM(27)})
        EXPECT_EQ(SendMessageA(control, WM_CHAR, ch, 1), 0) << ch;
    EXPECT_EQ(TextColour(control), kBlue);
    EXPECT_EQ(below.Count(WM_CHAR), 0);

    EXPECT_TRUE(Open(control));
    EXPECT_EQ(TextColour(control), kPurple);
    EXPECT_EQ(SendMessageA(control, WM_CHAR, ' ', 1), 0);
    EXPECT_TRUE(ProbeOpened());
    EXPECT_EQ(below.Count(WM_CHAR), 0);

    // The dialog manager is asked for characters only.
    EXPECT_EQ(SendMessageA(control, WM_GETDLGCODE, 0, 0), DLGC_WANTCHARS);
    EXPECT_EQ(below.Count(WM_GETDLGCODE), 0);
}

TEST_F(LabelTest, HandShowsOnlyOverTheLabelAndOnlyWithATarget)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    HWND control = Sized(IDC_EMPTY, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    // No text at all: nothing to measure, nothing to point at.
    EXPECT_FALSE(HandAt(control, 0, 0));

    // A label without a target: no hand and no click, over the label either.
    ASSERT_TRUE(label.SetLabelText("Only a label"));
    SIZE text = Extent(control, "Only a label");
    const RECT r = {0, 0, text.cx, text.cy};
    EXPECT_FALSE(HandAt(control, text.cx / 2, text.cy / 2));
    Click(control, AtCentre(r), AtCentre(r));
    EXPECT_EQ(TextColour(control), kBlue);

    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    EXPECT_FALSE(HandAt(control, r.right + 5, 5));
    HCURSOR hand = CursorAt(control, text.cx / 2, text.cy / 2);
    EXPECT_NE(hand, arrow);

    // WM_SETCURSOR over the label keeps the hand; elsewhere the class cursor comes back.
    POINT inside = Centre(r);
    ClientToScreen(control, &inside);
    ASSERT_TRUE(SetCursorPos(inside.x, inside.y));
    EXPECT_EQ(SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)),
              TRUE);
    EXPECT_EQ(GetCursor(), hand);
    POINT outside = {r.right + 5, 5};
    ClientToScreen(control, &outside);
    ASSERT_TRUE(SetCursorPos(outside.x, outside.y));
    SendMessageA(control, WM_SETCURSOR, reinterpret_cast<WPARAM>(control),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), arrow);

    // An empty label has no width: no hand, no click.
    ASSERT_TRUE(label.SetLabelText(""));
    EXPECT_FALSE(HandAnywhere(control));
    SetFocus(Item(IDC_OTHER));
    Click(control, At(0, 0), At(0, 0));
    EXPECT_EQ(GetFocus(), Item(IDC_OTHER));

    // An empty target is still a target.
    ASSERT_TRUE(label.SetLabelText("Label"));
    ASSERT_TRUE(label.SetLinkTarget(""));
    EXPECT_EQ(CursorAt(control, 1, 1), hand);
}

TEST_F(LabelTest, MouseMessagesUpToTheLastDoubleClickReachTheTooltip)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    const LPARAM inside = AtCentre(HandArea(control));
    MessageRecorder tip(Tip(control));
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    for (UINT msg : {UINT(WM_MOUSEMOVE), UINT(WM_RBUTTONDOWN), UINT(WM_LBUTTONDBLCLK),
                     UINT(WM_MBUTTONDBLCLK), UINT(WM_MOUSEWHEEL), UINT(WM_KEYDOWN)})
        SendMessageA(control, msg, 0, inside);

    ASSERT_EQ(tip.relayed.size(), 4u);
    const UINT expected[] = {WM_MOUSEMOVE, WM_RBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MBUTTONDBLCLK};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(tip.relayed[i].message, expected[i]);
        EXPECT_EQ(tip.relayed[i].hwnd, control);
        EXPECT_EQ(tip.relayed[i].lParam, inside);
    }
    // The relay does not end a message's way through the table.
    EXPECT_NE(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
}

TEST_F(LabelTest, BitmapStaticPaintsItselfAndIsHitAllOver)
{
    ASSERT_TRUE(m_colours.SetString("Anchor Color", "255,0,0"));
    HWND control = Item(IDC_PICTURE);
    MessageRecorder below(control);
    HyperLinkLabel label;
    Attach(label, control);
    EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & SS_NOTIFY);
    EXPECT_EQ(GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK, SS_BITMAP);
    EXPECT_TRUE(IsWindow(Tip(control)));
    EXPECT_FALSE(HandAnywhere(control));

    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    RECT client;
    GetClientRect(control, &client);
    ASSERT_FALSE(IsRectEmpty(&client));
    RECT area = HandArea(control);
    EXPECT_TRUE(EqualRect(&area, &client));

    // Erase, paint and focus go to the static's own procedure.
    Render(control);
    SendMessageA(control, WM_SETFOCUS, 0, 0);
    EXPECT_EQ(below.Count(WM_ERASEBKGND), 1);
    EXPECT_EQ(below.Count(WM_PRINTCLIENT), 1);
    EXPECT_EQ(below.Count(WM_SETFOCUS), 1);

    EXPECT_TRUE(HandAt(control, client.right - 1, client.bottom - 1));
    Click(control, At(0, 0), At(client.right - 1, client.bottom - 1));
    EXPECT_TRUE(ProbeOpened());
}

TEST_F(LabelTest, LinkColoursComeFromTheRegistryEachByItself)
{
    struct Value {
        DWORD type;  // 0: no value
        std::string data;
    };
    auto sz = [](const char* text) { return Value{REG_SZ, std::string(text, lstrlenA(text) + 1)}; };
    const DWORD red = 0x000000FF;
    struct Case {
        const char* what;
        Value anchor, visited;
        COLORREF expectedAnchor, expectedVisited;
    } cases[] = {
        {"none", {0, ""}, {0, ""}, kBlue, kPurple},
        {"both valid", sz("255,0,0"), sz("0,128,0"), RGB(255, 0, 0), RGB(0, 128, 0)},
        {"anchor rejected", sz("1,2"), sz("10,20,30"), kBlue, RGB(10, 20, 30)},
        {"visited rejected", sz("10,0,-1"), sz("-1,0,0"), RGB(10, 0, 255), kPurple},
        {"number ignored", {REG_DWORD, std::string(reinterpret_cast<const char*>(&red), 4)},
         sz("7, 8, 9"), kBlue, RGB(7, 8, 9)},
        {"eleven fit, thirteen do not", sz("255,255,255"), sz("255, 255, 255"),
         RGB(255, 255, 255), kPurple},
        {"expandable string", {REG_EXPAND_SZ, std::string("300,0,0", 8)}, {0, ""},
         RGB(44, 0, 0), kPurple},
    };
    for (const Case& c : cases) {
        m_colours.Clear();
        if (c.anchor.type) {
            ASSERT_TRUE(m_colours.Set("Anchor Color", c.anchor.type, c.anchor.data)) << c.what;
        }
        if (c.visited.type) {
            ASSERT_TRUE(m_colours.Set("Anchor Color Visited", c.visited.type, c.visited.data))
                << c.what;
        }
        HyperLinkLabel label;
        Attach(label, Item(IDC_LEFT));
        ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
        EXPECT_EQ(TextColour(Item(IDC_LEFT)), c.expectedAnchor) << c.what;
        EXPECT_TRUE(Open(Item(IDC_LEFT))) << c.what;
        EXPECT_EQ(TextColour(Item(IDC_LEFT)), c.expectedVisited) << c.what;
    }
}

// Lets everyone only read the key for the object's life, as a locked-down profile does.
class ReadOnlyKey {
public:
    explicit ReadOnlyKey(HKEY key) : m_key(key)
    {
        DWORD size = sizeof(m_saved);
        m_savedOk = RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_saved, &size) ==
                    ERROR_SUCCESS;
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        InitializeAcl(reinterpret_cast<ACL*>(m_acl), sizeof(m_acl), ACL_REVISION);
        AddAccessAllowedAce(reinterpret_cast<ACL*>(m_acl), ACL_REVISION, KEY_READ, everyone);
        FreeSid(everyone);
        SECURITY_DESCRIPTOR descriptor;
        InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
        SetSecurityDescriptorDacl(&descriptor, TRUE, reinterpret_cast<ACL*>(m_acl), FALSE);
        m_set = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &descriptor) == ERROR_SUCCESS;
    }
    ~ReadOnlyKey()
    {
        if (m_set && m_savedOk)
            RegSetKeySecurity(m_key, DACL_SECURITY_INFORMATION, m_saved);
    }
    ReadOnlyKey(const ReadOnlyKey&) = delete;
    ReadOnlyKey& operator=(const ReadOnlyKey&) = delete;
    // Whether writing is really refused now.
    bool Refuses() const
    {
        HKEY key = nullptr;
        LONG result = RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserSettings, 0, KEY_WRITE, &key);
        if (result == ERROR_SUCCESS)
            RegCloseKey(key);
        return m_set && result == ERROR_ACCESS_DENIED;
    }

private:
    HKEY m_key;
    alignas(8) unsigned char m_saved[1024] = {};
    alignas(8) unsigned char m_acl[256] = {};
    bool m_savedOk = false;
    bool m_set = false;
};

TEST_F(LabelTest, LinkColoursAreReadFromAKeyThatAllowsOnlyReading)
{
    ASSERT_TRUE(m_colours.SetString("Anchor Color", "255,0,0"));
    ASSERT_TRUE(m_colours.SetString("Anchor Color Visited", "0,128,0"));
    ReadOnlyKey readOnly(m_colours.Key());
    ASSERT_TRUE(readOnly.Refuses());
    HyperLinkLabel label;
    Attach(label, Item(IDC_LEFT));
    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    EXPECT_EQ(TextColour(Item(IDC_LEFT)), RGB(255, 0, 0));
    EXPECT_TRUE(Open(Item(IDC_LEFT)));
    EXPECT_EQ(TextColour(Item(IDC_LEFT)), RGB(0, 128, 0));
}

TEST_F(LabelTest, BackgroundComesFromTheParentsStaticBrush)
{
    HWND control = Sized(IDC_LEFT, 120, 20);
    HyperLinkLabel label;
    Attach(label, control);
    const COLORREF green = RGB(0, 200, 0);
    g_staticBrush = CreateSolidBrush(green);
    Image image = Render(control);
    EXPECT_GT(image.Count(green), 120 * 20 / 2);
    EXPECT_EQ(image.Count(RGB(1, 2, 3)), 0);
    DeleteObject(g_staticBrush);
    g_staticBrush = nullptr;

    // A parent without a brush: the erase is still reported done, and nothing is filled.
    g_dialogProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(m_dialog, GWLP_WNDPROC));
    SetWindowLongPtrA(m_dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NoBrushDialogProc));
    Image unfilled = Capture(120, 20, RGB(1, 2, 3), [control](HDC dc) {
        EXPECT_EQ(SendMessageA(control, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
    });
    SetWindowLongPtrA(m_dialog, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_dialogProc));
    EXPECT_EQ(unfilled.Count(RGB(1, 2, 3)), 120 * 20);
}

TEST_F(LabelTest, WindowEndClearsTheHandleAndTheObjectEndFreesWhatItOwns)
{
    HCURSOR cursor = nullptr;
    {
        HyperLinkLabel label;
        HWND control = Item(IDC_CENTRED);
        Attach(label, control);
        ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
        POINT centre = Centre(HandArea(control));
        cursor = CursorAt(control, centre.x, centre.y);
        ASSERT_NE(cursor, LoadCursorA(nullptr, IDC_ARROW));
        HWND tip = Tip(control);

        DestroyWindow(m_dialog);
        EXPECT_EQ(label.BoundWindow(), nullptr);
        EXPECT_FALSE(IsWindow(tip));
        // The object still holds its texts and cursor.
        EXPECT_TRUE(label.SetLabelText("text"));
        ICONINFO info = {};
        ASSERT_TRUE(GetIconInfo(cursor, &info));
        DeleteObject(info.hbmMask);
        if (info.hbmColor)
            DeleteObject(info.hbmColor);
        EXPECT_FALSE(info.fIcon);
        EXPECT_EQ(info.xHotspot, 5u);
        EXPECT_EQ(info.yHotspot, 0u);
    }
    ICONINFO info = {};
    EXPECT_FALSE(GetIconInfo(cursor, &info));
}

TEST_F(LabelTest, AttachFailsOnAWindowThatIsGone)
{
    HWND gone = CreateWindowExA(0, "STATIC", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
    DestroyWindow(gone);
    HyperLinkLabel label;
    EXPECT_FALSE(label.AttachToWindow(gone));
    EXPECT_EQ(label.BoundWindow(), nullptr);
    EXPECT_TRUE(label.SetLabelText("text"));
}

// The label as the user sees it, saved next to the test programs as
// hyperlink_label_screenshot.bmp.
TEST_F(LabelTest, Screenshot)
{
    HWND control = Sized(IDC_CENTRED, 301, 20);
    HyperLinkLabel label;
    Attach(label, control);
    ASSERT_TRUE(label.SetLabelText("访问 Sprout 论坛"));
    ASSERT_TRUE(label.SetLinkTarget(m_probe.c_str()));
    const RECT r = HandArea(control);
    Show();
    RedrawWindow(m_dialog, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);

    RECT window;
    GetWindowRect(m_dialog, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    Image shot = Capture(width, height, RGB(1, 2, 3), [this, width, height](HDC dc) {
        HDC windowDc = GetWindowDC(m_dialog);
        BitBlt(dc, 0, 0, width, height, windowDc, 0, 0, SRCCOPY);
        ReleaseDC(m_dialog, windowDc);
    });
    EXPECT_TRUE(SaveBitmap(shot, driver::BinDir() + "hyperlink_label_screenshot.bmp"));
    EXPECT_GT(shot.LongestRun(kBlue), (r.right - r.left) * 3 / 4);
}
