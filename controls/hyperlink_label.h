// HyperLinkLabel: turns an existing static control into a web link. It subclasses the
// window, draws the label underlined in the browser's link colours, shows a hand over the
// text and a tooltip, and opens its target with the shell on a click, Enter or Space.
#pragma once

#include <windows.h>

#include "framework/owned.h"
#include "framework/text.h"
#include "framework/window_binding.h"

class HyperLinkLabel : public WindowBinding {
public:
    HyperLinkLabel() = default;
    // The owners free the font and the cursor. The tooltip goes with its owner window.
    ~HyperLinkLabel() override = default;

    // Replaces the window's procedure with ours and sets the label up on it, once: style,
    // cursor, font, texts from the window, tooltip, colours. False, and nothing done, when
    // the window refused.
    bool AttachToWindow(HWND hwnd);

    // Private copies; a null text unsets. False when no memory was left (the text is then
    // unset). Both re-measure the label; neither repaints nor touches the tooltip.
    bool SetLabelText(const char* text);
    bool SetLinkTarget(const char* text);

    // One more tool on the label's tooltip with the identity of the label's own (the whole
    // control, on behalf of its parent) and a text of its own.
    void AddTool(const char* text);

private:
    bool ProcessWindowMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                              LRESULT& result) override;

    // Recomputes the label rectangle; false without a window or without any text.
    bool MeasureLabel();
    void PaintLabel(HDC dc);
    // Hands the target to the shell's "open" verb; true when the shell reported success.
    bool OpenLink();
    const char* DrawnText() const;
    unsigned Alignment() const;
    bool InLabel(LPARAM lParam) const;
    void Initialize();
    void MakeUnderlineFont();
    void TakeTextsFromWindow();
    void CreateTooltip();
    void ReadLinkColours();
    void RelayToTooltip(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    void EraseBackground(HWND hwnd, HDC dc);
    void Paint(HWND hwnd, HDC dc);
    bool CursorInLabel(HWND hwnd) const;

    Text m_label;  // drawn when set; otherwise the link target is drawn
    Text m_linkTarget;  // handed to the shell
    bool m_hasLabel = false;  // an empty label is set, and drawn (as nothing)
    bool m_hasLinkTarget = false;
    OwnedCursor m_hHandCursor;
    OwnedFont m_hUnderlineFont;     // underlined copy of the parent's font
    RECT m_rcLabel = {0, 0, 0, 0};  // client coordinates: hit area and drawing area
    bool m_bDrawsText = true;       // false for statics that paint an image or a shape
    bool m_bLinkVisited = false;
    COLORREF m_crAnchor = RGB(0, 0, 255);
    COLORREF m_crAnchorVisited = RGB(128, 0, 128);
    HWND m_hTip = nullptr;  // the tooltip, owned by the control window
};
