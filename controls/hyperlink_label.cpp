// HyperLinkLabel: the subclassed static's message table and the operations behind it.
#include "controls/hyperlink_label.h"

#include <commctrl.h>
#include <shellapi.h>

#include <new>

#include "controls/color_triple.h"
#include "controls/hand_cursor.h"
#include "controls/label_layout.h"
#include "controls/registry_string.h"
#include "framework/module.h"

namespace {
const char kBrowserSettingsKey[] = "Software\\Microsoft\\Internet Explorer\\Settings";

// Replaces *field with a private copy of text (null leaves it unset); false when the copy
// could not be allocated, and the field is then unset as well.
bool CopyText(char** field, const char* text)
{
    delete[] *field;
    *field = nullptr;
    if (!text)
        return true;
    char* copy = new (std::nothrow) char[lstrlenA(text) + 1];
    if (!copy)
        return false;
    lstrcpyA(copy, text);
    *field = copy;
    return true;
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

HyperLinkLabel::~HyperLinkLabel()
{
    delete[] m_pszLabel;
    delete[] m_pszLinkTarget;
    if (m_hUnderlineFont)
        DeleteObject(m_hUnderlineFont);
    if (m_hHandCursor)
        DestroyCursor(m_hHandCursor);
}

bool HyperLinkLabel::AttachToWindow(HWND hwnd)
{
    if (!SubclassWindow(hwnd))
        return false;
    m_hControl = hwnd;
    return true;
}

void HyperLinkLabel::Initialize()
{
    char className[8];
    if (GetClassNameA(m_hControl, className, sizeof(className)) &&
        lstrcmpiA(className, "static") == 0) {
        LONG style = GetWindowLongA(m_hControl, GWL_STYLE);
        if (!(style & kStaticNotify))
            SetWindowLongA(m_hControl, GWL_STYLE, style | kStaticNotify);
        if (IsNonTextStaticType(GetWindowLongA(m_hControl, GWL_STYLE)))
            m_bDrawsText = false;
    }

    unsigned char andPlane[kHandCursorPlaneBytes];
    unsigned char xorPlane[kHandCursorPlaneBytes];
    BuildHandCursorPlanes(andPlane, xorPlane);
    if (m_hHandCursor)
        DestroyCursor(m_hHandCursor);
    m_hHandCursor = CreateCursor(Module::Instance(), kHandCursorHotX, kHandCursorHotY,
                                 kHandCursorSize, kHandCursorSize, andPlane, xorPlane);

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
    if (m_hUnderlineFont) {
        DeleteObject(m_hUnderlineFont);
        m_hUnderlineFont = nullptr;
    }
    // The dialog's font, not the static's: the label matches the rest of the window.
    HFONT parentFont =
        reinterpret_cast<HFONT>(SendMessageA(GetParent(m_hControl), WM_GETFONT, 0, 0));
    if (!parentFont)
        return;
    LOGFONTA font;
    if (!GetObjectA(parentFont, sizeof(font), &font))
        return;
    font.lfUnderline = 1;
    m_hUnderlineFont = CreateFontIndirectA(&font);
}

void HyperLinkLabel::TakeTextsFromWindow()
{
    if (!m_pszLabel) {
        int length = GetWindowTextLengthA(m_hControl);
        if (length > 0) {
            char* text = new (std::nothrow) char[length + 1];
            if (text) {
                if (GetWindowTextA(m_hControl, text, length + 1))
                    SetLabelText(text);
                delete[] text;
            }
        }
    }
    if (!m_pszLinkTarget && m_pszLabel)
        SetLinkTarget(m_pszLabel);
}

void HyperLinkLabel::CreateTooltip()
{
    HINSTANCE instance = Module::Instance();
    m_hTip = CreateWindowExA(0, TOOLTIPS_CLASSA, nullptr, 0, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, m_hControl, nullptr, instance,
                             nullptr);
    SendMessageA(m_hTip, TTM_ACTIVATE, TRUE, 0);

    // No TTF_SUBCLASS: the tooltip hears of the mouse through our relay entry.
    TOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;  // 44 bytes: up to lParam, which stays 0
    tool.uFlags = TTF_IDISHWND;
    tool.hwnd = GetParent(m_hControl);
    tool.uId = reinterpret_cast<UINT_PTR>(m_hControl);
    tool.hinst = instance;
    tool.lpszText = m_pszLinkTarget;
    SendMessageA(m_hTip, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void HyperLinkLabel::ReadLinkColours()
{
    // Each colour stands or falls by itself.
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kBrowserSettingsKey, 0, KEY_READ, &key) !=
        ERROR_SUCCESS)
        return;
    ReadColour(key, "Anchor Color", &m_crAnchor);
    ReadColour(key, "Anchor Color Visited", &m_crAnchorVisited);
    RegCloseKey(key);
}

bool HyperLinkLabel::SetLabelText(const char* text)
{
    if (!CopyText(&m_pszLabel, text))
        return false;
    MeasureLabel();
    return true;
}

bool HyperLinkLabel::SetLinkTarget(const char* text)
{
    if (!CopyText(&m_pszLinkTarget, text))
        return false;
    // Without a label the target is what is drawn, so its size matters.
    if (!m_pszLabel)
        MeasureLabel();
    return true;
}

unsigned HyperLinkLabel::Alignment() const
{
    return LabelAlignment(static_cast<uint32_t>(GetWindowLongA(m_hControl, GWL_STYLE)));
}

bool HyperLinkLabel::MeasureLabel()
{
    if (!IsWindow(m_hControl) || !DrawnText())
        return false;
    HDC dc = GetDC(m_hControl);
    RECT client;
    GetClientRect(m_hControl, &client);
    m_rcLabel = client;
    if (m_bDrawsText) {
        HGDIOBJ previousFont = m_hUnderlineFont ? SelectObject(dc, m_hUnderlineFont) : nullptr;
        unsigned alignment = Alignment();
        // Measured at the top-left corner, wrapped at the client width, then moved sideways.
        DrawTextA(dc, DrawnText(), -1, &m_rcLabel, alignment | DT_WORDBREAK | DT_CALCRECT);
        if (previousFont)
            SelectObject(dc, previousFont);
        OffsetRect(&m_rcLabel, LabelShift(alignment, client.right, m_rcLabel.right), 0);
    }
    ReleaseDC(m_hControl, dc);
    return true;
}

void HyperLinkLabel::PaintLabel(HDC dc)
{
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, m_bLinkVisited ? m_crAnchorVisited : m_crAnchor);
    HGDIOBJ previousFont = m_hUnderlineFont ? SelectObject(dc, m_hUnderlineFont) : nullptr;
    if (DrawnText()) {
        RECT area = m_rcLabel;
        DrawTextA(dc, DrawnText(), -1, &area, Alignment() | DT_WORDBREAK);
    }
    if (previousFont)
        SelectObject(dc, previousFont);
    if (m_hControl && GetFocus() == m_hControl)
        DrawFocusRect(dc, &m_rcLabel);
}

bool HyperLinkLabel::OpenLink()
{
    if (!m_pszLinkTarget)
        return false;
    HINSTANCE shell =
        ShellExecuteA(nullptr, "open", m_pszLinkTarget, nullptr, nullptr, SW_SHOWNORMAL);
    if (reinterpret_cast<INT_PTR>(shell) <= 32)
        return false;
    m_bLinkVisited = true;
    if (m_hControl)
        InvalidateRect(m_hControl, nullptr, TRUE);
    return true;
}

void HyperLinkLabel::OnFinalMessage(HWND) { m_hControl = nullptr; }

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
    if (msg == WM_CREATE) {
        Initialize();
        return true;
    }
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
        if (!m_pszLinkTarget || !InLabel(lParam))
            return false;
        SetCursor(m_hHandCursor);
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
        if (wParam == '\r' || wParam == ' ')
            OpenLink();
        return true;
    case WM_GETDLGCODE:
        result = DLGC_WANTCHARS;
        return true;
    case WM_SETCURSOR:
        // Over the label the hand stays; elsewhere the static puts back its class cursor.
        if (!m_pszLinkTarget || !CursorInLabel(hwnd))
            return false;
        result = TRUE;
        return true;
    default:
        return false;
    }
}
