// HyperLinkLabel: the subclassed static's message table and the operations behind it.
#include "controls/hyperlink_label.h"

#include <commctrl.h>
#include <shellapi.h>

#include <memory>
#include <new>

#include "controls/color_triple.h"
#include "controls/hand_cursor.h"
#include "controls/label_layout.h"
#include "controls/registry_string.h"
#include "framework/module.h"

namespace {
const char kBrowserSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";

// Replaces the field with a private copy of text (null leaves it unset); false when the
// copy could not be allocated, and the field is then unset as well.
bool CopyText(Text& field, bool& isSet, const char* text)
{
    field = Text();
    isSet = text && field.Assign(text);
    return !text || isSet;
}

// A colour value that cannot be read or parsed leaves the colour as it was.
void ReadColour(HKEY key, const char* name, COLORREF* colour)
{
    char text[12];
    DWORD size = sizeof(text);
    if (ReadStringValue(key, name, text, &size) != ERROR_SUCCESS)
        return;
    uint32_t value = ParseColorTriple(text);
    if (value != kColorTripleFailure)
        *colour = value;
}

POINT PointFromLParam(LPARAM lParam)
{
    POINT point = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    return point;
}
}  // namespace

bool HyperLinkLabel::AttachToWindow(HWND hwnd)
{
    if (!SubclassWindow(hwnd))
        return false;
    Initialize();
    return true;
}

void HyperLinkLabel::Initialize()
{
    char className[8];
    if (GetClassNameA(BoundWindow(), className, sizeof(className)) &&
        lstrcmpiA(className, "static") == 0) {
        LONG style = GetWindowLongA(BoundWindow(), GWL_STYLE);
        if (!(style & kStaticNotify))
            SetWindowLongA(BoundWindow(), GWL_STYLE, style | kStaticNotify);
        if (IsNonTextStaticType(GetWindowLongA(BoundWindow(), GWL_STYLE)))
            m_bDrawsText = false;
    }

    unsigned char andPlane[kHandCursorPlaneBytes];
    unsigned char xorPlane[kHandCursorPlaneBytes];
    BuildHandCursorPlanes(andPlane, xorPlane);
    m_hHandCursor.reset(CreateCursor(Module::Instance(), kHandCursorHotX, kHandCursorHotY,
                                     kHandCursorSize, kHandCursorSize, andPlane, xorPlane));

    if (m_bDrawsText)
        MakeUnderlineFont();
    TakeTextsFromWindow();
    MeasureLabel();
    CreateTooltip();
    if (m_bDrawsText)
        ReadLinkColours();
}

void HyperLinkLabel::MakeUnderlineFont()
{
    m_hUnderlineFont.reset();
    // The dialog's font, not the static's: the label matches the rest of the window.
    HFONT parentFont =
        reinterpret_cast<HFONT>(SendMessageA(GetParent(BoundWindow()), WM_GETFONT, 0, 0));
    if (!parentFont)
        return;
    LOGFONTA font;
    if (!GetObjectA(parentFont, sizeof(font), &font))
        return;
    font.lfUnderline = 1;
    m_hUnderlineFont.reset(CreateFontIndirectA(&font));
}

void HyperLinkLabel::TakeTextsFromWindow()
{
    if (!m_hasLabel) {
        int length = GetWindowTextLengthA(BoundWindow());
        std::unique_ptr<char[]> text(length > 0 ? new (std::nothrow) char[length + 1] : nullptr);
        if (text && GetWindowTextA(BoundWindow(), text.get(), length + 1))
            SetLabelText(text.get());
    }
    if (!m_hasLinkTarget && m_hasLabel)
        SetLinkTarget(m_label.c_str());
}

void HyperLinkLabel::CreateTooltip()
{
    m_hTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, BoundWindow(), nullptr,
                             Module::Instance(), nullptr);
    SendMessageA(m_hTip, TTM_ACTIVATE, TRUE, 0);
    AddTool(m_hasLinkTarget ? m_linkTarget.c_str() : nullptr);
}

void HyperLinkLabel::AddTool(const char* text)
{
    // No TTF_SUBCLASS: the tooltip hears of the mouse through our relay entry.
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // 44 bytes: up to lParam, which stays 0
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(BoundWindow());
    tool.uId = reinterpret_cast<UINT_PTR>(BoundWindow());
    tool.hinst = Module::Instance();
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(m_hTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperLinkLabel::ReadLinkColours()
{
    // Each colour stands or falls by itself.
    OwnedKey key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
        return;
    ReadColour(key.get(), "Anchor Color", &m_crAnchor);
    ReadColour(key.get(), "Anchor Color Visited", &m_crAnchorVisited);
}

bool HyperLinkLabel::SetLabelText(const char* text)
{
    if (!CopyText(m_label, m_hasLabel, text))
        return false;
    MeasureLabel();
    return true;
}

bool HyperLinkLabel::SetLinkTarget(const char* text)
{
    if (!CopyText(m_linkTarget, m_hasLinkTarget, text))
        return false;
    // Without a label the target is what is drawn, so its size matters.
    if (!m_hasLabel)
        MeasureLabel();
    return true;
}

const char* HyperLinkLabel::DrawnText() const
{
    if (m_hasLabel)
        return m_label.c_str();
    return m_hasLinkTarget ? m_linkTarget.c_str() : nullptr;
}

unsigned HyperLinkLabel::Alignment() const
{
    return LabelAlignment(static_cast<uint32_t>(GetWindowLongA(BoundWindow(), GWL_STYLE)));
}

bool HyperLinkLabel::MeasureLabel()
{
    if (!IsWindow(BoundWindow()) || !DrawnText())
        return false;
    WindowDc dc(BoundWindow());
    RECT client;
    GetClientRect(BoundWindow(), &client);
    m_rcLabel = client;
    if (m_bDrawsText) {
        unsigned alignment = Alignment();
        {
            SelectedObject font(dc.get(), m_hUnderlineFont.get());
            // Measured at the top-left corner, wrapped at the client width, then moved sideways.
            DrawTextA(dc.get(), DrawnText(), -1, &m_rcLabel,
                      alignment | DT_WORDBREAK | DT_CALCRECT);
        }
        OffsetRect(&m_rcLabel, LabelShift(alignment, client.right, m_rcLabel.right), 0);
    }
    return true;
}

void HyperLinkLabel::PaintLabel(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_bLinkVisited ? m_crAnchorVisited : m_crAnchor);
    {
        SelectedObject font(dc, m_hUnderlineFont.get());
        if (DrawnText()) {
            RECT area = m_rcLabel;
            DrawTextA(dc, DrawnText(), -1, &area, Alignment() | DT_WORDBREAK);
        }
    }
    if (BoundWindow() && GetFocus() == BoundWindow())
        DrawFocusRect(dc, &m_rcLabel);
}

bool HyperLinkLabel::OpenLink()
{
    if (!m_hasLinkTarget)
        return false;
    HINSTANCE shell = ShellExecuteA(nullptr, "open", m_linkTarget.c_str(), nullptr, nullptr,
                                    SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(shell) <= 32)
        return false;
    m_bLinkVisited = true;
    if (BoundWindow())
        InvalidateRect(BoundWindow(), nullptr, TRUE);
    return true;
}

bool HyperLinkLabel::InLabel(LPARAM lParam) const
{
    return PtInRect(&m_rcLabel, PointFromLParam(lParam)) != FALSE;
}

bool HyperLinkLabel::CursorInLabel(HWND hwnd) const
{
    POINT point;
    if (!GetCursorPos(&point) || !ScreenToClient(hwnd, &point))
        return false;
    return PtInRect(&m_rcLabel, point) != FALSE;
}

void HyperLinkLabel::RelayToTooltip(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    MSG relayed = {hwnd, msg, wParam, lParam, 0, {0, 0}};
    SendMessageA(m_hTip, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

void HyperLinkLabel::EraseBackground(HWND hwnd, HDC dc)
{
    // The parent decides the background, as it does for its other statics.
    HBRUSH brush = reinterpret_cast<HBRUSH>(SendMessageA(
        GetParent(hwnd), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(hwnd)));
    if (!brush)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, brush);
}

void HyperLinkLabel::Paint(HWND hwnd, HDC dc)
{
    if (dc) {
        PaintLabel(dc);
        return;
    }
    PAINTSTRUCT paint;
    HDC paintDc = BeginPaint(hwnd, &paint);
    PaintLabel(paintDc);
    EndPaint(hwnd, &paint);
}

bool HyperLinkLabel::ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                          LRESULT& result)
{
    result = 0;
    // Mouse messages up to the last double-click (not the wheel) also go to the tooltip;
    // the entries below still see them.
    if (msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONDBLCLK && IsWindow(m_hTip))
        RelayToTooltip(hwnd, msg, wParam, lParam);

    switch (msg) {
    case WM_ERASEBKGND:
        if (!m_bDrawsText)
            return false;
        EraseBackground(hwnd, reinterpret_cast<HDC>(wParam));
        result = 1;
        return true;
    case WM_PAINT:
    case WM_PRINTCLIENT:
        if (!m_bDrawsText)
            return false;
        Paint(hwnd, reinterpret_cast<HDC>(wParam));
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        if (!m_bDrawsText)
            return false;
        InvalidateRect(hwnd, nullptr, TRUE);  // the focus rectangle comes or goes
        return true;
    case WM_MOUSEMOVE:
        if (!m_hasLinkTarget || !InLabel(lParam))
            return false;
        SetCursor(m_hHandCursor.get());
        return true;
    case WM_LBUTTONDOWN:
        // Capture, so that the release is seen even outside the control.
        if (InLabel(lParam)) {
            SetFocus(hwnd);
            SetCapture(hwnd);
        }
        return true;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) {
            ReleaseCapture();
            if (InLabel(lParam))
                OpenLink();
        }
        return true;
    case WM_CHAR:
        // Every other character is swallowed on purpose: the static has no use for it.
        if (wParam == '\r' || wParam == ' ')
            OpenLink();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_WANTCHARS;
        return true;
    case WM_SETCURSOR:
        // Over the label the hand stays; elsewhere the static puts back its class cursor.
        if (!m_hasLinkTarget || !CursorInLabel(hwnd))
            return false;
        result = TRUE;
        return true;
    default:
        return false;
    }
}
